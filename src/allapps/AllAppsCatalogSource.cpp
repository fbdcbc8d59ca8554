#include "allapps/AllAppsCatalogSource.h"

#include <windows.h>
#include <knownfolders.h>

#include <memory>
#include <mutex>

#include "apps/AppCatalog.h"
#include "apps/CatalogCache.h"
#include "apps/StartMenuScan.h"

AllAppsCatalogSource RealAllAppsCatalogSource() {
    // The prewarm, the folder watch and an uninstall's refresh may enumerate at
    // the same time; the readings and the cache's temporary file are not shared.
    struct Shared {
        std::mutex mutex;
        std::shared_ptr<ShortcutReadings> readings = std::make_shared<ShortcutReadings>();
    };
    auto shared = std::make_shared<Shared>();
    AllAppsCatalogSource source;
    source.loadCache = [](std::vector<InstalledApp>& out) { return LoadCatalogCache(out); };
    source.enumerate = [shared] {
        std::lock_guard<std::mutex> lock(shared->mutex);
        CatalogSources sources = DefaultCatalogSources();
        sources.readings = shared->readings;
        return EnumerateInstalledApps(sources);
    };
    source.save = [shared](const std::vector<InstalledApp>& list) {
        std::lock_guard<std::mutex> lock(shared->mutex);
        // The file of a fuller Start menu would bring its entries back at the next start.
        const std::wstring path = CatalogCachePath();
        if (list.empty() && !path.empty()) DeleteFileW(path.c_str());
        SaveCatalogCache(list);
    };
    source.watchedFolders = [] {
        return std::vector<std::wstring>{KnownFolderPathOf(FOLDERID_CommonPrograms), KnownFolderPathOf(FOLDERID_Programs)};
    };
    return source;
}
