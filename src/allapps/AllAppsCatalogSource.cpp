#include "allapps/AllAppsCatalogSource.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <memory>
#include <mutex>

#include "apps/AppCatalog.h"
#include "apps/CatalogCache.h"
#include "apps/StartMenuScan.h"

namespace {

// The folder's path also while it does not exist, so the watch can wait for it.
std::wstring UnverifiedFolderPath(const KNOWNFOLDERID& folder) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(folder, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path) result = path;
    CoTaskMemFree(path);
    return result;
}

}  // namespace

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
        return std::vector<std::wstring>{UnverifiedFolderPath(FOLDERID_CommonPrograms),
                                         UnverifiedFolderPath(FOLDERID_Programs)};
    };
    return source;
}
