#include "apps/IconLoader.h"

#include "apps/IconDiskCache.h"
#include "apps/IconExtraction.h"
#include "apps/IconRendering.h"
#include "config/PathText.h"

#include <shellapi.h>

namespace {

std::wstring StyleSuffix(bool macStyle) { return macStyle ? L"#mac" : L"#win"; }

std::wstring SpecialKey(const wchar_t* prefix, int size, bool macStyle) {
    return prefix + std::to_wstring(ClampIconSize(size)) + StyleSuffix(macStyle);
}

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::wstring BuiltinGlyphKey(BuiltinIconKind kind, int size, bool macStyle, int count) {
    std::wstring key = L"glyph:" + std::to_wstring(static_cast<int>(kind)) + L"@" +
                       std::to_wstring(ClampIconSize(size)) + StyleSuffix(macStyle);
    if (count > 1) key += L"#f" + std::to_wstring(count);
    return key;
}

}  // namespace

IconLoader::IconLoader() = default;

std::wstring IconLoader::BuiltinGlyphCacheFile(BuiltinIconKind kind, int size, bool macStyle, int count) {
    return CacheFilePath(BuiltinGlyphKey(kind, size, macStyle, count), ProgramPath());
}

IconSurfaceRef IconLoader::BuiltinGlyphTile(int size, BuiltinIconKind kind, int count, bool macStyle) {
    if (!host) return nullptr;
    // One surface serves every tile of the drawing: a page of folders reads
    // its file once, not once a tile.
    const std::wstring shared = BuiltinGlyphKey(kind, size, macStyle, count);
    if (IconSurfaceRef hit = FindSurface(shared)) return hit;
    // The file's name stamps the program's file time, a few round trips to
    // the file system each time it is worked out: once is enough.
    const std::wstring file = BuiltinGlyphCacheFile(kind, size, macStyle, count);
    IconBitmap bitmap;
    // Listed as recent, the file is read ahead at the next start.
    if (ReadIconCacheFileAt(file, bitmap) && bitmap.width == size && bitmap.height == size) {
        if (IconSurfaceRef surface = host->CreateDrawingSurface(size, size)) {
            if (host->PutPixels(*surface, bitmap)) {
                TouchRecent(file);
                PutSurface(shared, surface);
                return surface;
            }
        }
    }
    IconSurfaceRef surface = RenderBuiltinGlyph(size, kind, count);
    if (surface && host->ReadPixels(*surface, bitmap) && HasVisibleContent(bitmap)) {
        WriteIconCacheFileAt(file, bitmap);
        TouchRecent(file);
    }
    if (surface) PutSurface(shared, surface);
    return surface;
}

IconLoader::~IconLoader() {
    // The owner stops the workers first; a forgotten Stop must not leave
    // threads running on a destroyed loader.
    if (!workers.empty()) Stop();
}

std::wstring IconLoader::MakeIconKey(const std::wstring& launchId, const std::wstring& fallbackPath, int size,
                                     bool macStyle, int count) {
    std::wstring key = L"shell:" + NormalizePathKey(launchId.empty() ? fallbackPath : launchId) + L"@" +
                       std::to_wstring(ClampIconSize(size)) + StyleSuffix(macStyle);
    if (count > 1) key += L"#f" + std::to_wstring(count);
    return key;
}

std::wstring IconLoader::MakeRequestKey(const std::wstring& itemKey, int size, bool macStyle) {
    return NormalizePathKey(itemKey) + L"@" + std::to_wstring(ClampIconSize(size)) + StyleSuffix(macStyle);
}

IconSurfaceRef IconLoader::FindSurface(const std::wstring& key) {
    auto found = surfaceIndex.find(key);
    if (found == surfaceIndex.end()) return nullptr;
    surfaceLru.splice(surfaceLru.begin(), surfaceLru, found->second);
    return found->second->second;
}

void IconLoader::PutSurface(const std::wstring& key, IconSurfaceRef surface) {
    auto found = surfaceIndex.find(key);
    if (found != surfaceIndex.end()) {
        found->second->second = std::move(surface);
        surfaceLru.splice(surfaceLru.begin(), surfaceLru, found->second);
        return;
    }
    if (surfaceLru.size() >= kSurfaceCacheLimit) {
        surfaceIndex.erase(surfaceLru.back().first);
        surfaceLru.pop_back();
    }
    surfaceLru.emplace_front(key, std::move(surface));
    surfaceIndex[key] = surfaceLru.begin();
}

