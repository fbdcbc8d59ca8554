#include "render/WallpaperLumaCache.h"

#include <windows.h>

#include <charconv>

#include "platform/UniqueHandle.h"

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr size_t kUtf8BomBytes = 3;
// The system reports the wallpaper in a MAX_PATH buffer, so no longer path can
// ever match; a longer one marks a corrupt entry.
constexpr size_t kMaxPathChars = MAX_PATH - 1;
// Stamp (20 digits), a generous luminance field, the path at 3 UTF-8 bytes per
// UTF-16 unit, separators and the line end. A first line that does not end
// within this many bytes is not an entry of ours.
constexpr size_t kMaxLineBytes = 20 + 1 + 32 + 1 + kMaxPathChars * 3 + 2;
constexpr size_t kMaxReadBytes = kUtf8BomBytes + kMaxLineBytes;

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

bool FromUtf8(std::string_view utf8, std::wstring& text) {
    if (utf8.empty()) return false;
    const int size =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (size <= 0) return false;
    text.assign(static_cast<size_t>(size), L'\0');
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                               size) == size;
}

// At most kMaxReadBytes + 1 bytes: one more than a valid file can need, so an
// over-long line is recognised without reading the rest of the file.
bool ReadCacheStart(const std::wstring& path, std::string& bytes) {
    platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bytes.assign(kMaxReadBytes + 1, '\0');
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) {
        return false;
    }
    bytes.resize(got);
    return true;
}

}  // namespace

std::wstring GetWallpaperLumaCachePath(const WallpaperSystem& system) {
    std::wstring folder = system.cacheDirectory ? system.cacheDirectory() : std::wstring();
    if (folder.empty()) return {};
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder + L"wallpaper.luma";
}

std::string FormatWallpaperLumaFile(uint64_t stamp, float luminance, const std::wstring& path) {
    char number[64];
    std::string text = kUtf8Bom;
    auto written = std::to_chars(number, number + sizeof(number), stamp);
    text.append(number, written.ptr);
    text += '|';
    written =
        std::to_chars(number, number + sizeof(number), static_cast<double>(luminance), std::chars_format::fixed, 4);
    text.append(number, written.ptr);
    text += '|';
    text += ToUtf8(path);
    text += "\r\n";
    return text;
}

std::optional<WallpaperLumaEntry> ParseWallpaperLumaFile(std::string_view bytes) {
    if (bytes.substr(0, kUtf8BomBytes) == kUtf8Bom) bytes.remove_prefix(kUtf8BomBytes);
    std::string_view line = bytes.substr(0, bytes.find('\n'));
    if (line.size() > kMaxLineBytes) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    WallpaperLumaEntry entry;
    const char* cursor = line.data();
    const char* end = line.data() + line.size();
    auto stamp = std::from_chars(cursor, end, entry.stamp);
    if (stamp.ec != std::errc() || stamp.ptr == end || *stamp.ptr != '|') return std::nullopt;
    cursor = stamp.ptr + 1;
    auto value = std::from_chars(cursor, end, entry.luminance);
    if (value.ec != std::errc() || value.ptr == end || *value.ptr != '|') return std::nullopt;
    cursor = value.ptr + 1;
    if (!FromUtf8(std::string_view(cursor, static_cast<size_t>(end - cursor)), entry.path) ||
        entry.path.size() > kMaxPathChars) {
        return std::nullopt;
    }
    return entry;
}

float LoadWallpaperLumaCache(const WallpaperSystem& system) {
    std::wstring path;
    uint64_t stamp = 0;
    if (!GetWallpaperPathAndStamp(path, stamp, system)) return -1.0f;
    const std::wstring cachePath = GetWallpaperLumaCachePath(system);
    if (cachePath.empty()) return -1.0f;
    std::string bytes;
    if (!ReadCacheStart(cachePath, bytes)) return -1.0f;
    const std::optional<WallpaperLumaEntry> entry = ParseWallpaperLumaFile(bytes);
    if (!entry || entry->stamp != stamp || !(entry->luminance >= 0.0 && entry->luminance <= 1.0)) {
        return -1.0f;
    }
    // Exact, letter case included: another spelling may be another file.
    if (entry->path != path) return -1.0f;
    return static_cast<float>(entry->luminance);
}

void SaveWallpaperLumaCache(float luminance, const WallpaperSystem& system) {
    if (!(luminance >= 0.0f && luminance <= 1.0f)) return;
    std::wstring path;
    uint64_t stamp = 0;
    if (!GetWallpaperPathAndStamp(path, stamp, system)) return;
    const std::wstring cachePath = GetWallpaperLumaCachePath(system);
    if (cachePath.empty()) return;
    const std::string text = FormatWallpaperLumaFile(stamp, luminance, path);
    platform::UniqueHandle file(CreateFileW(cachePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    // A short write leaves a line that the next load rejects, which only costs
    // one more measurement.
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
