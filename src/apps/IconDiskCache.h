#pragma once
// Icon cache files ("VTI1": 16-byte header, then raw premultiplied BGRA) and
// the list of recently used ones, as operations on an explicit folder. The
// icon loader's static operations apply them to the program's cache folder.

#include "apps/IconBitmap.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// 64-bit FNV-1a over whole UTF-16 code units, from the cache's own start value.
uint64_t IconCacheHash(std::wstring_view text);

// Not empty, not a "shell:" / "SHELL:" name, at least 2 characters, ':' second.
bool IsDrivePath(std::wstring_view text);

// The shortcut a tile pixel key names ("shell:" + a drive path ending in
// ".lnk" + "@..."), else empty.
std::wstring ShortcutOfTileKey(const std::wstring& key);

// key + "|" + last-write FILETIME + "|" + size for a readable drive-path file,
// else the key unchanged; then the same stamp of the shortcut a tile key names
// when that is not the source itself.
std::wstring MakeVersionedIconKey(const std::wstring& key, const std::wstring& sourcePath);

// "<cacheFolder>\iconcache\%016llX.vti"; empty when cacheFolder is empty.
std::wstring IconCacheFilePathIn(const std::wstring& cacheFolder, const std::wstring& key,
                                 const std::wstring& sourcePath);

// Reads a whole cache file. A damaged file (short, wrong magic or version,
// sizes outside 1..512) is deleted; out is then empty.
bool ReadIconCacheFileAt(const std::wstring& file, IconBitmap& out);

// Writes through "<file>.tmp" (exclusive writer) and renames it into place;
// readers share delete access, so a reader holding the old file never keeps
// the new one out.
void WriteIconCacheFileAt(const std::wstring& file, const IconBitmap& bitmap);

// Keeps the folder's regular files at 600, oldest removed first, once there are
// more than 800. Logs and returns how many were meant to go (0 when none).
size_t PruneIconCacheFolder(const std::wstring& iconCacheFolder);

constexpr size_t kRecentIconLimit = 64;

// Appends a path not yet listed, dropping the oldest beyond the limit; a listed
// path keeps its place.
void TouchRecentPath(std::vector<std::wstring>& recent, const std::wstring& path);

// "icon-recent.txt" in the folder: UTF-16LE, each path followed by CR LF, no
// byte-order mark. An empty list writes nothing.
void WriteRecentListFile(const std::wstring& cacheFolder, const std::vector<std::wstring>& recent);
