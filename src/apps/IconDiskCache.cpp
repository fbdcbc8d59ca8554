#include "apps/IconDiskCache.h"

#include "platform/Log.h"
#include "config/PathText.h"
#include "config/SharedFile.h"
#include "platform/UniqueHandle.h"

#include <windows.h>
#include <share.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>
#include <filesystem>

namespace {

constexpr uint64_t kHashStart = 0x14650FB0739D0383ull;
constexpr uint64_t kFnvPrime = 0x100000001B3ull;
constexpr char kMagic[4] = {'V', 'T', 'I', '1'};
constexpr uint32_t kVersion = 1;
constexpr int32_t kMaxEdge = 512;
constexpr size_t kHeaderBytes = 16;
constexpr size_t kPruneAbove = 800;
constexpr size_t kPruneKeep = 600;

std::wstring ToDecimal(int64_t value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::wstring(digits, result.ptr);
}

std::wstring ToDecimal(uint64_t value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::wstring(digits, result.ptr);
}

void PutLe32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLe32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
           static_cast<uint32_t>(in[3]) << 24;
}

int64_t FileTimeValue(const FILETIME& time) {
    return static_cast<int64_t>(static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime);
}

struct CacheFileEntry {
    int64_t lastWriteTime = std::numeric_limits<int64_t>::min();
    std::wstring path;
};

}  // namespace

uint64_t IconCacheHash(std::wstring_view text) {
    uint64_t hash = kHashStart;
    for (wchar_t unit : text) {
        hash ^= static_cast<uint16_t>(unit);
        hash *= kFnvPrime;
    }
    return hash;
}

bool IsDrivePath(std::wstring_view text) {
    if (text.empty() || text.starts_with(L"shell:") || text.starts_with(L"SHELL:")) return false;
    return text.size() >= 2 && text[1] == L':';
}

