#pragma once
// Where the launcher's catalog comes from: the cache file, a fresh
// enumeration, saving the cache, and the folders whose changes call for a new
// enumeration. The real calls by default; tests inject their own lists and
// count the enumerations.

#include <functional>
#include <string>
#include <vector>

#include "apps/InstalledApp.h"

struct AllAppsCatalogSource {
    std::function<bool(std::vector<InstalledApp>&)> loadCache;
    std::function<std::vector<InstalledApp>()> enumerate;
    std::function<void(const std::vector<InstalledApp>&)> save;  // an empty list removes the saved one
    std::function<std::vector<std::wstring>()> watchedFolders;
};

// Enumerations run one at a time and keep what they read of each shortcut, so
// a rebuild after a change opens only the shortcuts that changed.
AllAppsCatalogSource RealAllAppsCatalogSource();
