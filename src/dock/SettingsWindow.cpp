// The settings window as a window: its class and frame, the messages it takes
// and where each goes (painting to SettingsWindowPaint.cpp, what a click or a
// drag does to the copy to SettingsController.cpp), and the frame's colours.
#include "dock/SettingsWindow.h"

#include <dwmapi.h>

#include <cmath>

#include "platform/WindowBase.h"
#include "dock/SettingsControls.h"
#include "dock/SettingsPaintKit.h"
#include "dock/SettingsWindowMetrics.h"
#include "render/GlassTheme.h"

using settings_metrics::RoundAway;
using settings_metrics::ScaleForDpi;

namespace {

constexpr wchar_t kClassName[] = L"VantreelSettingsWindow";
constexpr wchar_t kTitle[] = L"Vantreel 偏好设置";
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kAppIconResource = 101;

// Window attributes of newer systems (public documentation values).
constexpr DWORD kDwmUseImmersiveDarkMode = 20;
constexpr DWORD kDwmWindowCornerPreference = 33;
constexpr DWORD kDwmCaptionColor = 35;
constexpr DWORD kDwmCornerRound = 2;
constexpr COLORREF kCaptionDark = 0x00211A18;
constexpr COLORREF kCaptionLight = 0x00F7F3F1;

}  // namespace

SettingsWindow::SettingsWindow() = default;

SettingsWindow::~SettingsWindow() {
    Close();
    ReleaseTarget();
}

void SettingsWindow::Open(HINSTANCE instance, GraphicsDevice* graphicsDevice, const DockConfig& live,
                          Callbacks newCallbacks) {
    hInstance = instance;
    graphics = graphicsDevice;
    // The row shows what the system will do at logon, not the stored flag; the
    // system takes long to say, so the window opens with what it said last
    // (the stored flag before it ever said) and the answer follows.
    const bool open = hwnd && IsWindow(hwnd);
    const bool shownAutoStart = open ? config.autoStart : autoStartKnown ? lastAutoStart : live.autoStart;
    if (!open) saveNotice.clear();
    config = live;
    DockConfig::Clamp(config);
    config.autoStart = shownAutoStart;
    callbacks = std::move(newCallbacks);

    if (open) {
        AskAutoStart();
        ApplyDwmLook();
        ShowWindow(hwnd, SW_SHOWNORMAL);
        SetForegroundWindow(hwnd);
        if (IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, FALSE);
        return;
    }

    // The class keeps its icons for the life of the process, so they are
    // loaded only for the one registration that takes them.
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(hInstance, kClassName, &wc)) {
        wc.lpfnWndProc = &platform::WindowProcedure<kWindowBinding>;
        wc.hInstance = hInstance;
        wc.hIcon =
            static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
        wc.hIconSm = static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                   LR_DEFAULTCOLOR));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        if (!platform::RegisterWindowClass(wc)) {
            if (wc.hIcon) DestroyIcon(wc.hIcon);
            if (wc.hIconSm) DestroyIcon(wc.hIconSm);
        }
    }

    UINT dpi = GetDpiForSystem();
    scale = ScaleForDpi(dpi);
    RECT frame = {0, 0, RoundAway(scale * logicalWidth), RoundAway(scale * logicalHeight)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, dpi);
    int w = frame.right - frame.left;
    int h = frame.bottom - frame.top;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left - w) / 2;
    int y = work.top + (work.bottom - work.top - h) / 2;

    hoverId = 0;
    hoverIndex = 0;
    dragSlider = 0;
    loggedSection = -1;
    HWND created = CreateWindowExW(0, kClassName, kTitle, kWindowStyle, x, y, w, h, nullptr, nullptr, hInstance, this);
    if (!created) return;
    hwnd = created;
    AskAutoStart();
    ApplyDwmLook();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
}

void SettingsWindow::Close() {
    ReleaseTarget();
    HWND window = hwnd;
    hwnd = nullptr;
    if (window && IsWindow(window)) DestroyWindow(window);
}