std::pair<bool, IconBitmap> IconLoader::CopyPixels(const std::wstring& key) {
    std::lock_guard<std::mutex> lock(pixelMutex);
    auto found = pixels.find(key);
    if (found == pixels.end()) return {false, {}};
    return {true, found->second};
}

IconSurfaceRef IconLoader::CreateSurfaceFromPixels(const std::wstring& requestKey, int size, bool macStyle) {
    auto [found, bitmap] = CopyPixels(requestKey);
    if (!found) return nullptr;
    IconSurfaceRef surface = SurfaceFromBitmap(bitmap, ClampIconSize(size), macStyle, 0);
    if (surface) PutSurface(requestKey, surface);
    return surface;
}

// Reads (pixelKey, sourcePath) from disk into the pixel store and draws it.
IconSurfaceRef IconLoader::SurfaceFromDisk(const std::wstring& pixelKey, const std::wstring& sourcePath, int size,
                                           bool macStyle, int count) {
    IconBitmap bitmap;
    if (!ReadCacheFile(pixelKey, sourcePath, bitmap)) return nullptr;
    TouchRecent(CacheFilePath(pixelKey, sourcePath));
    {
        std::lock_guard<std::mutex> lock(pixelMutex);
        InsertPixelsLocked(pixelKey, bitmap);
    }
    return SurfaceFromBitmap(bitmap, size, macStyle, count);
}

IconSurfaceRef IconLoader::GetIconSurface(const std::wstring& itemKey, const std::wstring& path,
                                          const std::wstring& displayName, int size, bool macStyle) {
    if (!host) return nullptr;
    const int s = ClampIconSize(size);
    const std::wstring key = MakeRequestKey(itemKey, s, macStyle);
    if (IconSurfaceRef hit = FindSurface(key)) return hit;

    if (macStyle) {
        const BuiltinIconKind kind = BuiltinIconKindFor(path.empty() ? itemKey : path, displayName);
        if (kind != BuiltinIconNone) {
            if (IconSurfaceRef glyph = BuiltinGlyphTile(s, kind, 0, macStyle)) {
                PutSurface(key, glyph);
                return glyph;
            }
        }
    }
    if (IconSurfaceRef fromPixels = CreateSurfaceFromPixels(key, s, macStyle)) return fromPixels;
    // An icon being extracted lands in memory: the dock asks again for every
    // missing icon whenever some are ready, and a file probe each time for
    // each of hundreds of them slowed the extraction itself.
    if (IsPending(key)) return nullptr;
    if (IconSurfaceRef fromDisk = SurfaceFromDisk(key, path, s, macStyle, 0)) {
        PutSurface(key, fromDisk);
        return fromDisk;
    }
    return nullptr;
}

void IconLoader::RequestAsync(const std::wstring& itemKey, const std::wstring& path, const std::wstring& displayName,
                              int size, bool macStyle) {
    IconRequest request;
    request.key = itemKey;
    request.path = path;
    request.displayName = displayName;
    request.size = size;
    request.macStyle = macStyle;
    Enqueue(std::move(request), false);
}

void IconLoader::Enqueue(IconRequest request, bool first) {
    if (request.path.empty()) return;
    request.size = ClampIconSize(request.size);
    const std::wstring key = MakeRequestKey(request.key, request.size, request.macStyle);
    {
        std::lock_guard<std::mutex> lock(pixelMutex);
        if (pixels.count(key) || folderTiles.count(key)) return;
    }
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (stopping.load()) return;
        if (!pendingKeys.insert(key).second) return;
        if (first) {
            queue.push_front(std::move(request));
        } else {
            queue.push_back(std::move(request));
        }
    }
    StartWorkers();
    queueReady.notify_one();
}

IconSurfaceRef IconLoader::FindTileSurface(const std::wstring& launchId, const std::wstring& displayName,
                                           const std::wstring& targetPath, int size, bool macStyle, int count) {
    return LookUpTile(launchId, displayName, targetPath, size, macStyle, count, false);
}