namespace {

// "|" + last-write FILETIME + "|" + size of a readable drive-path file, else empty.
std::wstring FileStamp(const std::wstring& path) {
    if (!IsDrivePath(path)) return {};
    // File times come from Win32: the runtime's filesystem clock is not FILETIME.
    // Opening the file follows links to their target; a folder has no size and
    // keeps the bare key, so its icon does not go stale whenever its contents change.
    platform::UniqueHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool ok = GetFileInformationByHandle(file.get(), &info) != FALSE;
    file.reset();
    if (!ok || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    const uint64_t size = static_cast<uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    return L"|" + ToDecimal(FileTimeValue(info.ftLastWriteTime)) + L"|" + ToDecimal(size);
}

}  // namespace

std::wstring ShortcutOfTileKey(const std::wstring& key) {
    constexpr std::wstring_view prefix = L"shell:";
    if (!key.starts_with(prefix)) return {};
    const size_t at = key.rfind(L'@');
    if (at == std::wstring::npos || at < prefix.size()) return {};
    std::wstring item = key.substr(prefix.size(), at - prefix.size());
    if (!IsDrivePath(item) || !item.ends_with(L".lnk")) return {};
    return item;
}

std::wstring MakeVersionedIconKey(const std::wstring& key, const std::wstring& sourcePath) {
    std::wstring versioned = key + FileStamp(sourcePath);
    // A tile's icon comes from its shortcut first: a shortcut given another
    // icon changes the shortcut, not its target.
    const std::wstring shortcut = ShortcutOfTileKey(key);
    if (!shortcut.empty() && shortcut != NormalizePathKey(sourcePath)) versioned += FileStamp(shortcut);
    return versioned;
}

std::wstring IconCacheFilePathIn(const std::wstring& cacheFolder, const std::wstring& key,
                                 const std::wstring& sourcePath) {
    if (cacheFolder.empty()) return {};
    wchar_t name[32];
    _snwprintf(name, 31, L"%016llX.vti",
               static_cast<unsigned long long>(IconCacheHash(MakeVersionedIconKey(key, sourcePath))));
    name[31] = L'\0';
    std::wstring path = cacheFolder;
    if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path + L"iconcache\\" + name;
}

bool ReadIconCacheFileAt(const std::wstring& file, IconBitmap& out) {
    if (file.empty()) return false;
    FILE* stream = OpenSharedForReading(file);
    if (!stream) return false;
    uint8_t header[kHeaderBytes];
    bool ok = fread(header, 1, kHeaderBytes, stream) == kHeaderBytes && memcmp(header, kMagic, 4) == 0 &&
              GetLe32(header + 4) == kVersion;
    if (ok) {
        const auto width = static_cast<int32_t>(GetLe32(header + 8));
        const auto height = static_cast<int32_t>(GetLe32(header + 12));
        ok = width > 0 && height > 0 && width <= kMaxEdge && height <= kMaxEdge;
        if (ok) {
            out.width = width;
            out.height = height;
            out.pixels.resize(static_cast<size_t>(width) * height * 4);
            ok = fread(out.pixels.data(), 1, out.pixels.size(), stream) == out.pixels.size();
        }
    }
    fclose(stream);
    if (!ok) {
        // A damaged file would fail every later read too: the next extraction rewrites it.
        DeleteFileW(file.c_str());
        out = IconBitmap{};
    }
    return ok;
}

void WriteIconCacheFileAt(const std::wstring& file, const IconBitmap& bitmap) {
    if (!bitmap.Usable() || file.empty()) return;
    if (bitmap.pixels.size() < static_cast<size_t>(bitmap.width) * bitmap.height * 4) return;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    if (ec) return;
    const std::wstring temp = file + L".tmp";
    // Exclusive writer: a second writer of the same icon at the same moment
    // fails to open and leaves the file to the first.
    FILE* stream = _wfsopen(temp.c_str(), L"wb", _SH_DENYWR);
    if (!stream) return;
    uint8_t header[kHeaderBytes];
    memcpy(header, kMagic, 4);
    PutLe32(header + 4, kVersion);
    PutLe32(header + 8, static_cast<uint32_t>(bitmap.width));
    PutLe32(header + 12, static_cast<uint32_t>(bitmap.height));
    const size_t pixelBytes = static_cast<size_t>(bitmap.width) * bitmap.height * 4;
    bool ok = fwrite(header, 1, kHeaderBytes, stream) == kHeaderBytes &&
              fwrite(bitmap.pixels.data(), 1, pixelBytes, stream) == pixelBytes && FlushToDisk(stream);
    fclose(stream);
    if (!ok || !ReplaceSharedFile(temp, file, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temp.c_str());
    }
}

size_t PruneIconCacheFolder(const std::wstring& iconCacheFolder) {
    if (iconCacheFolder.empty()) return 0;
    std::vector<CacheFileEntry> entries;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileExW((iconCacheFolder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        CacheFileEntry entry;
        entry.path = iconCacheFolder + L"\\" + found.cFileName;
        entry.lastWriteTime = FileTimeValue(found.ftLastWriteTime);
        entries.push_back(std::move(entry));
    } while (FindNextFileW(search, &found));
    FindClose(search);

    if (entries.size() <= kPruneAbove) return 0;
    std::sort(entries.begin(), entries.end(),
              [](const CacheFileEntry& a, const CacheFileEntry& b) { return a.lastWriteTime < b.lastWriteTime; });
    const size_t excess = entries.size() - kPruneKeep;
    for (size_t i = 0; i < excess; ++i) DeleteFileW(entries[i].path.c_str());
    LogMessage(L"IconLoader: pruned %llu cached icon files", static_cast<unsigned long long>(excess));
    return excess;
}

void TouchRecentPath(std::vector<std::wstring>& recent, const std::wstring& path) {
    if (path.empty()) return;
    if (std::find(recent.begin(), recent.end(), path) != recent.end()) return;
    if (recent.size() >= kRecentIconLimit) recent.erase(recent.begin());
    recent.push_back(path);
}

void WriteRecentListFile(const std::wstring& cacheFolder, const std::vector<std::wstring>& recent) {
    if (recent.empty() || cacheFolder.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(cacheFolder), ec);
    std::wstring text;
    for (const std::wstring& path : recent) text += path + L"\r\n";
    std::wstring file = cacheFolder;
    if (file.back() != L'\\' && file.back() != L'/') file += L'\\';
    file += L"icon-recent.txt";
    const platform::UniqueHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return;
    DWORD written = 0;
    WriteFile(handle.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
}
