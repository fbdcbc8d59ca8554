#pragma once
// Icons of applications at a requested size, as drawing surfaces: from a
// surface cache, built-in glyphs, decoded pixels, cache files on disk, or the
// shell (on worker threads, which for all-apps tiles also read the cache files).
//
// Locks: pixelMutex (pixels), queueMutex (queue, pendingKeys, stopping) and
// recentMutex (recentPaths). No two are ever held together, and no file or
// shell call runs under any of them. Surfaces are UI-thread only.

#include "apps/BuiltinIcons.h"
#include "apps/IconBitmap.h"
#include "apps/IconSurfaceHost.h"
#include "platform/JoinableThread.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

constexpr UINT WM_DOCK_ICONS_READY = 0x803D;

class IconLoader {
public:
    static constexpr size_t kSurfaceCacheLimit = 256;
    static constexpr size_t kPixelStoreLimit = 256;
    static constexpr uint64_t kNotifyGatherMs = 100;

    IconLoader();
    ~IconLoader();
    IconLoader(const IconLoader&) = delete;
    IconLoader& operator=(const IconLoader&) = delete;

    // ---- keys ----
    // "shell:" + normalised (launch id, or fallback when empty) + "@" + size +
    // "#mac"/"#win", and "#f" + count for counts above 1.
    static std::wstring MakeIconKey(const std::wstring& launchId, const std::wstring& fallbackPath, int size,
                                    bool macStyle, int count);
    // Normalised item key + "@" + clamped size + "#mac"/"#win".
    static std::wstring MakeRequestKey(const std::wstring& itemKey, int size, bool macStyle);

    // ---- lookups (UI thread) ----
    IconSurfaceRef GetIconSurface(const std::wstring& itemKey, const std::wstring& path,
                                  const std::wstring& displayName, int size, bool macStyle);
    void RequestAsync(const std::wstring& itemKey, const std::wstring& path, const std::wstring& displayName, int size,
                      bool macStyle);
    // An all-apps tile's icon from memory or a built-in drawing, touching no
    // file (a file probe costs a round trip to the file system, 24 of them a
    // page); null when only the disk cache or the shell has it.
    IconSurfaceRef FindTileSurface(const std::wstring& launchId, const std::wstring& displayName,
                                   const std::wstring& targetPath, int size, bool macStyle, int count);
    // The tile's disk-cache read, folder check and extraction for the
    // workers, before what is queued; what they find FindTileSurface then
    // finds, and HasTilePixels tells when it is in.
    void RequestTileAsync(const std::wstring& launchId, const std::wstring& targetPath, const std::wstring& displayName,
                          int size, bool macStyle);
    bool HasTilePixels(const std::wstring& launchId, const std::wstring& targetPath, int size, bool macStyle);
    // What a tile shows until its icon comes: the empty plate (with the count
    // badge) in mac style, nothing in the plain style.
    IconSurfaceRef PlaceholderTile(int size, bool macStyle, int count);
    // The same from memory, a built-in drawing (a folder's too) or the disk
    // cache, else the shell's extraction, all on the caller's thread.
    IconSurfaceRef GetIconSurfaceSync(const std::wstring& launchId, const std::wstring& displayName,
                                      const std::wstring& targetPath, int size, bool macStyle, int count);
    IconSurfaceRef GetLaunchpadSurface(int size, bool macStyle);
    IconSurfaceRef GetRecycleBinSurface(int size, bool macStyle, bool* isFull = nullptr);
    IconSurfaceRef GetSettingsSurface(int size, bool macStyle);
    void PutSurface(const std::wstring& key, IconSurfaceRef surface);
    IconSurfaceRef CreateSurfaceFromPixels(const std::wstring& requestKey, int size, bool macStyle);
    bool LoadFromDisk(const std::wstring& tilePixelKey, const std::wstring& path, bool touchRecent);
    void ClearMemoryCaches();

    // ---- disk cache and recent list ----
    static std::wstring MakeVersionedKey(const std::wstring& key, const std::wstring& sourcePath);
    static std::wstring CacheFilePath(const std::wstring& key, const std::wstring& sourcePath);
    static bool HasCacheFile(const std::wstring& key, const std::wstring& sourcePath);
    static bool ReadCacheFile(const std::wstring& key, const std::wstring& sourcePath, IconBitmap& out);
    static void WriteCacheFile(const std::wstring& key, const std::wstring& sourcePath, const IconBitmap& bitmap);
    static void PruneDiskCache();
    void TouchRecent(const std::wstring& cacheFilePath);
    void SaveRecentList();

    // ---- workers ----
    void StartWorkers();
    // Drops queued requests, wakes and joins every worker.
    void Stop();
    static unsigned WorkerCountFor(unsigned hardwareThreads);
    IconSurfaceRef ExtractNow(const std::wstring& name, int size, bool macStyle, int count,
                              const std::wstring& tilePixelKey, const std::wstring& sourcePath);

