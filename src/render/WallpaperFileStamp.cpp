#include "render/WallpaperFileStamp.h"

#include <windows.h>

#include "platform/UniqueHandle.h"

namespace {

uint64_t Fnv1a(uint64_t value, uint64_t hash) {
    for (int i = 0; i < 8; ++i) hash = (hash ^ ((value >> (8 * i)) & 0xFF)) * 1099511628211ull;
    return hash;
}

uint64_t Join(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

}  // namespace

bool ReadWallpaperFileStamp(const std::wstring& path, uint64_t& stamp) {
    if (path.empty()) return false;
    platform::UniqueHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    FILE_BASIC_INFO basic = {};
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool got = GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof(basic)) &&
                     GetFileInformationByHandle(file.get(), &info);
    file.reset();
    if (!got) return false;
    uint64_t hash = 14695981039346656037ull;
    hash = Fnv1a(static_cast<uint64_t>(basic.LastWriteTime.QuadPart), hash);
    hash = Fnv1a(static_cast<uint64_t>(basic.ChangeTime.QuadPart), hash);
    hash = Fnv1a(Join(info.nFileSizeHigh, info.nFileSizeLow), hash);
    hash = Fnv1a(info.dwVolumeSerialNumber, hash);
    stamp = Fnv1a(Join(info.nFileIndexHigh, info.nFileIndexLow), hash);
    return true;
}
