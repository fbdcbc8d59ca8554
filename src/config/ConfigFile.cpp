#include "config/ConfigFile.h"

#include "platform/Log.h"
#include "config/JsonWriter.h"
#include "config/SharedFile.h"
#include "platform/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <system_error>

namespace {

constexpr int kReadAttempts = 6;
constexpr DWORD kReadRetryMs = 200;

bool WriteAll(HANDLE file, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// "YYYYMMDD-HHMMSS": copies named so sort by the time they were made.
std::wstring Stamp(const SYSTEMTIME& at) {
    wchar_t stamp[32] = {};
    _snwprintf(stamp, 31, L"%04u%02u%02u-%02u%02u%02u", at.wYear, at.wMonth, at.wDay, at.wHour, at.wMinute, at.wSecond);
    return stamp;
}

// The stamp and the number a copy's name carries after path + ".bak-"; false
// for any other name, which is none of ours to remove.
bool ParseCopyName(std::wstring_view rest, std::wstring& stamp, unsigned& number) {
    const auto digits = [](std::wstring_view text) {
        return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    };
    if (rest.size() < 15 || !digits(rest.substr(0, 8)) || rest[8] != L'-' || !digits(rest.substr(9, 6))) return false;
    stamp.assign(rest.substr(0, 15));
    number = 1;
    if (rest.size() == 15) return true;
    if (rest[15] != L'-' || rest.size() > 22 || !digits(rest.substr(16))) return false;
    number = 0;
    for (wchar_t c : rest.substr(16)) number = number * 10 + static_cast<unsigned>(c - L'0');
    return true;
}

// Several copies of one day may each hold what no other file does; only the
// oldest give way, never the one just made.
void RemoveOldCopies(const std::wstring& path, const std::wstring& made) {
    std::vector<std::wstring> copies = ConfigCopies(path);
    std::erase(copies, made);
    for (size_t i = kKeptConfigCopies - 1; i < copies.size(); ++i) {
        if (DeleteFileW(copies[i].c_str()))
            LogMessage(L"Config copy %s removed: newer ones are kept", copies[i].c_str());
    }
}

size_t WrittenBytes(const std::wstring& entry) { return JsonEscapeToUtf8(entry).size() + 8; }
size_t WrittenBytes(const PinnedApp& entry) {
    return JsonEscapeToUtf8(entry.name).size() + JsonEscapeToUtf8(entry.path).size() +
           JsonEscapeToUtf8(entry.args).size() + JsonEscapeToUtf8(entry.appId).size() + 85;
}

// What the writer spends on each entry of the list, and on all of them.
template <typename T>
size_t EntryBytes(const std::vector<T>& list, std::vector<size_t>& bytes) {
    bytes.clear();
    bytes.reserve(list.size());
    for (const T& entry : list) bytes.push_back(WrittenBytes(entry));
    return std::accumulate(bytes.begin(), bytes.end(), size_t{0});
}

// Keeps the first entries of the list that fit in `budget` bytes; returns the
// bytes that went.
template <typename T>
size_t KeepWithin(std::vector<T>& list, const std::vector<size_t>& bytes, size_t budget) {
    size_t used = 0, keep = 0;
    while (keep < list.size() && used + bytes[keep] <= budget) used += bytes[keep++];
    list.resize(keep);
    return std::accumulate(bytes.begin() + static_cast<ptrdiff_t>(keep), bytes.end(), size_t{0});
}

// The size the longest lists are cut down to so that together they give
// `excess` bytes: the longest gives first, and a list no longer than the level
// keeps every entry. 0 when all of them together give less.
size_t LevelFor(std::vector<size_t> totals, size_t excess) {
    std::sort(totals.rbegin(), totals.rend());
    size_t above = 0;
    for (size_t i = 0; i < totals.size(); ++i) {
        above += totals[i];
        const size_t next = i + 1 < totals.size() ? totals[i + 1] : 0;
        if (above - (i + 1) * next >= excess) return (above - excess) / (i + 1);
    }
    return 0;
}

}  // namespace

// A file the loader takes may not fit the limit once written in the writer's
// layout (each list entry on its own indented line, every pinned field
// written): 330,000 short hidden keys do. Every later change would then stay
// on screen and never reach the file, so the lists are cut to well under the
// limit: a file cut to just under it would refuse the saves again after a few
// more hidden applications. The bytes come from the longest hidden lists, so
// a short one keeps what it has; the dock's own pins go only when the hidden
// lists together cannot make up the excess. The file as it was is kept as a
// dated copy first. True when anything was cut.
bool CutToWritableSize(const std::wstring& path, DockConfig& config, std::wstring& copy) {
    size_t size = DockConfig::ToJson(config).size();
    if (size <= kMaxConfigFileBytes) return false;
    KeepConfigBackup(path, copy);
    const size_t before[] = {config.pinned.size(), config.hiddenApps.size(), config.hiddenTrayApps.size()};
    // The entry sizes are the writer's to within a byte; a second round takes
    // up what they missed.
    std::vector<size_t> apps, tray, pins;
    for (int round = 0; round < 4 && size > kCutConfigFileBytes; ++round) {
        size_t excess = size - kCutConfigFileBytes;
        const size_t level =
            LevelFor({EntryBytes(config.hiddenApps, apps), EntryBytes(config.hiddenTrayApps, tray)}, excess);
        excess -= std::min(excess,
                           KeepWithin(config.hiddenApps, apps, level) + KeepWithin(config.hiddenTrayApps, tray, level));
        if (excess > 0) {
            const size_t pinned = EntryBytes(config.pinned, pins);
            KeepWithin(config.pinned, pins, pinned - std::min(pinned, excess));
        }
        size = DockConfig::ToJson(config).size();
    }
    LogMessage(
        L"Config lists cut to fit a file that can be saved: pinned %llu -> %llu, hiddenApps %llu -> %llu, "
        L"hiddenTrayApps %llu -> %llu",
        static_cast<unsigned long long>(before[0]), static_cast<unsigned long long>(config.pinned.size()),
        static_cast<unsigned long long>(before[1]), static_cast<unsigned long long>(config.hiddenApps.size()),
        static_cast<unsigned long long>(before[2]), static_cast<unsigned long long>(config.hiddenTrayApps.size()));
    return true;
}

ConfigRead ReadConfigText(const std::wstring& path, std::string& text, DWORD& error) {
    text.clear();
    platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        // Only absence counts as Missing: a file that is locked or denied to
        // us still holds the user's settings and must not be replaced.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ConfigRead::Missing
                                                                              : ConfigRead::Unreadable;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) return ConfigRead::Read;
    if (size.QuadPart < 1 || static_cast<uint64_t>(size.QuadPart) > kMaxConfigFileBytes) {
        return ConfigRead::Read;
    }
    text.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr)) got = 0;
    text.resize(got);
    return ConfigRead::Read;
}

