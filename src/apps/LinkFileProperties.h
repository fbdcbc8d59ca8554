#pragma once
// Reads the application user model id straight from a shortcut file's bytes:
// the property-store extra-data block of the binary link format. Used where the
// shell link object's property store cannot give it.

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

// The raw id (not normalised), or empty when the bytes hold none or are malformed.
std::wstring AppUserModelIdFromLinkBytes(std::span<const uint8_t> bytes);

// Reads up to 1 MiB of the file and parses it.
std::wstring AppUserModelIdFromLinkFile(const std::wstring& path);
