#include "dock/DockWindowFrameDump.h"

#include <windows.h>

#include <cstdint>

#include "platform/UniqueHandle.h"

bool WriteFrameDump(const std::wstring& path, const raster::Image& image) {
    if (path.empty() || image.IsEmpty()) return false;
    const uint32_t pixelBytes = static_cast<uint32_t>(image.Width()) * static_cast<uint32_t>(image.Height()) * 4u;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof(info);
    info.biWidth = image.Width();
    info.biHeight = -image.Height();  // top-down
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = pixelBytes;

    const std::wstring temporary = path + L".tmp";
    platform::UniqueHandle handle(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return false;
    auto put = [&](const void* data, DWORD size) {
        DWORD written = 0;
        return WriteFile(handle.get(), data, size, &written, nullptr) && written == size;
    };
    // On the disk before the rename makes it the dump, as every file we replace.
    const bool written = put(&file, sizeof(file)) && put(&info, sizeof(info)) && put(image.Data(), pixelBytes) &&
                         FlushFileBuffers(handle.get());
    handle.reset();  // closed before it is moved into place
    if (!written || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}