std::vector<std::wstring> ConfigCopies(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = path.substr(0, slash == std::wstring::npos ? 0 : slash + 1);
    const size_t prefix = path.size() - folder.size() + 5;  // the file's name and ".bak-"
    struct Copy {
        std::wstring stamp;
        unsigned number;
        std::wstring path;
    };
    std::vector<Copy> copies;
    WIN32_FIND_DATAW found = {};
    HANDLE find = FindFirstFileW((path + L".bak-*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return {};
    do {
        Copy copy;
        const std::wstring_view name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() > prefix &&
            ParseCopyName(name.substr(prefix), copy.stamp, copy.number)) {
            copy.path = folder + found.cFileName;
            copies.push_back(std::move(copy));
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) {
        return a.stamp != b.stamp ? a.stamp > b.stamp : a.number > b.number;
    });
    std::vector<std::wstring> paths;
    for (Copy& copy : copies) paths.push_back(std::move(copy.path));
    return paths;
}

bool KeepConfigBackup(const std::wstring& path, std::wstring& copy, const SYSTEMTIME* at) {
    copy.clear();
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    }
    // An empty file holds nothing worth a copy.
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)) {
        return true;
    }
    SYSTEMTIME now = at ? *at : SYSTEMTIME{};
    if (!at) GetLocalTime(&now);
    const std::wstring base = path + L".bak-" + Stamp(now);
    // Neither the copy nor the move ever replaces a name that is taken: that
    // file may be the only one left of an earlier configuration.
    bool kept = false;
    DWORD error = 0;
    for (unsigned number = 1; number < 100 && !kept; ++number) {
        copy = number == 1 ? base : base + L"-" + std::to_wstring(number);
        kept = CopyFileW(path.c_str(), copy.c_str(), TRUE);
        error = kept ? 0 : GetLastError();
        if (kept || error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
        // A file we may not read may still be ours to rename.
        kept = MoveFileExW(path.c_str(), copy.c_str(), 0);
        break;
    }
    if (!kept) {
        LogMessage(L"Config copy to %s failed (error %lu)", copy.c_str(), error);
        copy.clear();
        return false;
    }
    LogMessage(L"Config kept as %s before it is replaced", copy.c_str());
    RemoveOldCopies(path, copy);
    return true;
}

