// The icon loader's worker threads and its synchronous extraction.

#include "apps/IconDiskCache.h"
#include "apps/IconExtraction.h"
#include "apps/IconLoader.h"

#include "platform/Log.h"
#include "config/Paths.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IWICImagingFactory> CreateImagingFactory() {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)))) {
        // Systems without the newer factory still have the original one.
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    }
    return factory;
}

}  // namespace

unsigned IconLoader::WorkerCountFor(unsigned hardwareThreads) { return hardwareThreads >= 3 ? 3u : 2u; }

void IconLoader::StartWorkers() {
    if (!workers.empty()) return;
    stopping.exchange(false);
    const unsigned count = WorkerCountFor(std::thread::hardware_concurrency());
    for (unsigned i = 0; i < count; ++i) {
        workers.push_back(platform::StartJoinableThread(&IconLoader::WorkerThreadEntry, this));
    }
}

void IconLoader::Stop() {
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        stopping.exchange(true);
        queue.clear();
        pendingKeys.clear();
    }
    queueReady.notify_all();
    for (platform::JoinableThread& worker : workers) worker.join();
    workers.clear();
}

void IconLoader::WorkerThreadEntry(IconLoader* loader) { loader->WorkerMain(); }

// The extraction always lands in memory: the requester looks for it there (or
// in a cache file that may not be writable), and an icon found nowhere would be
// requested and extracted again on every redraw. A full store gives up an
// entry for it; that icon's surface or cache file usually outlives it.
void IconLoader::StoreExtracted(const std::wstring& key, const IconBitmap& bitmap) {
    std::lock_guard<std::mutex> lock(pixelMutex);
    auto found = pixels.find(key);
    if (found != pixels.end()) {
        found->second = bitmap;
        return;
    }
    // The oldest go first: a batch read for a page must not push out the
    // pixels it stored a moment before, which the owner has yet to take.
    while (pixels.size() >= kPixelStoreLimit && !pixelOrder.empty()) {
        pixels.erase(pixelOrder.front());
        pixelOrder.pop_front();
    }
    InsertPixelsLocked(key, bitmap);
}

void IconLoader::KeepPixelsIfRoom(const std::wstring& key, IconBitmap bitmap) {
    std::lock_guard<std::mutex> lock(pixelMutex);
    if (pixels.size() < kPixelStoreLimit) InsertPixelsLocked(key, std::move(bitmap));
}

void IconLoader::InsertPixelsLocked(const std::wstring& key, IconBitmap bitmap) {
    if (pixels.emplace(key, std::move(bitmap)).second) pixelOrder.push_back(key);
}

// A message per icon would have the owner redraw once per icon, and hundreds of
// them queued ahead of its other messages (closing, input) at start-up. While
// more requests wait, icons are also gathered for a short while, so the owner
// redraws a few times a second rather than whenever it is free.
void IconLoader::NotifyReady(bool moreQueued) {
    const HWND window = notifyWindow.load();
    const UINT message = notifyMessage.load();
    if (!window || message == 0) return;
    const uint64_t now = GetTickCount64();
    if (moreQueued && now - lastNotifyTick.load() < kNotifyGatherMs) {
        notifyOwed.store(true);
        return;
    }
    notifyOwed.store(false);
    if (notifyPending.exchange(true)) return;
    lastNotifyTick.store(now);
    if (!PostMessageW(window, message, 0, 0)) notifyPending.store(false);
}

void IconLoader::WorkerMain() {
    const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);

    BOOL pruneHere = FALSE;
    if (InitOnceBeginInitialize(&pruneOnce, 0, &pruneHere, nullptr) && pruneHere) {
        PruneDiskCache();
        InitOnceComplete(&pruneOnce, 0, nullptr);
    }

    ComPtr<IWICImagingFactory> factory = CreateImagingFactory();
    IconRequest request;
    IconBitmap bitmap;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(queueMutex);
            queueReady.wait(lock, [this] { return stopping.load() || !queue.empty(); });
            if (stopping.load()) break;
            request = std::move(queue.front());
            queue.pop_front();
        }
        const int s = ClampIconSize(request.size);
        const std::wstring key = MakeRequestKey(request.key, s, request.macStyle);

        const bool served = request.tile && ServeTileFromFiles(key, request, bitmap);
        bool ok = served || (factory && ExtractShellItemImage(factory.Get(), request.primary, request.path, s,
                                                              request.macStyle, bitmap));
        if (!ok && factory) ok = ExtractFileIcon(factory.Get(), request.path, bitmap);

        if (!ok) {
            LogMessage(L"IconLoader: background extraction failed for %s", request.path.c_str());
        } else if (!served) {
            StoreExtracted(key, bitmap);
            WriteCacheFile(key, request.path, bitmap);
            TouchRecent(CacheFilePath(key, request.path));
        }
        bool moreQueued = false;
        {
            std::lock_guard<std::mutex> lock(queueMutex);
            pendingKeys.erase(key);
            moreQueued = !queue.empty();
        }
        // A failure can be the last request: icons gathered before it are still owed.
        if (ok || notifyOwed.load()) NotifyReady(moreQueued);
        request = IconRequest{};
        bitmap = IconBitmap{};
    }
    factory.Reset();
    if (comReady) CoUninitialize();
}

// What the launcher's UI thread no longer looks at itself: a found cache file
// lands in the pixel store like an extraction, so HasTilePixels and the
// icons-ready message treat the two alike.
bool IconLoader::ServeTileFromFiles(const std::wstring& key, const IconRequest& request, IconBitmap& bitmap) {
    if (request.macStyle) {
        if (const BuiltinIconKind kind = BuiltinIconKindFor(request.path, request.displayName);
            kind != BuiltinIconNone) {
            std::lock_guard<std::mutex> lock(pixelMutex);
            folderTiles[key] = kind;
            return true;
        }
    }
    // The file's name stamps the target's file time: work it out once.
    const std::wstring file = CacheFilePath(key, request.path);
    if (!ReadIconCacheFileAt(file, bitmap)) return false;
    TouchRecent(file);
    StoreExtracted(key, bitmap);
    return true;
}

IconSurfaceRef IconLoader::ExtractNow(const std::wstring& name, int size, bool macStyle, int count,
                                      const std::wstring& tilePixelKey, const std::wstring& sourcePath) {
    if (name.empty() || !graphics || !graphics->imaging) return nullptr;
    IconBitmap bitmap;
    // The file's own shell icon when the item has no image, as the workers do.
    if (!GetShellItemBitmap(graphics->imaging, name, size, macStyle, bitmap) &&
        !ExtractFileIcon(graphics->imaging, name, bitmap)) {
        return nullptr;
    }
    IconSurfaceRef surface = SurfaceFromBitmap(bitmap, ClampIconSize(size), macStyle, count);
    WriteCacheFile(tilePixelKey, sourcePath, bitmap);
    return surface;
}
