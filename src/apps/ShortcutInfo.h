#pragma once
// A resolved shortcut. The first four fields match a pinned dock entry one for
// one, so a resolved shortcut can be pinned as it stands.

#include <string>

struct ShortcutInfo {
    std::wstring displayName;  // file name of the shortcut without its extension
    std::wstring targetPath;   // raw stored target; the file itself when there is none
    std::wstring arguments;
    std::wstring appUserModelId;    // path key of the id, or of targetPath when the link has none
    std::wstring workingDirectory;  // raw, as stored; empty when none
};
