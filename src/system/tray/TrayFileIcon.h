#pragma once
// An executable's (or a file's) icon as a square premultiplied BGRA bitmap with
// its content cropped, centred and scaled (see TrayIconPixels.h).

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

// edge x edge pixels, or empty when neither the file nor its type has an icon.
std::vector<uint8_t> LoadFileIcon(const std::wstring& path, IWICImagingFactory* factory, int edge);
