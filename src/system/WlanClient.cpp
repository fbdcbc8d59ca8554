#include "system/WlanClient.h"

#include <wlanapi.h>

namespace vantreel {

namespace {

// The client version of Windows Vista and later.
constexpr DWORD kWlanClientVersion = 2;

}  // namespace

HANDLE OpenWlanClient() {
    DWORD negotiated = 0;
    HANDLE client = nullptr;
    if (WlanOpenHandle(kWlanClientVersion, nullptr, &negotiated, &client) != ERROR_SUCCESS) return nullptr;
    return client;
}

void CloseWlanClient(HANDLE client) {
    if (client) WlanCloseHandle(client, nullptr);
}

}  // namespace vantreel
