// The catalog hand-off: two workers produce the catalog away from the UI
// thread and hand it over through one guarded slot; the prewarm worker also
// brings page 0's icons into memory so the hidden prebuild finds them.
#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <memory>
#include <system_error>

#include "allapps/AllAppsGeometry.h"
#include "allapps/AllAppsWindow.h"
#include "platform/Log.h"
#include "apps/BuiltinIcons.h"
#include "apps/IconExtraction.h"
#include "apps/IconLoader.h"
#include "config/PathText.h"

namespace {

constexpr UINT_PTR kCatalogPollTimer = 2;
constexpr int kPageZeroIcons = 24;
constexpr int kDiskReadIcons = 48;
constexpr int kMaxExtractions = 160;
const std::wstring kFolderKeyPrefix = L"folder:";

struct PrewarmParams {
    AllAppsWindow* owner = nullptr;
    int iconPx = 48;
    bool useMacIcons = true;
    std::unordered_set<std::wstring> hiddenKeys;
};

bool HiddenIn(const std::unordered_set<std::wstring>& keys, const InstalledApp& entry) {
    if (keys.count(NormalizePathKey(entry.launchId)) != 0) return true;
    return entry.isFolder && keys.count(kFolderKeyPrefix + entry.nameKey) != 0;
}

const std::wstring& IconPathOf(const InstalledApp& entry) {
    return entry.targetPath.empty() ? entry.launchId : entry.targetPath;
}

class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

}  // namespace

// The worker side, with access to the window's hand-off members.
struct AllAppsWorkers {
    static void Post(AllAppsWindow& owner, UINT message) {
        HWND window = owner.window;
        if (window && IsWindow(window)) PostMessageW(window, message, 0, 0);
    }

    static void Deliver(AllAppsWindow& owner, const std::vector<InstalledApp>& list) {
        {
            std::lock_guard<std::mutex> lock(owner.catalogMutex);
            owner.pendingCatalog = list;
        }
        owner.pendingReady.store(true);
    }

    static void PrewarmCatalogIcons(const PrewarmParams& params, const std::vector<InstalledApp>& list) {
        IconLoader* loader = params.owner->iconLoader;
        if (!loader) return;
        int counted = 0;
        for (const InstalledApp& entry : list) {
            if (params.owner->stopRequested.load() || counted >= kPageZeroIcons) break;
            if (HiddenIn(params.hiddenKeys, entry) || !(entry.isFolder || entry.isPrimary)) continue;
            ++counted;
            const std::wstring& path = IconPathOf(entry);
            if (params.useMacIcons && BuiltinIconKindFor(path, entry.name) != BuiltinIconNone) continue;
            const std::wstring key =
                IconLoader::MakeIconKey(entry.launchId, entry.targetPath, params.iconPx, params.useMacIcons, 0);
            loader->LoadFromDisk(key, path, true);
        }
    }

