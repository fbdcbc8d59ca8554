#pragma once
// The bar's one drop-down panel: the same popup window shows, one at a time,
// the sound, Wi-Fi, Bluetooth and battery panels, the control center, the
// calendar and the tray apps. Glass behind one sprite that carries a Direct2D
// drawing surface, inside a 14-DIP transparent margin for the shadow. The bar
// opens it under an item, closes it and hands it configuration changes; the
// panel reads the machine's state when it opens and acts on it when clicked.
// Everything runs on the UI thread except the reads, which a worker makes (the
// panel shows at once, what it has not yet read drawn as being read, and fills
// in when the worker answers), and the hotspot switch.

#include <windows.h>
#include <d2d1_1.h>
#include <dwrite.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "config/DockConfig.h"
#include "platform/WindowBase.h"
#include "render/HitItem.h"
#include "render/GlassLayer.h"
#include "render/GlassTheme.h"
#include "render/comp/Compositor.h"
#include "system/AudioDevices.h"
#include "system/BluetoothDevices.h"
#include "system/Brightness.h"
#include "system/Hotspot.h"
#include "system/PowerSchemes.h"
#include "system/WifiService.h"
#include "system/tray/TrayIconInfo.h"
#include "topbar/BackgroundReader.h"
#include "topbar/ControlCenterTiles.h"
#include "topbar/PopoverKeptFrame.h"
#include "topbar/PopoverKind.h"
#include "topbar/PopoverReading.h"
#include "topbar/PopoverServices.h"
#include "topbar/PopoverTextRun.h"

// Posted by the popover's read worker when its answer waits.
constexpr UINT WM_POPOVER_DATA_READY = 0x8050;

class GraphicsDevice;
class CompositionHost;
// The brushes and text formats of one paint, made by the painter.
struct PopoverPalette;

class TopBarPopover {
public:
    struct Callbacks {
        std::function<void()> onStatusChanged;
        std::function<void(GlassTheme)> onThemeChange;
        std::function<void()> onToggleNativeTaskbar;  // kept, never called
        std::function<void()> onOpenNotificationCenter;
        std::function<void(const std::wstring& key)> onHiddenTrayAppToggled;
        std::function<void()> onHidden;
        std::function<void(PopoverKind)> onSwitchKind;  // kept, never called

        Callbacks() = default;
        Callbacks(const Callbacks&) = default;
        Callbacks(Callbacks&&) = default;
        Callbacks& operator=(const Callbacks&) = default;
        // Member-wise; moving a set onto itself keeps it (std::function allows it).
        Callbacks& operator=(Callbacks&& other) noexcept = default;
    };

    // Slider being dragged.
    static constexpr int32_t kNoDrag = 0;
    static constexpr int32_t kVolumeDrag = 1;
    static constexpr int32_t kBrightnessDrag = 2;

    // Timers of the popup window.
    static constexpr UINT_PTR kClockTimer = 1;      // 1000 ms, the calendar's seconds
    static constexpr UINT_PTR kWifiTimer = 2;       // one-shot re-read after Wi-Fi actions
    static constexpr UINT_PTR kScreenOffTimer = 3;  // 220 ms, survives Hide
    static constexpr UINT_PTR kHotspotTimer = 4;    // 1800 ms re-query
    static constexpr UINT_PTR kGraceTimer = 5;      // an early deactivation looked at again
    static constexpr uint64_t kDeactivationGraceMs = 120;
    static constexpr float kMarginDip = 14.0f;
    // How long a refresh waits for its answer before the panel shows without it.
    static constexpr std::chrono::milliseconds kQuickAnswerWait{100};

    TopBarPopover() = default;
    TopBarPopover(const TopBarPopover&) = delete;
    TopBarPopover& operator=(const TopBarPopover&) = delete;
    ~TopBarPopover();

    // Kind None hides. Shown again while visible, it switches in place.
    void Show(PopoverKind kind, HMONITOR monitor, POINT anchor, const DockConfig& config, float scale);
    // Fires onHidden when it was visible.
    void Hide();
    void UpdateConfig(const DockConfig& config, float scale);

    // In the order Show runs them.
    void EnsureWindow();
    // Asks the worker for the kind's reads; the answer fills the panel now when
    // it comes within kQuickAnswerWait (no wait for a kind filled before: it
    // shows what it showed last), else when the worker's message arrives.
    // True when it filled the panel now.
    bool RefreshData(bool scanWifi);
    // The current kind's panel has been filled with answers before.
    bool AnsweredBefore() const;
    // Takes the reads into the panel, leaving what the user changed since asking.
    void Fill(const PopoverReading& reading);
    void UpdateSize();
    void Place();
    void Redraw();
    // A step of months back or forth, or back to today's month (0).
    void ShowCalendarMonth(int step);

    // Painting (TopBarPopoverPaint.cpp, ControlCenterPaint.cpp): the content
    // of the current kind, recording hits and slider tracks.
    void Paint(ID2D1DeviceContext* context, bool dark);
    float ScaleValue(float value) const;
    D2D1_RECT_F ScaleRect(float left, float top, float right, float bottom) const;
    // What the control center's tiles show, from the records below.
    ControlCenterTileState TileState() const;
    void AddHit(int32_t id, float left, float top, float right, float bottom, int32_t index = -1);
    bool IsHovered(int32_t id, int32_t index) const;
    static void SetTextAlign(IDWriteTextFormat* format, DWRITE_TEXT_ALIGNMENT alignment);
    // A link button 24 DIPs high at row top y.
    void DrawLinkRow(ID2D1DeviceContext* context, const PopoverPalette& palette, float y, int32_t id, float left,
                     float right, const std::wstring& text);
    void DrawTile(ID2D1DeviceContext* context, const PopoverPalette& palette, float x, float y, float width,
                  bool active, const std::wstring& title, const std::wstring& status, int32_t index,
                  const std::wstring& key);

