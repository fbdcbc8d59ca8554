#pragma once
// A real top-level window for compositor tests, with a compositor whose host
// backdrop is a known picture.

#include <windows.h>

#include "render/comp/Compositor.h"
#include "render/raster/Image.h"

struct CompTestWindow {
    CompTestWindow(int x, int y, int width, int height, bool show = false);
    ~CompTestWindow();
    CompTestWindow(const CompTestWindow&) = delete;
    CompTestWindow& operator=(const CompTestWindow&) = delete;

    HWND hwnd = nullptr;
};

// A compositor whose backdrop is a solid colour over the whole virtual screen.
comp::Compositor MakeTestCompositor(uint32_t backdropPixel = raster::Bgra(0, 0, 255, 255));

// Premultiplied pixel as bytes B, G, R, A for readable expectations.
struct Px {
    int b, g, r, a;
    friend bool operator==(const Px&, const Px&) = default;
};
Px PixelAt(const raster::Image& image, int x, int y);
void PrintTo(const Px& p, std::ostream* os);