    static void WarmMemory(const PrewarmParams& params) {
        AllAppsWindow& owner = *params.owner;
        IconLoader* loader = owner.iconLoader;
        if (!loader) return;
        std::vector<InstalledApp> list;
        {
            std::lock_guard<std::mutex> lock(owner.catalogMutex);
            list = owner.pendingCatalog;
        }
        Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)))) {
            return;
        }
        int processed = 0;
        int extracted = 0;
        auto inMemory = [&](const std::wstring& key) {
            std::lock_guard<std::mutex> lock(loader->pixelMutex);
            return loader->pixels.count(key) != 0;
        };
        for (const InstalledApp& entry : list) {
            if (owner.stopRequested.load() || extracted >= kMaxExtractions) break;
            if (!(entry.isFolder || entry.isPrimary) || HiddenIn(params.hiddenKeys, entry)) continue;
            ++processed;
            const std::wstring& path = IconPathOf(entry);
            if (params.useMacIcons && ::BuiltinIconKindFor(path, entry.name) != BuiltinIconNone) continue;
            const std::wstring key =
                IconLoader::MakeIconKey(entry.launchId, entry.targetPath, params.iconPx, params.useMacIcons, 0);
            if (processed <= kDiskReadIcons && !key.empty()) {
                if (inMemory(key)) {
                    if (processed <= kPageZeroIcons) loader->TouchRecent(IconLoader::CacheFilePath(key, path));
                    continue;
                }
                IconBitmap bitmap;
                if (IconLoader::ReadCacheFile(key, path, bitmap)) {
                    if (processed <= kPageZeroIcons) loader->TouchRecent(IconLoader::CacheFilePath(key, path));
                    loader->KeepPixelsIfRoom(key, std::move(bitmap));
                    continue;
                }
            }
            if (inMemory(key) || IconLoader::HasCacheFile(key, path)) continue;
            IconBitmap bitmap;
            if (ExtractShellItemImage(factory.Get(), entry.launchId, entry.targetPath, params.iconPx,
                                      params.useMacIcons, bitmap)) {
                ++extracted;
                if (!key.empty() && bitmap.Usable()) {
                    IconLoader::WriteCacheFile(key, path, bitmap);
                    loader->KeepPixelsIfRoom(key, std::move(bitmap));
                }
            }
            Sleep(3);
        }
        if (extracted > 0 && !owner.stopRequested.load()) Post(owner, WM_ALLAPPS_PREBUILD);
    }

    static void PrewarmThread(PrewarmParams* raw) {
        std::unique_ptr<PrewarmParams> params(raw);
        AllAppsWindow& owner = *params->owner;
        {
            ComScope com;
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
            bool fromDisk = false;
            if (!owner.stopRequested.load()) {
                std::vector<InstalledApp> disk;
                if (owner.catalogSource.loadCache && owner.catalogSource.loadCache(disk) && !disk.empty()) {
                    fromDisk = true;
                    Deliver(owner, disk);
                    PrewarmCatalogIcons(*params, disk);
                    LogMessage(L"AllApps prewarm: catalog + page0 icons from disk (%llu apps)",
                               static_cast<unsigned long long>(disk.size()));
                    Post(owner, WM_ALLAPPS_CATALOG_READY);
                    Post(owner, WM_ALLAPPS_PREBUILD);
                }
            }
            if (!owner.stopRequested.load() && owner.catalogSource.enumerate) {
                std::vector<InstalledApp> fresh = owner.catalogSource.enumerate();
                // An empty Start menu replaces the list of the last run too.
                if (!fresh.empty() || fromDisk) {
                    if (owner.catalogSource.save) owner.catalogSource.save(fresh);
                    Deliver(owner, fresh);
                    PrewarmCatalogIcons(*params, fresh);
                    LogMessage(L"AllApps prewarm: catalog ready (%llu apps)",
                               static_cast<unsigned long long>(fresh.size()));
                    Post(owner, WM_ALLAPPS_CATALOG_READY);
                    Post(owner, WM_ALLAPPS_PREBUILD);
                }
            }
            for (int i = 0; i < 16 && !owner.stopRequested.load(); ++i) Sleep(50);
            if (!owner.stopRequested.load()) WarmMemory(*params);
            owner.prewarmDone.store(true);
        }
    }

    static void CatalogRefreshThread(AllAppsWindow* owner, const ProcessHandle& uninstaller, uint32_t generation) {
        ComScope com;
        auto waiting = [&] { return !owner->stopRequested.load() && owner->refreshGeneration.load() == generation; };
        if (uninstaller) {
            // However long the uninstaller asks its questions; a newer refresh
            // takes over from this one.
            while (waiting() && WaitForSingleObject(uninstaller.get(), 50) == WAIT_TIMEOUT) {
            }
        } else {
            for (int i = 0; i < 30 && waiting(); ++i) Sleep(50);
        }
        if (!waiting() || !owner->catalogSource.enumerate) return;
        // Empty too, when the last application went.
        std::vector<InstalledApp> fresh = owner->catalogSource.enumerate();
        if (owner->catalogSource.save) owner->catalogSource.save(fresh);
        Deliver(*owner, fresh);
        owner->prewarmDone.store(true);
        Post(*owner, WM_ALLAPPS_CATALOG_READY);
    }

    // On the folder watch's worker: the Start menu changed (an installer
    // added or removed shortcuts), so the catalog is built again.
    static void StartMenuChanged(AllAppsWindow& owner) {
        if (owner.stopRequested.load() || !owner.catalogSource.enumerate) return;
        ComScope com;
        // Empty too, when the last shortcut went.
        std::vector<InstalledApp> fresh = owner.catalogSource.enumerate();
        if (owner.stopRequested.load()) return;
        if (owner.catalogSource.save) owner.catalogSource.save(fresh);
        Deliver(owner, fresh);
        LogMessage(L"AllApps catalog: Start menu changed (%llu apps)", static_cast<unsigned long long>(fresh.size()));
        Post(owner, WM_ALLAPPS_CATALOG_READY);
    }
};

void AllAppsWindow::StartCatalogWatch() {
    if (catalogWatch.Running() || !catalogSource.watchedFolders) return;
    catalogWatch.Start(catalogSource.watchedFolders(), [this] { AllAppsWorkers::StartMenuChanged(*this); });
}