IconSurfaceRef IconLoader::LookUpTile(const std::wstring& launchId, const std::wstring& displayName,
                                      const std::wstring& targetPath, int size, bool macStyle, int count,
                                      bool touchFiles) {
    if (!host) return nullptr;
    const int s = ClampIconSize(size);
    const int n = count >= 2 ? count : 0;
    const std::wstring tileKey = MakeIconKey(launchId, targetPath, s, macStyle, n);
    if (IconSurfaceRef hit = FindSurface(tileKey)) return hit;

    const std::wstring pixelKey = MakeIconKey(launchId, targetPath, s, macStyle, 0);
    const std::wstring source = targetPath.empty() ? launchId : targetPath;
    if (macStyle) {
        BuiltinIconKind kind =
            touchFiles ? BuiltinIconKindFor(source, displayName) : BuiltinIconKindByName(source, displayName);
        if (kind == BuiltinIconNone && !touchFiles) {
            std::lock_guard<std::mutex> lock(pixelMutex);
            if (auto found = folderTiles.find(pixelKey); found != folderTiles.end()) kind = found->second;
        }
        if (kind != BuiltinIconNone) {
            IconSurfaceRef glyph = BuiltinGlyphTile(s, kind, n, macStyle);
            if (glyph) PutSurface(tileKey, glyph);
            return glyph;
        }
    }

    if (auto [found, bitmap] = CopyPixels(pixelKey); found) {
        if (IconSurfaceRef surface = SurfaceFromBitmap(bitmap, s, macStyle, n)) {
            PutSurface(tileKey, surface);
            return surface;
        }
    }
    if (!touchFiles) return nullptr;
    if (IconSurfaceRef fromDisk = SurfaceFromDisk(pixelKey, source, s, macStyle, n)) {
        PutSurface(tileKey, fromDisk);
        return fromDisk;
    }
    return nullptr;
}

IconSurfaceRef IconLoader::GetIconSurfaceSync(const std::wstring& launchId, const std::wstring& displayName,
                                              const std::wstring& targetPath, int size, bool macStyle, int count) {
    if (IconSurfaceRef found = LookUpTile(launchId, displayName, targetPath, size, macStyle, count, true)) {
        return found;
    }
    if (!host) return nullptr;
    const int s = ClampIconSize(size);
    const int n = count >= 2 ? count : 0;
    const std::wstring pixelKey = MakeIconKey(launchId, targetPath, s, macStyle, 0);
    const std::wstring source = targetPath.empty() ? launchId : targetPath;
    IconSurfaceRef extracted;
    if (!launchId.empty()) {
        const std::wstring name = IsExtractablePath(launchId) ? launchId : L"shell:AppsFolder\\" + launchId;
        extracted = ExtractNow(name, s, macStyle, n, pixelKey, source);
    }
    if (!extracted && !targetPath.empty()) {
        extracted = ExtractNow(targetPath, s, macStyle, n, pixelKey, source);
    }
    if (extracted) PutSurface(MakeIconKey(launchId, targetPath, s, macStyle, n), extracted);
    return extracted;
}

// The request's key makes the workers store the pixels under the tile's pixel
// key and write the cache file the tile reads, of the target it names. It goes
// before what is queued: the page on the screen comes before pages left.
void IconLoader::RequestTileAsync(const std::wstring& launchId, const std::wstring& targetPath,
                                  const std::wstring& displayName, int size, bool macStyle) {
    IconRequest request;
    request.key = L"shell:" + (launchId.empty() ? targetPath : launchId);
    request.path = targetPath.empty() ? launchId : targetPath;
    request.primary = launchId;
    request.displayName = displayName;
    request.size = size;
    request.macStyle = macStyle;
    request.tile = true;
    Enqueue(std::move(request), true);
}

bool IconLoader::HasTilePixels(const std::wstring& launchId, const std::wstring& targetPath, int size, bool macStyle) {
    const std::wstring key = MakeIconKey(launchId, targetPath, ClampIconSize(size), macStyle, 0);
    std::lock_guard<std::mutex> lock(pixelMutex);
    return pixels.count(key) != 0 || folderTiles.count(key) != 0;
}

