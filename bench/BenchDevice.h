#pragma once
// The real graphics device and compositor on a hidden host window, as the
// in-process benchmarks drive them. COM lives as long as the device: the
// apartment is the first member, so it ends after everything it holds.

#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "render/CompositionHost.h"
#include "render/GraphicsDevice.h"

namespace bench {

class Device {
public:
    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device() {
        if (hostWindow) DestroyWindow(hostWindow);
    }

    // Prints "<name>: no graphics device" and answers false where there is none.
    bool Start(const char* name) {
        hostWindow = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        if (!CreateGraphicsFactories(graphics) || !graphics.Create() || !host.Initialize(hostWindow, graphics)) {
            std::printf("%s: no graphics device\n", name);
            return false;
        }
        return true;
    }

private:
    struct Apartment {
        Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
        ~Apartment() { CoUninitialize(); }
    } apartment_;

public:
    HWND hostWindow = nullptr;
    GraphicsDevice graphics;
    CompositionHost host;
};

}  // namespace bench