void AllAppsWindow::StartPrewarm() {
    if (catalogReady || prewarmThread.joinable()) return;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    HMONITOR target = monitor ? monitor : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    int workWidth = static_cast<int>(1280 * scale);
    int workHeight = static_cast<int>(800 * scale);
    if (GetMonitorInfoW(target, &info)) {
        const RECT work = EffectiveWorkArea(info.rcWork, info.rcMonitor, hideTaskbar, scale);
        workWidth = work.right - work.left;
        workHeight = work.bottom - work.top;
    }
    auto params = std::make_unique<PrewarmParams>();
    params->owner = this;
    params->iconPx = PrewarmIconPx(workWidth, workHeight, scale, dockReserve);
    params->useMacIcons = useMacIcons;
    params->hiddenKeys = hiddenKeys;
    stopRequested.store(false);
    try {
        PrewarmParams* raw = params.get();
        prewarmThread = startWorker([raw] { AllAppsWorkers::PrewarmThread(raw); });
        params.release();
    } catch (const std::exception& error) {
        // Without the worker the first open enumerates by itself.
        LogMessage(L"AllAppsWindow::Initialize std::exception: %S", error.what());
        prewarmDone.store(true);
    }
}

void AllAppsWindow::ReplaceCatalog(std::vector<InstalledApp> next) {
    // Every pointer into the old list dies with it: find the open folder again by
    // its unique name key (its launch id is its first member's and may change)
    // and rebuild the visible list before anything can read it.
    std::wstring folderKey;
    const bool hadFolder = openFolder != nullptr;
    if (hadFolder) folderKey = openFolder->nameKey;
    visibleEntries.clear();
    openFolder = nullptr;
    catalog = std::move(next);
    if (hadFolder) {
        for (const InstalledApp& entry : catalog) {
            if (entry.isFolder && entry.nameKey == folderKey) {
                openFolder = &entry;
                break;
            }
        }
        if (!openFolder) page = pageBeforeFolder;
    }
    ApplyFilterAndLayout();
}

void AllAppsWindow::TryAdoptPendingCatalog() {
    if (catalogReady || !pendingReady.load()) return;
    std::vector<InstalledApp> copy;
    {
        std::lock_guard<std::mutex> lock(catalogMutex);
        copy = pendingCatalog;
    }
    ReplaceCatalog(std::move(copy));
    catalogReady = true;
}

void AllAppsWindow::EnumerateNow(bool save) {
    std::vector<InstalledApp> fresh = catalogSource.enumerate ? catalogSource.enumerate() : std::vector<InstalledApp>{};
    if (save && !fresh.empty() && catalogSource.save) catalogSource.save(fresh);
    ReplaceCatalog(std::move(fresh));
    catalogReady = true;
}

void AllAppsWindow::OnCatalogReady() {
    if (!catalogReady || !pendingReady.load()) return;
    std::vector<InstalledApp> copy;
    {
        std::lock_guard<std::mutex> lock(catalogMutex);
        copy = pendingCatalog;
    }
    // A folder's members, a target or a category may change under an
    // unchanged name: the whole list decides.
    if (copy == catalog) return;
    ReplaceCatalog(std::move(copy));
    visualsValid = false;
    if (visible) {
        FullRefresh();
        RedrawHover();
        FireRequestFrame();
    } else {
        PrebuildHiddenVisuals();
    }
}

void AllAppsWindow::OnCatalogPollTimer() {
    if (!catalogPollActive) {
        if (window) KillTimer(window, kCatalogPollTimer);
        return;
    }
    TryAdoptPendingCatalog();
    if (!catalogReady) {
        ++catalogPollCount;
        if (catalogPollCount <= kCatalogPollLimit) return;
        EnumerateNow(false);
        LogMessage(L"AllApps catalog fallback enumeration: %llu apps", static_cast<unsigned long long>(catalog.size()));
    }
    catalogPollActive = false;
    if (window) KillTimer(window, kCatalogPollTimer);
    LogMessage(L"AllApps catalog adopted after %d retries (%llu apps)", catalogPollCount,
               static_cast<unsigned long long>(catalog.size()));
    FullRefresh();
    RedrawHover();
    FireRequestFrame();
}

void AllAppsWindow::StartCatalogRefresh(ProcessHandle uninstaller) {
    const uint32_t generation = ++refreshGeneration;
    catalogReady = false;
    visualsValid = false;
    pendingReady.store(false);
    {
        std::lock_guard<std::mutex> lock(catalogMutex);
        pendingCatalog.clear();
    }
    if (refreshThread.joinable()) refreshThread.join();
    try {
        refreshThread = startWorker(
            [this, uninstaller, generation] { AllAppsWorkers::CatalogRefreshThread(this, uninstaller, generation); });
    } catch (const std::exception& error) {
        LogMessage(L"AllAppsWindow::StartCatalogRefresh std::exception: %S", error.what());
        prewarmDone.store(true);
    }
}
