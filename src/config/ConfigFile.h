#pragma once
// Reading and writing the configuration file.

#include "config/DockConfig.h"

#include <windows.h>

#include <cstdint>
#include <string>

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
};

// LoadConfig, telling how the configuration came about. A file that cannot
// be opened is tried again for about a second first.
ConfigLoad LoadConfigFile(const std::wstring& path);

// Never fails. A missing file is created with the defaults; a file that cannot
// be read or parsed gives the defaults and is left as it is on disk, and one
// that cannot be parsed is also copied to path + ".bak" (replacing a copy
// made before today), since the next save replaces it. Whatever it returns can be saved:
// lists too long to be written within kMaxConfigFileBytes are cut, the file
// kept as ".bak" in the same way.
DockConfig LoadConfig(const std::wstring& path);

// Writes path + ".tmp", then moves it over path, so the file on disk is always
// either the old or the new configuration. False when nothing was replaced;
// a text larger than kMaxConfigFileBytes is never written.
bool SaveConfig(const std::wstring& path, const DockConfig& config);

enum class ConfigRead { Read, Missing, Unreadable };
// One attempt at the file's bytes; the text is empty for a file of 0 bytes or
// one over kMaxConfigFileBytes. `error` is the open's error when not Read.
ConfigRead ReadConfigText(const std::wstring& path, std::string& text, DWORD& error);

// Whether an existing path + ".bak" made today gives way to a new copy: the
// copy of the user's own file must outlive the cut or broken files that follow
// it on the same day.
enum class BackupAge { KeepToday, Replace };
// Copies the file to path + ".bak" (or, when it cannot be read, moves it
// there) before the file is replaced. True when the file's content is kept
// (or there is none to keep).
bool KeepConfigBackup(const std::wstring& path, BackupAge age);
