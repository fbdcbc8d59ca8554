#pragma once
// The preferences window ("Vantreel 偏好设置"): a plain top-level window drawn
// with Direct2D into a bitmap of its client size and shown with GDI; a page
// drawn once in a state is kept and shown again without drawing. It edits a working copy of the
// configuration and hands every change at once to its owner, which applies it
// to every window and saves the file, so there is no OK or Cancel: closing
// discards nothing.
//
// All geometry is in device-independent pixels; the render target carries the
// window's DPI and pointer positions are divided by the scale.
//
// The brushes and formats are made once per render target, not per paint.
// While no window is open the owner has the pages painted, a page at a time
// (WarmNextPage), so the hotkey and the first visit of each page find them.
//
// The class is split by what its parts do: SettingsWindow.cpp is the window
// (creation, messages, where input goes), SettingsWindowPaint.cpp shows and
// keeps the pages, SettingsPages.cpp draws them, and SettingsController.cpp is
// what a control does to the copy and how a change reaches the owner.

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/WindowBase.h"
#include "config/DockConfig.h"
#include "render/HitItem.h"
#include "render/PaintedPictures.h"
#include "render/PictureCanvas.h"

class GraphicsDevice;

// Resource 201 of the module decoded to a Direct2D bitmap, scaled to a square
// of edgePixels (0 keeps the natural size); null on any failure.
Microsoft::WRL::ComPtr<ID2D1Bitmap> LoadPngResourceBitmap(HMODULE module, int resourceId, IWICImagingFactory* imaging,
                                                          ID2D1RenderTarget* target, UINT edgePixels);

class SettingsWindow {
public:
    struct Callbacks {
        // After every change of the working copy.
        std::function<void(const DockConfig&)> onConfigChanged;
        // Before the window takes the new taskbar state.
        std::function<void()> onToggleNativeTaskbar;
        // Before the window resets its own copy.
        std::function<void()> onRestoreDefaults;
    };

    // Hit ids of this window's elements.
    enum : int32_t {
        kHitSection = 10,
        kHitMagnify = 20,
        kHitMacIcons = 21,
        kHitHideTaskbar = 22,
        kHitTheme = 23,
        kHitTopBar = 24,
        kHitReserveSpace = 25,
        kHitDoNotDisturb = 26,
        kHitAutoStart = 27,
        kHitHideOnFullscreen = 28,
        kHitLunar = 29,
        kHitToggleTaskbar = 30,
        kHitRestoreTray = 31,
        kHitRestoreDefaults = 32,
        kHitDone = 33,
        kHitOriginalTrayIcons = 35,
        kHitTile = 40,
        kHitBrightness = 41,
        kHitVolume = 42,
    };

    SettingsWindow();
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Loads the copy and the callbacks; raises the open window or makes one.
    void Open(HINSTANCE instance, GraphicsDevice* graphics, const DockConfig& config, Callbacks callbacks);
    void Close();
    // The owner's live configuration changed while the window is open: the
    // copy takes it (keeping the auto-start state it shows) so the next change
    // made here does not send stale values back.
    void TakeOwnerConfig(const DockConfig& live);
    // The outcome of the owner's last save: a refused one is shown in the
    // footer (which otherwise says that changes are saved) until one succeeds.
    void ShowSaveResult(bool saved);
    // Something the user should know about the file, shown in the footer
    // while this window stays open.
    void ShowSaveNotice(std::wstring notice);
    // The system's theme or the wallpaper's luminance changed: a window whose
    // theme follows them takes the new colours now, as the dock and bar do.
    void FollowSystemTheme();

    static const platform::WindowBinding<SettingsWindow> kWindowBinding;

    // Shows the page on `dc`, drawing it only when none is kept for its state.
    void Paint(HDC dc);
    void PaintFailed(const wchar_t* what, HRESULT hr);
    void LogPaintedSection();
    // Paints the next page not yet painted for `live` (the copy when null)
    // and keeps it for the window to come, while no window is open; true while
    // pages remain.
    bool WarmNextPage(GraphicsDevice* device, const DockConfig* live = nullptr);
    void OnItemClicked(HitItem item, float x);
    void DragSlider(float x);
    void CommitChange();
    const HitItem* HitTest(float x, float y) const { return FindHitItem(hitItems, x, y); }
    void Invalidate();
    // Only the part of the client that `dips` covers is painted again.
    void InvalidateArea(D2D1_RECT_F dips);
    void ApplyDwmLook();

    HWND Window() const { return hwnd; }
    const DockConfig& Config() const { return config; }
    int32_t Section() const { return section; }
    float Scale() const { return scale; }
    int32_t DraggedSlider() const { return dragSlider; }
    const std::vector<HitItem>& HitItems() const { return hitItems; }

