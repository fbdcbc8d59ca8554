#pragma once
// Reading and writing the configuration file.

#include "config/DockConfig.h"

#include <cstdint>
#include <string>

// Largest configuration file that is read; anything bigger counts as broken.
constexpr uint64_t kMaxConfigFileBytes = 0x3FFFFF;

// Never fails. A missing file is created with the defaults; a file that cannot
// be read or parsed gives the defaults and is left as it is on disk, and one
// that cannot be parsed is also copied to path + ".bak" (replacing an older
// copy), since the next save replaces it. Whatever it returns can be saved:
// lists too long to be written within kMaxConfigFileBytes are cut, the file
// kept as ".bak" in the same way.
DockConfig LoadConfig(const std::wstring& path);

// Writes path + ".tmp", then moves it over path, so the file on disk is always
// either the old or the new configuration. False when nothing was replaced;
// a text larger than kMaxConfigFileBytes is never written.
bool SaveConfig(const std::wstring& path, const DockConfig& config);
