#pragma once
// The floor a window's frame is measured against: the bare present of a
// layered window of the same size, its pixels ready and nothing redrawn - the
// least the platform does for one frame of that window. Timed in the same run
// as the figure it is compared with, since the machine's load varies.

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "BenchTiming.h"

namespace bench {

class PresentFloor {
public:
    // A shown, topmost, non-activating layered window of `size` at `at`.
    PresentFloor(POINT at, SIZE size) : size_(size) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VantreelBenchPresentFloor";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, wc.lpszClassName,
                                  L"", WS_POPUP, at.x, at.y, size.cx, size.cy, nullptr, nullptr, wc.hInstance, nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = -size.cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        memory_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bits) {
            // Half-transparent grey, premultiplied, as glass would be.
            auto* pixels = static_cast<uint32_t*>(bits);
            for (LONG i = 0; i < size.cx * size.cy; ++i) pixels[i] = 0x80404040u;
        }
        if (memory_ && bitmap_) previous_ = SelectObject(memory_, bitmap_);
        Present();
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        Pump();
    }
    PresentFloor(const PresentFloor&) = delete;
    PresentFloor& operator=(const PresentFloor&) = delete;
    ~PresentFloor() {
        if (window_) DestroyWindow(window_);
        if (memory_ && previous_) SelectObject(memory_, previous_);
        if (bitmap_) DeleteObject(bitmap_);
        if (memory_) DeleteDC(memory_);
    }

    // One present of the whole window; its wall time in ms.
    double TimePresent() {
        const double start = NowMs();
        Present();
        return NowMs() - start;
    }

private:
    void Present() {
        if (!window_ || !memory_) return;
        POINT source = {0, 0};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        RECT dirty = {0, 0, size_.cx, size_.cy};
        UPDATELAYEREDWINDOWINFO info = {};
        info.cbSize = sizeof(info);
        info.psize = &size_;
        info.hdcSrc = memory_;
        info.pptSrc = &source;
        info.pblend = &blend;
        info.dwFlags = ULW_ALPHA;
        info.prcDirty = &dirty;
        UpdateLayeredWindowIndirect(window_, &info);
    }

    SIZE size_;
    HWND window_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace bench
