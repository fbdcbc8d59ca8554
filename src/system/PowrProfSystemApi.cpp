// The real PowrProf calls behind the power-scheme list.

#include <windows.h>
#include <powrprof.h>

#include <vector>

#include "system/PowerSchemes.h"

namespace vantreel {
namespace {

// Friendly names outside this many bytes are not read.
constexpr DWORD kMinNameBytes = 2;
constexpr DWORD kMaxNameBytes = 1024;

std::optional<GUID> ActiveScheme() {
    GUID* active = nullptr;
    const DWORD result = PowerGetActiveScheme(nullptr, &active);
    std::optional<GUID> guid;
    if (result == ERROR_SUCCESS && active) guid = *active;
    if (active) LocalFree(active);
    return guid;
}

std::optional<GUID> Scheme(ULONG index) {
    GUID guid{};
    DWORD size = sizeof(guid);
    if (PowerEnumerate(nullptr, nullptr, nullptr, ACCESS_SCHEME, index, reinterpret_cast<UCHAR*>(&guid), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return guid;
}

std::optional<std::wstring> FriendlyName(const GUID& guid) {
    DWORD bytes = 0;
    if (PowerReadFriendlyName(nullptr, &guid, nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS ||
        bytes < kMinNameBytes || bytes > kMaxNameBytes)
        return std::nullopt;
    std::vector<wchar_t> buffer(bytes / 2 + 1, L'\0');
    if (PowerReadFriendlyName(nullptr, &guid, nullptr, nullptr, reinterpret_cast<UCHAR*>(buffer.data()), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());  // up to the first NUL
}

}  // namespace

const PowrProfApi& SystemPowrProfApi() {
    static const PowrProfApi* api = new PowrProfApi{ActiveScheme, Scheme, FriendlyName};
    return *api;
}

}  // namespace vantreel
