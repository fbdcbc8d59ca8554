#pragma once
// What the notification center and the banner window share: the device and
// compositor they draw with, the system services they act through, the
// settings, monitor and scale of the last showing, and the text formats and
// icon pixels their cards are painted with. Everything runs on the UI thread.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "render/HitItem.h"
#include "config/DockConfig.h"
#include "notify/NotificationItem.h"
#include "render/CompositionHost.h"
#include "render/GlassLayer.h"
#include "render/GraphicsDevice.h"

struct NotificationContext {
    // The system services the windows act through; tests replace them.
    struct System {
        std::function<ULONGLONG()> tickCount;
        std::function<FILETIME()> systemTime;
        std::function<std::vector<uint8_t>(const std::wstring& path, IWICImagingFactory* factory, int edge)>
            loadFileIcon;
        std::function<void(const std::wstring& target)> shellOpen;  // "open", SW_SHOWNORMAL
        std::function<uint32_t(uint16_t virtualKey)> sendWinKeyChord;
        std::function<void(const NotificationItem& item)> activate;
        std::function<HWND()> foregroundWindow;
        System();
    };

    // The painters' text formats, made once per scale.
    struct TextFormats {
        float scale = 0.0f;
        Microsoft::WRL::ComPtr<IDWriteTextFormat> header, headerCentered, appName, title, small, smallTrailing, body,
            bannerTime, letter;
    };

    HINSTANCE instance = nullptr;
    GraphicsDevice* device = nullptr;
    CompositionHost* host = nullptr;
    System system;
    HMONITOR monitor = nullptr;
    DockConfig config;
    float scale = 1.0f;
    TextFormats formats;
    std::unordered_map<std::wstring, std::vector<uint8_t>> iconPixels;

    // The module the windows' classes are registered in.
    HINSTANCE Module() const;
    RECT MonitorRect(bool* known = nullptr, int* workHeight = nullptr) const;
    void Present() const;
    // Shows a window at rect with its new frame presented at that size.
    void ShowPresented(HWND window, const RECT& rect, UINT flags) const;

    void EnsureFormats();
    // The executable's 32 x 32 icon pixels, asked for once per path; null
    // without an executable or an imaging factory.
    const std::vector<uint8_t>* LoadedIcon(const NotificationItem& item);
    // The item's icon, or a letter tile without one.
    void DrawAppIcon(ID2D1DeviceContext* context, IDWriteFactory* factory, const NotificationItem& item, float x,
                     float y, float size);
};

// The margin around each window's glass that its shadow falls in.
constexpr float kNotificationMarginDip = 14.0f;

// Follows the pointer to the hit item under it (id 0, index -1 over none);
// true when that changed what is hovered.
bool TrackHover(const std::vector<HitItem>& hits, float x, float y, int32_t& hoverId, int32_t& hoverIndex);
