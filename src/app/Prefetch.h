#pragma once
// Pulls the files the first frames will read into the system's file cache on
// a thread of its own while the UI thread is still creating windows: the
// configuration, the luminance and catalog caches and the most recent icons.

#include <string>
#include <vector>

// Builds the list and prefetches it; runs once, on a detached thread.
void PrefetchStartupFiles();

// The files to prefetch, in order: the configuration, then (with a cache
// folder) "wallpaper.luma", "catalog.bin" and up to 64 recent icon files
// (the recent list, or else the 16 newest files of "iconcache").
std::vector<std::wstring> StartupPrefetchList(const std::wstring& configPath, const std::wstring& cacheFolder);

// The non-empty lines of a UTF-16LE text file of 1 to 65535 bytes.
std::vector<std::wstring> ReadPathListFile(const std::wstring& path);

// Maps every file and hands all of them to the system in one prefetch
// request; returns how many files were mapped.
int PrefetchFiles(const std::vector<std::wstring>& paths);
