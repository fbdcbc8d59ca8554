#include "CompTestWindow.h"

#include <ostream>

CompTestWindow::CompTestWindow(int x, int y, int width, int height, bool show) {
    static ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VantreelCompTestWindow";
        return RegisterClassW(&wc);
    }();
    (void)atom;
    hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"VantreelCompTestWindow", L"comp test", WS_POPUP, x,
                           y, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (show) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
}

CompTestWindow::~CompTestWindow() {
    if (hwnd) DestroyWindow(hwnd);
}

comp::Compositor MakeTestCompositor(uint32_t backdropPixel) {
    comp::Compositor compositor;
    compositor.Backdrop().SetLoader([backdropPixel](comp::BackdropPicture& picture) {
        int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        picture.origin = {left, top};
        picture.pixels.Reset(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), backdropPixel);
        picture.identity = L"test";
        return true;
    });
    return compositor;
}

Px PixelAt(const raster::Image& image, int x, int y) {
    uint32_t p = image.At(x, y);
    return {static_cast<int>(raster::BlueOf(p)), static_cast<int>(raster::GreenOf(p)),
            static_cast<int>(raster::RedOf(p)), static_cast<int>(raster::AlphaOf(p))};
}

void PrintTo(const Px& p, std::ostream* os) { *os << "(b" << p.b << " g" << p.g << " r" << p.r << " a" << p.a << ")"; }
