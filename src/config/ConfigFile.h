#pragma once
// Reading and writing the configuration file.

#include "config/DockConfig.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Largest configuration file that is read; anything bigger counts as broken.
constexpr uint64_t kMaxConfigFileBytes = 0x3FFFFF;
// What lists too long to be written are cut to: room for many more changes.
constexpr uint64_t kCutConfigFileBytes = kMaxConfigFileBytes / 4 * 3;

struct ConfigLoad {
    DockConfig config;
    // False when the file exists but could not be read (the defaults stand
    // in): the file still holds the user's settings.
    bool fromFile = false;
    // Lists were cut to make the configuration savable.
    bool cut = false;
    // The dated copy that holds the file as it was before it was cut or found
    // broken; empty when none was made.
    std::wstring copy;
};

// LoadConfig, telling how the configuration came about. A file that cannot
// be opened is tried again for about a second first.
ConfigLoad LoadConfigFile(const std::wstring& path);

// Never fails. A missing file is created with the defaults; a file that cannot
// be read or parsed gives the defaults and is left as it is on disk, and one
// that cannot be parsed is also kept as a dated copy (KeepConfigBackup), since
// the next save replaces it. Whatever it returns can be saved: lists too long
// to be written within kMaxConfigFileBytes are cut, the file kept in the same way.
DockConfig LoadConfig(const std::wstring& path);

// Writes path + ".tmp", then moves it over path, so the file on disk is always
// either the old or the new configuration. False when nothing was replaced;
// a text larger than kMaxConfigFileBytes is never written.
bool SaveConfig(const std::wstring& path, const DockConfig& config);

// DockConfig::FromJson over the text read from path. A text that does not
// parse is logged once, with the path and the line and column where reading
// stopped, and kept as a dated copy (`copy` names it), since the next save
// replaces it.
bool ParseConfigFile(const std::wstring& path, const std::string& text, DockConfig& out, std::wstring& copy);

enum class ConfigRead { Read, Missing, Unreadable };
// One attempt at the file's bytes; the text is empty for a file of 0 bytes or
// one over kMaxConfigFileBytes. `error` is the open's error when not Read.
ConfigRead ReadConfigText(const std::wstring& path, std::string& text, DWORD& error);

// Cuts the lists of a configuration that would not fit kMaxConfigFileBytes
// once written, keeping the file at path as a dated copy (`copy`) first.
// True when anything was cut.
bool CutToWritableSize(const std::wstring& path, DockConfig& config, std::wstring& copy);

// How many dated copies of the configuration are kept.
constexpr size_t kKeptConfigCopies = 5;
// Before the file is replaced: copies it to path + ".bak-YYYYMMDD-HHMMSS" (the
// local time `at`, now when null; "-2", "-3"... added when that name is taken,
// so no earlier copy is ever overwritten), or moves it there when it cannot be
// read, then removes the oldest dated copies beyond kKeptConfigCopies. True
// when the file's content is kept (or there is none to keep); `copy` is the
// copy made, empty when none.
bool KeepConfigBackup(const std::wstring& path, std::wstring& copy, const SYSTEMTIME* at = nullptr);
// The dated copies of the file at path, newest first.
std::vector<std::wstring> ConfigCopies(const std::wstring& path);
