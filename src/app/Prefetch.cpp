#include "app/Prefetch.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "config/Paths.h"
#include "platform/UniqueHandle.h"

namespace {

constexpr size_t kMaxRecentIcons = 64;
constexpr size_t kNewestIcons = 16;

struct FileTimeEntry {
    int64_t lastWrite = std::numeric_limits<int64_t>::min();
    std::wstring path;
};

// The newest files of the icon cache folder, by the write time the directory
// entry carries (the runtime's filesystem clock is not FILETIME).
std::vector<std::wstring> NewestIconFiles(const std::wstring& iconFolder) {
    std::vector<FileTimeEntry> entries;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((iconFolder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return {};
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        FileTimeEntry entry;
        entry.lastWrite = static_cast<int64_t>(static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32 |
                                               found.ftLastWriteTime.dwLowDateTime);
        entry.path = iconFolder + L"\\" + found.cFileName;
        entries.push_back(std::move(entry));
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(entries.begin(), entries.end(),
              [](const FileTimeEntry& a, const FileTimeEntry& b) { return a.lastWrite > b.lastWrite; });
    std::vector<std::wstring> paths;
    for (size_t i = 0; i < entries.size() && i < kNewestIcons; ++i) paths.push_back(entries[i].path);
    return paths;
}

}  // namespace

std::vector<std::wstring> ReadPathListFile(const std::wstring& path) {
    std::vector<std::wstring> lines;
    platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return lines;
    LARGE_INTEGER size = {};
    std::wstring text;
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart >= 1 && size.QuadPart <= 65535) {
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        if (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
            text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), read / sizeof(wchar_t));
        }
    }
    file.reset();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::vector<std::wstring> StartupPrefetchList(const std::wstring& configPath, const std::wstring& cacheFolder) {
    std::vector<std::wstring> list;
    list.reserve(66);
    if (!configPath.empty()) list.push_back(configPath);
    if (cacheFolder.empty()) return list;
    list.push_back(cacheFolder + L"\\wallpaper.luma");
    list.push_back(cacheFolder + L"\\catalog.bin");
    std::vector<std::wstring> recent = ReadPathListFile(cacheFolder + L"\\icon-recent.txt");
    if (recent.empty()) recent = NewestIconFiles(cacheFolder + L"\\iconcache");
    if (recent.size() > kMaxRecentIcons) recent.resize(kMaxRecentIcons);
    list.insert(list.end(), recent.begin(), recent.end());
    return list;
}

int PrefetchFiles(const std::vector<std::wstring>& paths) {
    struct Mapped {
        platform::UniqueHandle file;
        void* view;
    };
    std::vector<Mapped> mapped;
    std::vector<WIN32_MEMORY_RANGE_ENTRY> ranges;
    for (const auto& path : paths) {
        if (path.empty()) continue;
        platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) continue;
        LARGE_INTEGER size = {};
        void* view = nullptr;
        if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
            // The view keeps the mapping alive.
            const platform::UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
            if (mapping) view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
        }
        if (!view) continue;
        mapped.push_back({std::move(file), view});
        ranges.push_back({view, static_cast<SIZE_T>(size.QuadPart)});
    }
    if (!ranges.empty()) {
        // Looked up by name: a system without it still starts, only without the prefetch.
        using PrefetchFn = BOOL(WINAPI*)(HANDLE, ULONG_PTR, PWIN32_MEMORY_RANGE_ENTRY, ULONG);
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        auto prefetch =
            kernel
                ? reinterpret_cast<PrefetchFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "PrefetchVirtualMemory")))
                : nullptr;
        if (prefetch) prefetch(GetCurrentProcess(), ranges.size(), ranges.data(), 0);
    }
    for (auto& m : mapped) {
        UnmapViewOfFile(m.view);
        m.file.reset();
    }
    return static_cast<int>(mapped.size());
}

void PrefetchStartupFiles() { PrefetchFiles(StartupPrefetchList(GetConfigPath(), GetCacheDirectory())); }
