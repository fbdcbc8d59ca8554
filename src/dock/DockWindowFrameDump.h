#pragma once
// The dock's composed frame written to a file, for diagnostics and for tests
// that look at the dock's own pixels rather than the screen's.

#include <string>

#include "render/raster/Image.h"

// A 32-bit top-down BMP of the premultiplied BGRA pixels, alpha kept. Written
// beside the target and moved over it, so a reader never sees half a frame.
bool WriteFrameDump(const std::wstring& path, const raster::Image& image);
