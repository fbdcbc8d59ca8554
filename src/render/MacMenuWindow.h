#pragma once
// The one glass context menu of the program: a borderless, topmost popup that
// shows a flat list of rows and returns the chosen row's id. ShowModal runs its
// own message loop, so the caller (and the main loop) wait until it closes;
// every other window of the thread keeps receiving its messages meanwhile.

#include <windows.h>

#include <functional>
#include <vector>

#include "config/DockConfig.h"
#include "platform/WindowBase.h"
#include "render/CompositionHost.h"
#include "render/GlassLayer.h"
#include "render/GraphicsDevice.h"
#include "render/MacMenuItem.h"
#include "render/MacMenuLayout.h"

class MacMenuWindow {
public:
    // The system services the menu's timing depends on; tests replace them.
    struct System {
        std::function<ULONGLONG()> tickCount = [] { return GetTickCount64(); };
        std::function<HWND()> foregroundWindow = [] { return GetForegroundWindow(); };
    };

    MacMenuWindow() = default;
    ~MacMenuWindow();
    MacMenuWindow(const MacMenuWindow&) = delete;
    MacMenuWindow& operator=(const MacMenuWindow&) = delete;

    // The module, device and compositor the menu draws with; all outlive it.
    void Initialize(HINSTANCE instance, GraphicsDevice& graphics, CompositionHost& host);

    // The chosen row's id, or 0 when dismissed, without rows, without a window
    // or target, or on any error. Reads only theme and glassOpacity of config.
    int ShowModal(POINT screenPoint, const std::vector<MacMenuItem>& rows, const DockConfig& config, float scale);

    HWND Window() const { return hwnd_; }
    const comp::DesktopWindowTarget& Target() const { return target_; }
    const GlassLayer& Glass() const { return glass_; }
    bool IsOpen() const { return open_; }
    int HoverIndex() const { return hover_; }
    float MenuWidth() const { return menuWidth_; }
    float MenuHeight() const { return menuHeight_; }
    const std::vector<float>& RowTops() const { return rowTops_; }

    System system;

private:
    static const platform::WindowBinding<MacMenuWindow> kWindowBinding;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void EnsureWindow();
    void MeasureItems();
    void Redraw();
    void PaintItems(ID2D1DeviceContext* context, float surfaceWidth);
    int HitTestItem(float x, float y) const;
    void Close(int result);
    void OnDeactivated();
    void OnGraceTimer();
    void SetHover(int index);
    void ReleaseContent();

    HINSTANCE instance_ = nullptr;
    GraphicsDevice* graphics_ = nullptr;
    CompositionHost* host_ = nullptr;
    HWND hwnd_ = nullptr;
    comp::DesktopWindowTarget target_;
    comp::ContainerVisual root_;
    GlassLayer glass_;
    comp::SpriteVisual contentSprite_;
    comp::CompositionDrawingSurface contentSurface_;
    comp::CompositionSurfaceBrush contentBrush_;
    int surfaceWidth_ = 0;
    int surfaceHeight_ = 0;
    std::vector<MacMenuItem> rows_;
    std::vector<float> rowTops_;
    std::vector<float> rowHeights_;
    float scale_ = 1.0f;
    float menuWidth_ = kMenuMinWidthDip;
    float menuHeight_ = 2 * kMenuPaddingDip;
    int hover_ = -1;
    bool open_ = false;
    int result_ = 0;
    ULONGLONG showTime_ = 0;
};
