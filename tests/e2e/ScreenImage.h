#pragma once
// A rectangle of the screen as the user sees it, kept as a PNG file and read
// back from one, for the end-to-end tests that judge what is shown.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top-down

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool Empty() const { return pixels.empty(); }
    // Distinct colours and the mean of r + g + b inside (left, top)-(right, bottom).
    size_t ColoursIn(int left, int top, int right, int bottom) const;
    double BrightnessIn(int left, int top, int right, int bottom) const;
};

// What the X server shows in the rectangle; empty when it cannot be read.
ScreenImage CaptureScreen(const RECT& rect);
bool SavePng(const ScreenImage& image, const std::wstring& path);
ScreenImage LoadPng(const std::wstring& path);