const platform::WindowBinding<SettingsWindow> SettingsWindow::kWindowBinding{
    L"SettingsWindow::HandleMessage", &SettingsWindow::hwnd, platform::MessageHandler<&SettingsWindow::HandleMessage>};

LRESULT SettingsWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A handler that throws leaves the message to the default procedure (the
    // window base logs it), which also validates a window whose paint failed.
    auto pointX = [&] { return static_cast<float>(static_cast<short>(LOWORD(lParam))) / scale; };
    auto pointY = [&] { return static_cast<float>(static_cast<short>(HIWORD(lParam))) / scale; };
    switch (message) {
        case WM_SIZE:
            Invalidate();
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            Paint(dc);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                Close();
                return 0;
            }
            break;
        case WM_MOUSEMOVE: {
            if (!trackingMouse) {
                TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window, 0};
                TrackMouseEvent(&track);
                trackingMouse = true;
            }
            if (dragSlider != 0) {
                DragSlider(pointX());
                return 0;
            }
            const HitItem* item = HitTest(pointX(), pointY());
            int32_t id = item ? item->id : 0;
            int32_t index = item ? item->index : 0;
            if (id != hoverId || index != hoverIndex) {
                hoverId = id;
                hoverIndex = index;
                Invalidate();
            }
            return 0;
        }
        case WM_LBUTTONDOWN: {
            const HitItem* item = HitTest(pointX(), pointY());
            if (item && (item->id == kSliderIconSize || item->id == kSliderGlass || item->id == kSliderAllApps ||
                         (item->id == kSliderMagnify && config.magnifyEnabled))) {
                dragSlider = item->id;
                SetCapture(window);
                DragSlider(pointX());
            }
            return 0;
        }
        case WM_LBUTTONUP: {
            if (dragSlider != 0) {
                DragSlider(pointX());
                dragSlider = 0;
                if (GetCapture() == window) ReleaseCapture();
                return 0;
            }
            const HitItem* item = HitTest(pointX(), pointY());
            if (item) OnItemClicked(*item, pointX());
            return 0;
        }
        case kAutoStartAnswer:
            if (lParam != 0 && lParam == autoStartAsk) {
                const bool changed = config.autoStart != (wParam != 0);
                TakeAutoStart(wParam != 0);
                if (changed) Invalidate();
            }
            return 0;
        case WM_CAPTURECHANGED:
            dragSlider = 0;
            return 0;
        case WM_MOUSELEAVE:
            trackingMouse = false;
            if (hoverId != 0 || hoverIndex != 0) {
                hoverId = 0;
                hoverIndex = 0;
                Invalidate();
            }
            return 0;
        case WM_NCDESTROY:
            ReleaseTarget();
            if (hwnd == window) hwnd = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void SettingsWindow::Invalidate() {
    if (hwnd && IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, FALSE);
}

void SettingsWindow::InvalidateArea(D2D1_RECT_F dips) {
    if (!hwnd || !IsWindow(hwnd)) return;
    RECT area = {static_cast<LONG>(std::floor(dips.left * scale)), static_cast<LONG>(std::floor(dips.top * scale)),
                 static_cast<LONG>(std::ceil(dips.right * scale)), static_cast<LONG>(std::ceil(dips.bottom * scale))};
    InvalidateRect(hwnd, &area, FALSE);
}

void SettingsWindow::ApplyDwmLook() {
    if (!hwnd) return;
    dwmTheme = config.theme;
    BOOL dark = IsDarkGlass(config.theme) ? TRUE : FALSE;
    DwmSetWindowAttribute(hwnd, kDwmUseImmersiveDarkMode, &dark, sizeof(dark));
    DWORD corner = kDwmCornerRound;
    DwmSetWindowAttribute(hwnd, kDwmWindowCornerPreference, &corner, sizeof(corner));
    COLORREF caption = dark ? kCaptionDark : kCaptionLight;
    DwmSetWindowAttribute(hwnd, kDwmCaptionColor, &caption, sizeof(caption));
}
