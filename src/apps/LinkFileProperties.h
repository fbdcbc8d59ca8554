#pragma once
// A shortcut file's own bytes, read without the shell: whether its sections
// fit the file, and the application user model id of its property-store
// extra-data block, for where the shell link object's property store cannot
// give it.

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

// True when every section the link's header announces (item id list, LinkInfo,
// strings, extra-data blocks) lies within the bytes. The shell trusts those
// sizes and allocates what they claim before it reads.
bool LinkBytesAreSound(std::span<const uint8_t> bytes);

// The raw id (not normalised), or empty when the bytes hold none or are malformed.
std::wstring AppUserModelIdFromLinkBytes(std::span<const uint8_t> bytes);
