#include "config/Paths.h"

#include "platform/Log.h"
#include "platform/UniqueHandle.h"

#include <windows.h>
#include <shlobj.h>

#include <mutex>
#include <system_error>
#include <filesystem>

namespace {

std::wstring ComputeCacheDirectory() {
    PWSTR local = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &local)) || !local) {
        if (local) CoTaskMemFree(local);
        return {};
    }
    std::wstring dir = local;
    CoTaskMemFree(local);
    if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
    dir += L"Vantreel\\cache";
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(dir), ec);
    if (ec) return {};
    return dir;
}

std::wstring JoinPath(const std::wstring& folder, const wchar_t* name) {
    if (folder.empty()) return name;
    std::wstring joined = folder;
    if (joined.back() != L'\\' && joined.back() != L'/') joined += L'\\';
    joined += name;
    return joined;
}

// A probe that someone else holds open proves the folder takes new files just
// as well as one we create ourselves.
bool FolderIsWritable(const std::wstring& folder) {
    const std::wstring probe = JoinPath(folder, L".vantreel_write_probe");
    const platform::UniqueHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                  FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_HIDDEN, nullptr));
    return file || GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

std::wstring ResolveConfigPath(const std::wstring& executableFolder) {
    const std::wstring candidate = JoinPath(executableFolder, L"vantreel.json");
    // No folder (an executable path too long to be told) would make the bare
    // name a path relative to whatever the current folder happens to be.
    if (!executableFolder.empty()) {
        // Anything at the name (file, folder, link) keeps the configuration here.
        // A failed query for another reason than absence goes on to the probe.
        if (GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) return candidate;
        if (FolderIsWritable(executableFolder)) return candidate;
    }

    wchar_t local[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local))) {
        return candidate;
    }
    const std::wstring folder = JoinPath(local, L"Vantreel");
    CreateDirectoryW(folder.c_str(), nullptr);
    return JoinPath(folder, L"vantreel.json");
}

std::wstring GetConfigPath() {
    static std::once_flag once;
    // Never destroyed: detached threads may still ask while the process exits.
    static std::wstring* cached = nullptr;
    // Once per process: the start-up prefetch thread and the UI thread both ask,
    // and two concurrent probes could otherwise send them to different folders.
    std::call_once(once, [] { cached = new std::wstring(ResolveConfigPath(ExecutableDirectory())); });
    return *cached;
}

std::wstring GetCacheDirectory() {
    static std::once_flag once;
    // Never destroyed: detached threads may still ask while the process exits.
    static std::wstring* cached = nullptr;
    std::call_once(once, [] { cached = new std::wstring(ComputeCacheDirectory()); });
    return *cached;
}