    struct PaintKit;  // the brushes and text formats of one paint

private:
    // Everything a page's pixels follow.
    struct PageState {
        DockConfig shown;  // without the lists no page shows
        bool trayAppsHidden = false;
        int32_t section = 0;
        int32_t hoverId = 0;  // 0 when the hovered element looks as it would unhovered
        int32_t hoverIndex = 0;
        bool saveFailed = false;
        std::wstring saveNotice;
        bool dark = false;
        UINT width = 0;
        UINT height = 0;
        UINT dpi = 0;
        bool operator==(const PageState&) const = default;
    };
    // What painting a page records besides its pixels.
    struct PageRecord {
        std::vector<HitItem> hitItems;
        std::array<D2D1_RECT_F, 5> sliderTracks = {};
        std::array<D2D1_RECT_F, 5> sliderRows = {};
    };

    PageState CurrentPageState(UINT width, UINT height, UINT dpi) const;
    PageRecord Recorded() const { return {hitItems, sliderTracks, sliderRows}; }
    void LoadLogos(ID2D1RenderTarget* target, IWICImagingFactory* imaging, float logoScale);

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void EnsureBitmaps();
    void ReleaseBitmaps();
    void ReleaseTarget();
    bool EnsureTarget(UINT dpi, UINT width, UINT height);
    // Reads the system's auto-start state on a worker; the answer comes back
    // as kAutoStartAnswer (wParam the state, lParam the ask it answers).
    void AskAutoStart();
    void TakeAutoStart(bool enabled);
    void RestoreDefaults();
    void ToggleNativeTaskbar();
    void SetSliderAt(int slider, float x);
    // Hands the copy to the owner; the caller has said what to paint again.
    void Commit();

    // Painters (SettingsPages.cpp); they draw with `kit` and append hit items.
    void DrawAll();
    void AddHitItem(int32_t id, float left, float top, float right, float bottom, int32_t index);
    void DrawCard(float top, float height);
    void DrawHeading(float y, const wchar_t* text);
    void DrawPageHeader(const wchar_t* title, const wchar_t* subtitle);
    void DrawToggleRow(float y, const wchar_t* label, bool on, bool inert, int32_t id, bool divider);
    void DrawSliderRow(float y, const wchar_t* label, const std::wstring& value, const wchar_t* description, float t,
                       bool inert, int32_t slider, bool divider);
    void PaintToggleSwitch(D2D1_RECT_F rect, bool on, bool inert, ID2D1Brush* onBrush, ID2D1Brush* offBrush,
                           ID2D1Brush* knobBrush);
    void PaintSectionIcon(int32_t index, float x, float y, ID2D1Brush* brush);
    void DrawSidebar();
    void DrawFooter();
    void DrawDockPage();
    void DrawAppearancePage();
    void DrawControlCenterPage();
    void DrawTopBarPage();
    void DrawAboutPage();
    void DrawButton(int32_t id, D2D1_RECT_F rect, const wchar_t* label);
    void Text(const wchar_t* text, IDWriteTextFormat* format, D2D1_RECT_F rect, ID2D1Brush* brush, bool clip = false);
    void Line(float x0, float y0, float x1, float y1, ID2D1Brush* brush, float width = 1.0f);
    void Fill(D2D1_RECT_F rect, float radius, ID2D1Brush* brush);
    bool Hovered(int32_t id, int32_t index) const { return hoverId == id && hoverIndex == index; }

    // ---- members, in their order ----
    HINSTANCE hInstance = nullptr;
    GraphicsDevice* graphics = nullptr;
    HWND hwnd = nullptr;
    PictureCanvas canvas;               // the client's pixels
    std::unique_ptr<PaintKit> keptKit;  // the brushes of one theme and the formats
    int32_t warmedPages = 0;
    DockConfig warmedFor;  // the settings the pages were painted for
    bool warmedDark = false;
    PaintedPictures<PageState, PageRecord> pages;  // outlive the window: painted ahead of it
    static constexpr int kPaintRetries = 3;
    int failedPaints = 0;  // in a row, since the last paint that reached the screen
    Microsoft::WRL::ComPtr<ID2D1Bitmap> logoSmall;
    Microsoft::WRL::ComPtr<ID2D1Bitmap> logoLarge;
    float bitmapScale = 0.0f;
    DockConfig config;
    Callbacks callbacks;
    float scale = 1.0f;
    float logicalWidth = 680.0f;
    float logicalHeight = 540.0f;
    int32_t section = 0;
    int32_t loggedSection = -1;  // the page the log last said was painted
    int32_t hoverId = 0;
    int32_t hoverIndex = 0;
    int32_t dragSlider = 0;
    bool trackingMouse = false;
    std::array<D2D1_RECT_F, 5> sliderTracks = {};  // entry 0 is never written
    std::vector<HitItem> hitItems;
    bool saveFailed = false;
    std::wstring saveNotice;
    static constexpr UINT kAutoStartAnswer = WM_APP + 0x35;
    LPARAM autoStartAsk = 0;  // the ask whose answer is awaited; 0 for none
    bool autoStartKnown = false;
    bool lastAutoStart = false;  // the system's last answer, once known
    int32_t dwmTheme = -1;       // the theme the frame's colours were last set for

    PaintKit* kit = nullptr;                     // set only while a paint draws
    std::array<D2D1_RECT_F, 5> sliderRows = {};  // what a slider step paints again
};
