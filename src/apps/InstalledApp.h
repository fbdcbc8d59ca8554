#pragma once
// One entry of the application catalog: an application, or a folder entry that
// owns its member applications.

#include <string>
#include <vector>

#include "apps/AppCategory.h"

struct InstalledApp {
    std::wstring name;        // display name (the folder's, for a folder entry)
    std::wstring launchId;    // what LaunchShellApp is given
    std::wstring targetPath;  // executable or other target
    std::wstring nameKey;     // path key of name; the de-duplication key
    // The Start-menu shortcut the entry was read from (for an Apps-folder link,
    // its "shell:AppsFolder\" path); empty for the others. Started through it,
    // its arguments, working folder and "run as" apply.
    std::wstring shortcutPath;
    // What that shortcut held besides its target, so the entry still starts
    // as it would should the shortcut go before the catalog is built again.
    std::wstring arguments;
    std::wstring workingFolder;  // raw, as stored
    AppCategory category = AppCategory::Other;
    wchar_t initial = L'#';  // 'A'..'Z' or '#'
    bool isPrimary = true;
    bool isFolder = false;
    std::vector<InstalledApp> children;  // members of a folder entry, representative first

    bool operator==(const InstalledApp&) const = default;
};

// What starting the entry hands to LaunchShellApp: the shortcut when there is
// one, else the target, else the launch id.
inline const std::wstring& StartPathOf(const InstalledApp& app) {
    if (!app.shortcutPath.empty()) return app.shortcutPath;
    return !app.targetPath.empty() ? app.targetPath : app.launchId;
}
