#pragma once
// The one owner of a Native Wi-Fi client handle: opened at construction,
// closed once when it goes. Each reader opens its own, since a handle is cheap
// and the service answers every client alike.

#include <windows.h>

namespace vantreel {

// A new client handle, or nullptr when the service does not answer.
HANDLE OpenWlanClient();
// Closes a handle from OpenWlanClient; nullptr is nothing to close.
void CloseWlanClient(HANDLE client);

class WlanClient {
public:
    WlanClient() : handle(OpenWlanClient()) {}
    ~WlanClient() { CloseWlanClient(handle); }
    WlanClient(const WlanClient&) = delete;
    WlanClient& operator=(const WlanClient&) = delete;

    HANDLE get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }

private:
    HANDLE handle;
};

}  // namespace vantreel
