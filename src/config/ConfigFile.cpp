#include "config/ConfigFile.h"

#include "app/Log.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

constexpr int kMoveAttempts = 3;
constexpr DWORD kMoveRetryMs = 15;

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
    if (DockConfig::FromJson(text, config)) return config;
    LogMessage(L"Config parse failed, falling back to defaults");
    return DockConfig::MakeDefault();
}

bool SaveConfig(const std::wstring& path, const DockConfig& config) {
    const std::string text = DockConfig::ToJson(config);

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
    // A scanner or indexer may hold the old file for a moment.
    for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
        if (attempt > 0) Sleep(kMoveRetryMs);
        if (MoveFileExW(temp.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
    }
    // Writing straight into the file could leave it half written; the old
    // configuration stays instead and the next save tries again.
    const DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    LogMessage(L"Config save failed: cannot replace %s (error %lu)", path.c_str(), error);
    return false;
}
