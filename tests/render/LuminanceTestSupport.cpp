#include "render/LuminanceTestSupport.h"

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace luminance_testing {

namespace {

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool SetWallpaper(const std::wstring& path) {
    std::wstring copy = path;
    return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, copy.data(), SPIF_UPDATEINIFILE) != 0;
}

}  // namespace

void WriteBmp(const std::wstring& path, int width, int height,
              const std::function<Rgb(int x, int y)>& colorAt) {
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(height);
    std::string file = "BM";
    PutLe(file, 14 + 40 + pixelBytes, 4);
    PutLe(file, 0, 4);
    PutLe(file, 14 + 40, 4);
    PutLe(file, 40, 4);
    PutLe(file, static_cast<uint32_t>(width), 4);
    PutLe(file, static_cast<uint32_t>(height), 4);
    PutLe(file, 1, 2);
    PutLe(file, 24, 2);
    PutLe(file, 0, 4);  // BI_RGB
    PutLe(file, pixelBytes, 4);
    PutLe(file, 2835, 4);
    PutLe(file, 2835, 4);
    PutLe(file, 0, 4);
    PutLe(file, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const Rgb color = colorAt(x, y);
            row += static_cast<char>(color.blue);
            row += static_cast<char>(color.green);
            row += static_cast<char>(color.red);
        }
        row.resize(rowBytes, '\0');
        file += row;
    }
    testing_support::WriteFileBytes(path, file);
}

std::wstring CurrentWallpaper() {
    wchar_t buffer[MAX_PATH] = {};
    if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, buffer, 0)) return {};
    return buffer;
}

ScopedWallpaper::ScopedWallpaper(const std::wstring& path) : previous_(CurrentWallpaper()) {
    applied_ = SetWallpaper(path) && CurrentWallpaper() == path;
}

ScopedWallpaper::~ScopedWallpaper() { SetWallpaper(previous_); }

bool SetLastWriteTime(const std::wstring& path, uint64_t stamp) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME time = {static_cast<DWORD>(stamp & 0xFFFFFFFFu), static_cast<DWORD>(stamp >> 32)};
    const BOOL set = SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return set != FALSE;
}

}  // namespace luminance_testing
