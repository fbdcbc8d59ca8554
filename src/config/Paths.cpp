#include "config/Paths.h"

#include <windows.h>
#include <shlobj.h>

#include <mutex>
#include <system_error>
#include <filesystem>

namespace {

std::wstring ComputeCacheDirectory() {
    PWSTR local = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &local)) ||
        !local) {
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

}  // namespace

std::wstring GetCacheDirectory() {
    static std::once_flag once;
    // Never destroyed: detached threads may still ask while the process exits.
    static std::wstring* cached = nullptr;
    std::call_once(once, [] { cached = new std::wstring(ComputeCacheDirectory()); });
    return *cached;
}

std::wstring NormalizePathKey(std::wstring_view text) {
    std::wstring key(text);
    for (wchar_t& c : key) {
        if (c == L'/') c = L'\\';
        else if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return key;
}
