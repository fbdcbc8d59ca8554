#pragma once
// The uninstall registrations under one registry key, read once and kept
// until the key or anything below it changes (the registry tells through a
// change notification), so that the tile menu does not walk hundreds of
// registry keys each time it opens.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct UninstallRegistration {
    std::wstring display;   // key of DisplayName
    std::wstring location;  // key of InstallLocation
    std::wstring icon;      // key of DisplayIcon
    std::wstring command;   // UninstallString as read
};

using UninstallRegistrationList = std::vector<UninstallRegistration>;
using UninstallRegistrationReader = std::function<UninstallRegistrationList(HKEY openKey)>;

// The registrations of root\keyPath, through `read` when none are kept or the
// key changed since; empty when the key cannot be opened.
std::shared_ptr<const UninstallRegistrationList> CachedUninstallRegistrations(HKEY root, const wchar_t* keyPath,
                                                                              const UninstallRegistrationReader& read);
