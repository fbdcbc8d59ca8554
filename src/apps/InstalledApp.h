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
    AppCategory category = AppCategory::Other;
    wchar_t initial = L'#';   // 'A'..'Z' or '#'
    bool isPrimary = true;
    bool isFolder = false;
    std::vector<InstalledApp> children;  // members of a folder entry, representative first

    bool operator==(const InstalledApp&) const = default;
};