ConfigLoad LoadConfigFile(const std::wstring& path) {
    std::string text;
    DWORD error = 0;
    ConfigRead read = ReadConfigText(path, text, error);
    // Another program (a backup, a scanner, an editor saving) may hold the
    // file for a moment; the defaults would stand in for a whole run.
    for (int attempt = 1; read == ConfigRead::Unreadable && attempt < kReadAttempts; ++attempt) {
        Sleep(kReadRetryMs);
        read = ReadConfigText(path, text, error);
    }
    ConfigLoad load;
    switch (read) {
        case ConfigRead::Missing:
            load.config = DockConfig::MakeDefault();
            SaveConfig(path, load.config);
            load.fromFile = true;
            return load;
        case ConfigRead::Unreadable:
            LogMessage(L"Config open failed (error %lu), using defaults", error);
            load.config = DockConfig::MakeDefault();
            return load;
        case ConfigRead::Read:
            break;
    }
    load.fromFile = true;
    if (ParseConfigFile(path, text, load.config, load.copy)) {
        load.cut = CutToWritableSize(path, load.config, load.copy);
        return load;
    }
    load.config = DockConfig::MakeDefault();
    return load;
}

bool ParseConfigFile(const std::wstring& path, const std::string& text, DockConfig& out, std::wstring& copy) {
    size_t fault = 0;
    if (DockConfig::FromJson(text, out, &fault)) return true;
    if (text.empty()) {
        LogMessage(L"Config parse failed, falling back to defaults: %s is empty or too large", path.c_str());
    } else {
        const size_t at = std::min(fault, text.size());
        const size_t lineStart = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
        const size_t column = lineStart == std::string::npos ? at : at - lineStart - 1;
        const auto line = std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(at), '\n');
        LogMessage(L"Config parse failed, falling back to defaults: %s, line %llu, column %llu", path.c_str(),
                   static_cast<unsigned long long>(line + 1), static_cast<unsigned long long>(column + 1));
    }
    KeepConfigBackup(path, copy);
    return false;
}

DockConfig LoadConfig(const std::wstring& path) { return LoadConfigFile(path).config; }

bool SaveConfig(const std::wstring& path, const DockConfig& config) {
    const std::string text = DockConfig::ToJson(config);
    // A file the next start would refuse to read costs every setting at once;
    // the file on disk stays as the last one that can be read.
    if (text.size() > kMaxConfigFileBytes) {
        LogMessage(L"Config save refused: %llu bytes is more than a configuration may hold",
                   static_cast<unsigned long long>(text.size()));
        return false;
    }

    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);

    const std::wstring temp = path + L".tmp";
    // No sharing: a second writer must not interleave with this one.
    platform::UniqueHandle file(
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        LogMessage(L"Config save failed: cannot create %s (error %lu)", temp.c_str(), GetLastError());
        return false;
    }
    // The bytes must be on disk before the rename makes them the configuration,
    // or a crash could leave an empty file under the real name.
    const bool written = WriteAll(file.get(), text) && FlushFileBuffers(file.get());
    const bool closed = file.close();
    if (!written || !closed) {
        LogMessage(L"Config save failed: cannot write %s", temp.c_str());
        DeleteFileW(temp.c_str());
        return false;
    }
    if (MoveIntoPlace(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    // Writing straight into the file could leave it half written; the old
    // configuration stays instead and the next save tries again.
    const DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    LogMessage(L"Config save failed: cannot replace %s (error %lu)", path.c_str(), error);
    return false;
}
