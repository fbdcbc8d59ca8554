#pragma once
// Where the launcher's catalog comes from: the cache file, a fresh
// enumeration, and saving the cache. The real calls by default; tests inject
// their own lists and count the enumerations.

#include <functional>
#include <vector>

#include "apps/InstalledApp.h"

struct AllAppsCatalogSource {
    std::function<bool(std::vector<InstalledApp>&)> loadCache;
    std::function<std::vector<InstalledApp>()> enumerate;
    std::function<void(const std::vector<InstalledApp>&)> save;
};

AllAppsCatalogSource RealAllAppsCatalogSource();
