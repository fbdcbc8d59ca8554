#include "config/ConfigFile.h"

#include "platform/Log.h"
#include "config/JsonWriter.h"
#include "config/SharedFile.h"
#include "platform/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
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

bool WrittenToday(const FILETIME& written) {
    FILETIME local = {};
    SYSTEMTIME day = {}, today = {};
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &day)) return false;
    GetLocalTime(&today);
    return day.wYear == today.wYear && day.wMonth == today.wMonth && day.wDay == today.wDay;
}

// The copy is dated when it was made, not when the file was last written, so
// its age says how long ago it was kept.
void DateNow(const std::wstring& path) {
    platform::UniqueHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    SetFileTime(file.get(), nullptr, nullptr, &now);
}

size_t WrittenBytes(const std::wstring& entry) { return JsonEscapeToUtf8(entry).size() + 8; }
size_t WrittenBytes(const PinnedApp& entry) {
    return JsonEscapeToUtf8(entry.name).size() + JsonEscapeToUtf8(entry.path).size() +
           JsonEscapeToUtf8(entry.args).size() + JsonEscapeToUtf8(entry.appId).size() + 84;
}

template <typename T>
size_t ListBytes(const std::vector<T>& list) {
    size_t bytes = 0;
    for (const T& entry : list) bytes += WrittenBytes(entry);
    return bytes;
}

// Keeps the first entries of the list that fit `share` of its written bytes.
template <typename T>
void KeepShare(std::vector<T>& list, double share) {
    const double budget = share * static_cast<double>(ListBytes(list));
    double used = 0;
    size_t keep = 0;
    while (keep < list.size() && used + static_cast<double>(WrittenBytes(list[keep])) <= budget) {
        used += static_cast<double>(WrittenBytes(list[keep]));
        ++keep;
    }
    list.resize(keep);
}

// A file the loader takes may not fit the limit once written in the writer's
// layout (each list entry on its own indented line, every pinned field
// written): 330,000 short hidden keys do. Every later change would then stay
// on screen and never reach the file, so the lists are cut, each by the same
// share of its bytes, to well under the limit: a file cut to just under it
// would refuse the saves again after a few more hidden applications. The
// file as it was is kept as ".bak" first. True when anything was cut.
bool CutToWritableSize(const std::wstring& path, DockConfig& config) {
    size_t size = DockConfig::ToJson(config).size();
    if (size <= kMaxConfigFileBytes) return false;
    KeepConfigBackup(path, BackupAge::KeepToday);
    const size_t before[] = {config.pinned.size(), config.hiddenApps.size(), config.hiddenTrayApps.size()};
    const size_t lists = ListBytes(config.pinned) + ListBytes(config.hiddenApps) + ListBytes(config.hiddenTrayApps);
    const double target = kCutConfigFileBytes;
    double share =
        lists > 0 ? std::clamp((target - static_cast<double>(size - std::min(size, lists))) / lists, 0.0, 1.0) : 0.0;
    // The entry sizes above are the writer's to within a few bytes; a second
    // round takes up what they missed.
    for (int round = 0; round < 8 && size > kCutConfigFileBytes; ++round) {
        KeepShare(config.pinned, share);
        KeepShare(config.hiddenApps, share);
        KeepShare(config.hiddenTrayApps, share);
        size = DockConfig::ToJson(config).size();
        share = 0.95;
    }
    LogMessage(
        L"Config lists cut to fit a file that can be saved: pinned %llu -> %llu, hiddenApps %llu -> %llu, "
        L"hiddenTrayApps %llu -> %llu",
        static_cast<unsigned long long>(before[0]), static_cast<unsigned long long>(config.pinned.size()),
        static_cast<unsigned long long>(before[1]), static_cast<unsigned long long>(config.hiddenApps.size()),
        static_cast<unsigned long long>(before[2]), static_cast<unsigned long long>(config.hiddenTrayApps.size()));
    return true;
}

}  // namespace

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

bool KeepConfigBackup(const std::wstring& path, BackupAge age) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    }
    // An empty file holds nothing worth an older copy's place.
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)) {
        return true;
    }
    const std::wstring copy = path + L".bak";
    WIN32_FILE_ATTRIBUTE_DATA kept = {};
    if (age == BackupAge::KeepToday && GetFileAttributesExW(copy.c_str(), GetFileExInfoStandard, &kept) &&
        WrittenToday(kept.ftLastWriteTime)) {
        LogMessage(L"Config copy %s from today kept: it is older than this file", copy.c_str());
        return true;
    }
    if (CopyFileW(path.c_str(), copy.c_str(), FALSE)) {
        DateNow(copy);
        LogMessage(L"Config kept as %s before it is replaced", copy.c_str());
        return true;
    }
    const DWORD error = GetLastError();
    // A file we may not read may still be ours to rename.
    if (MoveFileExW(path.c_str(), copy.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        LogMessage(L"Config kept as %s before it is replaced", copy.c_str());
        return true;
    }
    LogMessage(L"Config copy to %s failed (error %lu)", copy.c_str(), error);
    return false;
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
    if (DockConfig::FromJson(text, load.config)) {
        load.cut = CutToWritableSize(path, load.config);
        return load;
    }
    LogMessage(L"Config parse failed, falling back to defaults");
    KeepConfigBackup(path, BackupAge::KeepToday);
    load.config = DockConfig::MakeDefault();
    return load;
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
