#pragma once
// "catalog.bin": the last catalog on disk, so the launcher can show it at once
// after a start. Little-endian: "VTCA", version 3, entry count, then the entries
// with their folder members. Version 2 added each entry's shortcut path, version
// 3 that shortcut's arguments and working folder; a file of another version
// counts as stale, is deleted and rebuilt. Written through "<path>.tmp" and moved into place
// (readers share delete access, so a reader holding the old file never keeps
// the new one out).
// Failures are silent.

#include <cstdio>
#include <string>
#include <vector>

#include "apps/InstalledApp.h"

inline constexpr uint32_t kCatalogCacheVersion = 3;
// The reader's limits, which the writer keeps too, so every catalog saved loads
// again (one that would not is not saved) and no file makes the reader hold
// more than a few times its own size: entries in all, folder members included;
// units of one string; bytes of the whole file.
inline constexpr uint32_t kCatalogCacheMaxEntries = 65536;
inline constexpr uint32_t kCatalogCacheMaxStringUnits = 32768;
inline constexpr uint64_t kCatalogCacheMaxFileBytes = 16u << 20;

// "catalog.bin" in the cache folder, or empty when there is no cache folder.
std::wstring CatalogCachePath();

// An empty catalog writes nothing, nor does one beyond the limits above (the
// previous file stays, as after any failed save). Saves in this process are serialised, and the
// temporary file is held without write sharing, so two saves never interleave.
void SaveCatalogCache(const std::vector<InstalledApp>& catalog);
void SaveCatalogCacheTo(const std::wstring& path, const std::vector<InstalledApp>& catalog);

// True when a valid, non-empty catalog was read into out. An invalid file is
// deleted and out left alone; a valid file with no entries empties out and stays.
bool LoadCatalogCache(std::vector<InstalledApp>& out);
bool LoadCatalogCacheFrom(const std::wstring& path, std::vector<InstalledApp>& out);

bool WriteCatalogEntry(FILE* file, const InstalledApp& entry);
// Reads a top-level entry. Its members may not have members of their own, so a
// corrupt file cannot make the reader recurse without limit.
bool ReadCatalogEntry(FILE* file, InstalledApp& entry);
bool WriteCatalogString(FILE* file, const std::wstring& text);
bool ReadCatalogString(FILE* file, std::wstring& text);
