#include "config/ConfigFile.h"

#include "app/Log.h"
#include "config/SharedFile.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        if (!Valid()) return true;
        const BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed != FALSE;
    }

private:
    HANDLE handle_;
};

enum class ReadResult { Read, Missing, Unreadable };

// Only absence of the file counts as Missing: a file that is locked or denied
// to us still holds the user's settings and must not be replaced.
ReadResult ReadConfigBytes(const std::wstring& path, std::string& text) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return ReadResult::Missing;
        }
        LogMessage(L"Config open failed (error %lu), using defaults", error);
        return ReadResult::Unreadable;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size)) return ReadResult::Read;
    if (size.QuadPart < 1 || static_cast<uint64_t>(size.QuadPart) > kMaxConfigFileBytes) {
        return ReadResult::Read;
    }
    text.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr)) got = 0;
    text.resize(got);
    return ReadResult::Read;
}

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

// The next save replaces a file we could not parse, and a hand-edited file
// with one typo would otherwise be lost without a trace. An empty file holds
// nothing worth an older copy's place.
void KeepBrokenFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)) {
        return;
    }
    const std::wstring copy = path + L".bak";
    if (CopyFileW(path.c_str(), copy.c_str(), FALSE)) {
        LogMessage(L"Config kept as %s before it is replaced", copy.c_str());
    } else {
        LogMessage(L"Config copy to %s failed (error %lu)", copy.c_str(), GetLastError());
    }
}

// A file the loader takes may not fit the limit once written in the writer's
// layout (each list entry on its own indented line, every pinned field
// written): 330,000 short hidden keys do. Every later change would then stay
// on screen and never reach the file, so the longest lists are cut until the
// text fits; the file as it was is kept as ".bak" first.
void CutToWritableSize(const std::wstring& path, DockConfig& config) {
    size_t size = DockConfig::ToJson(config).size();
    if (size <= kMaxConfigFileBytes) return;
    KeepBrokenFile(path);
    const size_t before[] = {config.pinned.size(), config.hiddenApps.size(), config.hiddenTrayApps.size()};
    while (size > kMaxConfigFileBytes) {
        const size_t longest = std::max({config.pinned.size(), config.hiddenApps.size(), config.hiddenTrayApps.size()});
        if (longest == 0) break;
        // In proportion to the excess, and at least one entry a round.
        const size_t keep = std::min(longest - 1, static_cast<size_t>(static_cast<double>(longest) *
                                                                       (0.95 * kMaxConfigFileBytes / size)));
        if (config.pinned.size() == longest) {
            config.pinned.resize(keep);
        } else if (config.hiddenApps.size() == longest) {
            config.hiddenApps.resize(keep);
        } else {
            config.hiddenTrayApps.resize(keep);
        }
        size = DockConfig::ToJson(config).size();
    }
    LogMessage(L"Config lists cut to fit a file that can be saved: pinned %llu -> %llu, hiddenApps %llu -> %llu, "
               L"hiddenTrayApps %llu -> %llu",
               static_cast<unsigned long long>(before[0]), static_cast<unsigned long long>(config.pinned.size()),
               static_cast<unsigned long long>(before[1]), static_cast<unsigned long long>(config.hiddenApps.size()),
               static_cast<unsigned long long>(before[2]),
               static_cast<unsigned long long>(config.hiddenTrayApps.size()));
}

}  // namespace

DockConfig LoadConfig(const std::wstring& path) {
    std::string text;
    switch (ReadConfigBytes(path, text)) {
        case ReadResult::Missing: {
            DockConfig config = DockConfig::MakeDefault();
            SaveConfig(path, config);
            return config;
        }
        case ReadResult::Unreadable:
            return DockConfig::MakeDefault();
        case ReadResult::Read:
            break;
    }
    DockConfig config;
    if (DockConfig::FromJson(text, config)) {
        CutToWritableSize(path, config);
        return config;
    }
    LogMessage(L"Config parse failed, falling back to defaults");
    KeepBrokenFile(path);
    return DockConfig::MakeDefault();
}

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
    FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        LogMessage(L"Config save failed: cannot create %s (error %lu)", temp.c_str(),
                   GetLastError());
        return false;
    }
    // The bytes must be on disk before the rename makes them the configuration,
    // or a crash could leave an empty file under the real name.
    const bool written = WriteAll(file.Get(), text) && FlushFileBuffers(file.Get());
    const bool closed = file.Close();
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