IconSurfaceRef IconLoader::PlaceholderTile(int size, bool macStyle, int count) {
    if (!macStyle || !host) return nullptr;
    const int s = ClampIconSize(size);
    const int n = count >= 2 ? count : 0;
    const std::wstring key = L"::placeholder@" + std::to_wstring(s) + L"#f" + std::to_wstring(n);
    if (IconSurfaceRef hit = FindSurface(key)) return hit;
    IconSurfaceRef surface = host->CreateDrawingSurface(s, s);
    if (!surface) return nullptr;
    IDWriteFactory* dwrite = graphics ? graphics->dwrite : nullptr;
    host->DrawSurface(*surface, [&](ID2D1DeviceContext* context) { PaintPlaceholderPlate(context, dwrite, s, n); });
    PutSurface(key, surface);
    return surface;
}

IconSurfaceRef IconLoader::CachedGlyphSurface(const wchar_t* keyPrefix, BuiltinIconKind kind, int size, bool macStyle) {
    const std::wstring key = SpecialKey(keyPrefix, size, macStyle);
    if (IconSurfaceRef hit = FindSurface(key)) return hit;
    IconSurfaceRef surface = BuiltinGlyphTile(ClampIconSize(size), kind, 0, macStyle);
    if (surface) PutSurface(key, surface);
    return surface;
}

IconSurfaceRef IconLoader::GetLaunchpadSurface(int size, bool macStyle) {
    return CachedGlyphSurface(L"::launchpad@", BuiltinIconLaunchpad, size, macStyle);
}

IconSurfaceRef IconLoader::GetSettingsSurface(int size, bool macStyle) {
    return CachedGlyphSurface(L"::settings@", BuiltinIconSettings, size, macStyle);
}

IconSurfaceRef IconLoader::GetRecycleBinSurface(int size, bool macStyle, bool* isFull) {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    const bool full = SUCCEEDED(SHQueryRecycleBinW(nullptr, &info)) && info.i64NumItems > 0;
    if (isFull) *isFull = full;
    const std::wstring key = SpecialKey(full ? L"::bin_full@" : L"::bin_empty@", size, macStyle);
    if (IconSurfaceRef hit = FindSurface(key)) return hit;
    const int s = ClampIconSize(size);
    IconSurfaceRef surface;
    if (macStyle) {
        surface = BuiltinGlyphTile(s, full ? BuiltinIconRecycleBinFull : BuiltinIconRecycleBinEmpty, 0, macStyle);
    } else {
        SHSTOCKICONINFO stock = {};
        stock.cbSize = sizeof stock;
        if (SUCCEEDED(SHGetStockIconInfo(full ? SIID_RECYCLERFULL : SIID_RECYCLER, SHGSI_ICON, &stock)) &&
            stock.hIcon) {
            surface = SurfaceFromHIcon(stock.hIcon, s);
            DestroyIcon(stock.hIcon);
        }
    }
    if (surface) PutSurface(key, surface);
    return surface;
}

bool IconLoader::LoadFromDisk(const std::wstring& tilePixelKey, const std::wstring& path, bool touchRecent) {
    if (tilePixelKey.empty()) return false;
    bool present = false;
    {
        std::lock_guard<std::mutex> lock(pixelMutex);
        present = pixels.count(tilePixelKey) != 0;
    }
    if (!present) {
        IconBitmap bitmap;
        if (!ReadCacheFile(tilePixelKey, path, bitmap)) return false;
        if (touchRecent) TouchRecent(CacheFilePath(tilePixelKey, path));
        KeepPixelsIfRoom(tilePixelKey, std::move(bitmap));
        return true;
    }
    if (touchRecent) TouchRecent(CacheFilePath(tilePixelKey, path));
    return true;
}

void IconLoader::ClearMemoryCaches() {
    surfaceIndex.clear();
    surfaceLru.clear();
    std::lock_guard<std::mutex> lock(pixelMutex);
    pixels.clear();
    pixelOrder.clear();
    folderTiles.clear();
}

void IconLoader::SetNotifyTarget(HWND window, UINT message) {
    notifyMessage.exchange(message);
    notifyWindow.exchange(window);
}

size_t IconLoader::QueuedCount() {
    std::lock_guard<std::mutex> lock(queueMutex);
    return queue.size();
}

bool IconLoader::IsPending(const std::wstring& key) {
    std::lock_guard<std::mutex> lock(queueMutex);
    return pendingKeys.count(key) != 0;
}

size_t IconLoader::PendingCount() {
    std::lock_guard<std::mutex> lock(queueMutex);
    return pendingKeys.size();
}
