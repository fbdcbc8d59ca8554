#pragma once
// Where the program keeps its files.

#include <string>

// "vantreel.json": beside the executable when that folder is writable or the
// file is already there, else under "<LocalAppData>\Vantreel". Computed once per
// process, so every thread gets the same answer. Safe from any thread.
std::wstring GetConfigPath();

// The decision behind GetConfigPath for a given executable folder, asked fresh
// on every call: an existing "vantreel.json" there wins, then a writable folder
// (probed with ".vantreel_write_probe"), then the local application-data folder.
// An empty folder (the executable's path did not fit in 260 characters) goes
// straight to the local application-data folder.
std::wstring ResolveConfigPath(const std::wstring& executableFolder);

// "<LocalAppData>\Vantreel\cache", created on first use; empty when it cannot be
// created, and then every cache file is skipped. Safe from any thread.
std::wstring GetCacheDirectory();
