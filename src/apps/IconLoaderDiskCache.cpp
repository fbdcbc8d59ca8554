// The icon loader's disk cache and recent list, on the program's cache folder.

#include "apps/IconDiskCache.h"
#include "apps/IconLoader.h"

#include "config/Paths.h"

#include <windows.h>

std::wstring IconLoader::MakeVersionedKey(const std::wstring& key, const std::wstring& sourcePath) {
    return MakeVersionedIconKey(key, sourcePath);
}

std::wstring IconLoader::CacheFilePath(const std::wstring& key, const std::wstring& sourcePath) {
    return IconCacheFilePathIn(GetCacheDirectory(), key, sourcePath);
}

bool IconLoader::HasCacheFile(const std::wstring& key, const std::wstring& sourcePath) {
    const std::wstring file = CacheFilePath(key, sourcePath);
    if (file.empty()) return false;
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IconLoader::ReadCacheFile(const std::wstring& key, const std::wstring& sourcePath, IconBitmap& out) {
    return ReadIconCacheFileAt(CacheFilePath(key, sourcePath), out);
}

void IconLoader::WriteCacheFile(const std::wstring& key, const std::wstring& sourcePath, const IconBitmap& bitmap) {
    if (!bitmap.Usable()) return;
    WriteIconCacheFileAt(CacheFilePath(key, sourcePath), bitmap);
}

void IconLoader::PruneDiskCache() {
    const std::wstring folder = GetCacheDirectory();
    if (folder.empty()) return;
    PruneIconCacheFolder(folder + (folder.back() == L'\\' ? L"" : L"\\") + L"iconcache");
}

void IconLoader::TouchRecent(const std::wstring& cacheFilePath) {
    if (cacheFilePath.empty()) return;
    std::lock_guard<std::mutex> lock(recentMutex);
    TouchRecentPath(recentPaths, cacheFilePath);
}

void IconLoader::SaveRecentList() {
    std::vector<std::wstring> copy;
    {
        std::lock_guard<std::mutex> lock(recentMutex);
        copy = recentPaths;
    }
    WriteRecentListFile(GetCacheDirectory(), copy);
}

std::vector<std::wstring> IconLoader::RecentPaths() {
    std::lock_guard<std::mutex> lock(recentMutex);
    return recentPaths;
}
