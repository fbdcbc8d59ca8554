#pragma once
// The shell's Apps folder as plain records: Start-menu shortcuts and installed
// packaged applications. The catalog takes the records through a function, so
// its merge rules can be driven by given records.

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct AppsFolderItem {
    std::wstring name;                // normal display name; empty when the shell gave none
    std::wstring parsingName;         // parent-relative parsing name (the id of packaged apps)
    std::wstring linkTarget;          // target parsing path of a link; empty when none
    std::wstring linkArguments = {};  // a link's arguments; empty when none
};

// Gives the items in the folder's order; nothing when it cannot be read.
using AppsFolderSource = std::function<std::optional<std::vector<AppsFolderItem>>()>;

// Enumerates FOLDERID_AppsFolder through the shell. COM must be initialised.
std::optional<std::vector<AppsFolderItem>> EnumerateShellAppsFolder();