    // ---- drawing (UI thread) ----
    IconSurfaceRef SurfaceFromBitmap(const IconBitmap& bitmap, int size, bool macStyle, int count);
    // The surface's pixels of an icon without a count, without a drawing
    // pass; false where the host cannot give the plate's pixels.
    bool ComposeIconPixels(const IconBitmap& bitmap, int size, bool macStyle, IconBitmap& out);
    void DrawIconPixels(ID2D1DeviceContext* context, const IconBitmap& bitmap, bool macStyle, int size, int count);
    IconSurfaceRef RenderBuiltinGlyph(int size, BuiltinIconKind kind, int count);
    // A built-in glyph's tile: from the disk cache once it has been drawn, as
    // pixels without a drawing pass (where the host can take them); drawn and
    // written to the cache otherwise. Cached per glyph, size, style and count,
    // and per build of the program, whose painters may change.
    IconSurfaceRef BuiltinGlyphTile(int size, BuiltinIconKind kind, int count, bool macStyle);
    static std::wstring BuiltinGlyphCacheFile(BuiltinIconKind kind, int size, bool macStyle, int count);
    IconSurfaceRef SurfaceFromHIcon(HICON icon, int size);

    // Owner wiring: message first, then the window, each published atomically.
    void SetNotifyTarget(HWND window, UINT message);
    // The owner calls this first thing on each icons-ready message, before it
    // asks for the icons again: icons finished from then on post a new one.
    // Until then they post nothing, so one message stands for every icon
    // finished since the last, however many that is.
    void TakeReadyNotice() { notifyPending.store(false); }

    // Inspection for the owner and tests.
    size_t SurfaceCount() const { return surfaceLru.size(); }
    bool HasSurface(const std::wstring& key) const { return surfaceIndex.count(key) != 0; }
    std::vector<std::wstring> RecentPaths();
    size_t QueuedCount();
    // Stores an extracted icon; a full store gives up its oldest entry, never
    // one the owner has yet to take.
    void StoreExtracted(const std::wstring& key, const IconBitmap& bitmap);
    // The prewarm's way: stored only below kPixelStoreLimit, never replacing.
    void KeepPixelsIfRoom(const std::wstring& key, IconBitmap bitmap);
    size_t PendingCount();
    bool IsPending(const std::wstring& key);
    size_t WorkerCount() const { return workers.size(); }

    // Members in the owner's documented order. graphics and host are set by the
    // owner once its device exists; the all-apps prewarm reads pixels under
    // pixelMutex and stores through KeepPixelsIfRoom.
    const IconGraphics* graphics = nullptr;
    IconSurfaceHost* host = nullptr;
    std::list<std::pair<std::wstring, IconSurfaceRef>> surfaceLru;
    std::unordered_map<std::wstring, std::list<std::pair<std::wstring, IconSurfaceRef>>::iterator> surfaceIndex;
    std::mutex pixelMutex;
    std::unordered_map<std::wstring, IconBitmap> pixels;
    std::deque<std::wstring> pixelOrder;  // every key in pixels, oldest first (under pixelMutex)
    // Tile pixel keys the workers gave a built-in drawing in mac style, with
    // that drawing: a folder's, which only the file system tells (under pixelMutex).
    std::unordered_map<std::wstring, BuiltinIconKind> folderTiles;
    std::atomic<HWND> notifyWindow{nullptr};
    std::atomic<uint32_t> notifyMessage{0};
    std::atomic<bool> notifyPending{false};
    std::atomic<uint64_t> lastNotifyTick{0};
    std::atomic<bool> notifyOwed{false};
    std::mutex recentMutex;
    std::vector<std::wstring> recentPaths;
    std::mutex queueMutex;
    std::condition_variable queueReady;
    std::deque<IconRequest> queue;
    std::unordered_set<std::wstring> pendingKeys;
    std::vector<platform::JoinableThread> workers;
    INIT_ONCE pruneOnce = INIT_ONCE_STATIC_INIT;
    std::atomic<bool> stopping{false};

private:
    static void WorkerThreadEntry(IconLoader* loader);
    void WorkerMain();
    // Posts the icons-ready message unless one is still waiting for the owner
    // or, while more requests are queued, one went out a moment ago.
    void NotifyReady(bool moreQueued);
    IconSurfaceRef FindSurface(const std::wstring& key);
    // FindTileSurface, and with touchFiles the folder check and the disk cache.
    IconSurfaceRef LookUpTile(const std::wstring& launchId, const std::wstring& displayName,
                              const std::wstring& targetPath, int size, bool macStyle, int count, bool touchFiles);
    void Enqueue(IconRequest request, bool first);
    // A tile request's folder check and disk read; true when it needs no extraction.
    bool ServeTileFromFiles(const std::wstring& key, const IconRequest& request, IconBitmap& bitmap);
    // A built-in glyph's surface under its own cache key, rendered once.
    IconSurfaceRef CachedGlyphSurface(const wchar_t* keyPrefix, BuiltinIconKind kind, int size, bool macStyle);
    IconSurfaceRef SurfaceFromDisk(const std::wstring& pixelKey, const std::wstring& sourcePath, int size,
                                   bool macStyle, int count);
    std::pair<bool, IconBitmap> CopyPixels(const std::wstring& key);
    // Every store goes through here, so that pixelOrder knows every key. Under pixelMutex.
    void InsertPixelsLocked(const std::wstring& key, IconBitmap bitmap);
};