    // Input and actions.
    static const platform::WindowBinding<TopBarPopover> kWindowBinding;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The first hit under the point (panel DIP), or null.
    const HitItem* HitTest(float x, float y) const;
    void DragSlider(float x);
    void OnClick(HitItem hit, float x, float y);
    // The control center's tile at the index of the configured list.
    void RunTileAction(int32_t index);

    HINSTANCE instance = nullptr;
    GraphicsDevice* device = nullptr;
    CompositionHost* host = nullptr;
    Callbacks callbacks;
    HWND window = nullptr;
    comp::DesktopWindowTarget target{nullptr};
    comp::ContainerVisual root{nullptr};
    GlassLayer glass;
    comp::SpriteVisual content{nullptr};
    comp::CompositionDrawingSurface surface{nullptr};
    comp::CompositionSurfaceBrush surfaceBrush{nullptr};
    int32_t surfaceWidth = 0;
    int32_t surfaceHeight = 0;
    // The key of the kept frame the surface shows; empty for any other picture.
    std::wstring surfaceFrameKey;
    PopoverKind kind = PopoverKind::None;
    HMONITOR monitor = nullptr;
    POINT anchor = {0, 0};  // physical pixels: the panel's right edge and top
    DockConfig config;
    float scale = 1.0f;
    float width = 300.0f;  // panel DIP, margin excluded
    float height = 220.0f;
    bool visible = false;
    bool modalOpen = false;
    bool trackingMouse = false;
    uint64_t shownTick = 0;
    int32_t hoverId = 0;
    int32_t hoverIndex = -1;
    int32_t dragSlider = kNoDrag;
    uint64_t lastBrightnessWrite = 0;
    float volume = 0.5f;
    bool muted = false;
    bool volumeAvailable = false;
    std::vector<vantreel::AudioDevice> audioDevices;
    vantreel::WifiPanelState wifi;
    int32_t wifiScroll = 0;
    std::wstring statusLine;
    vantreel::BluetoothState bluetooth;
    vantreel::BrightnessInfo brightness{false, 100};
    vantreel::PowerModeInfo powerMode{false, L"", false};
    vantreel::HotspotStatusInfo hotspot{false, false, 0};
    bool keepAwake = false;
    bool desktopIconsVisible = true;
    bool hotspotSwitching = false;
    bool hotspotTarget = false;
    uint32_t batteryPercent = 100;
    bool acOnline = false;
    int32_t batteryLifeSeconds = -1;
    std::vector<TrayIconInfo> trayApps;
    std::unordered_map<std::wstring, std::vector<uint8_t>> trayIconCache;
    std::unordered_map<std::wstring, std::vector<uint8_t>> trayTemplateCache;
    int32_t calendarYear = 2026;
    int32_t calendarMonth = 11;
    D2D1_RECT_F volumeTrack = {0.0f, 0.0f, 0.0f, 0.0f};
    D2D1_RECT_F brightnessTrack = {0.0f, 0.0f, 0.0f, 0.0f};
    std::vector<HitItem> hits;
    // The paint's brushes and formats, kept between paints.
    std::shared_ptr<PopoverPalette> paintPalette;
    // While Redraw paints, the texts are taken down here and their kept
    // pixels placed over the painted panel after it; null: drawn as they come.
    std::vector<PopoverTextRun>* textRuns = nullptr;
    // Beside textRuns, the texts that change by the second (the calendar's
    // clock), placed after all others; null: taken down with them.
    std::vector<PopoverTextRun>* tickingRuns = nullptr;
    // What the calendar and the control center open with, by kind.
    std::array<PopoverKeptFrame, 8> keptFrames;

    // The system calls; tests replace members.
    PopoverServices services;
    BackgroundReader<PopoverReading> reader;
    // The user's own changes to what the panel shows (drags, tiles, closed apps).
    uint64_t localEdits = 0;
    // Bit k: the panel of kind k has been filled with answers at least once.
    uint32_t answeredKinds = 0;
    // What the panel holds was read before this opening: another moment's
    // state, drawn as being read, and not acted on, until the first answer.
    bool awaitingAnswer = false;

private:
    // Commits the composition so the window shows the newest frame.
    void Present();
    // The panel's shapes drawn, then its texts placed from kept pixels; a
    // kept frame instead of both when the panel shows what it kept.
    void PaintWithKeptTexts();
    // The runs' kept pixels over the frame; false when one cannot be painted.
    // `changed` grows by the boxes placed.
    bool PlaceTextRuns(raster::Image& frame, const std::vector<PopoverTextRun>& runs, raster::Rect& changed);
    // The same for texts that change by the second, from kept glyphs;
    // `changed` takes in all they may reach, their old characters too.
    bool PlaceTickingTexts(raster::Image& frame, const std::vector<PopoverTextRun>& ticking, raster::Rect& changed);
    void BuildTree();
    // Tints and bounds the glass for the current size; the window rectangle.
    RECT ArrangeGlass();
    // Presents, then shows the window at the rectangle.
    void ShowAt(const RECT& rect);
    // Size, glass, picture, then the window: a new frame before any new size shows.
    void Relayout();
    void OnDeactivated();
    void SwitchWifi(bool on);
    void ClickNetwork(int32_t index);
    // The tray row at the index names an application that still runs.
    bool TrayRowRunning(int32_t index);
    void SlideTo(int32_t slider, float x);
    void StartHotspotSwitch();
    static DWORD WINAPI HotspotThreadProc(void* parameter);
};
