#include "allapps/AllAppsCatalogSource.h"

#include "apps/AppCatalog.h"
#include "apps/CatalogCache.h"

AllAppsCatalogSource RealAllAppsCatalogSource() {
    AllAppsCatalogSource source;
    source.loadCache = [](std::vector<InstalledApp>& out) { return LoadCatalogCache(out); };
    source.enumerate = [] { return EnumerateInstalledApps(); };
    source.save = [](const std::vector<InstalledApp>& list) { SaveCatalogCache(list); };
    return source;
}
