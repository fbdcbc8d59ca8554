#pragma once
// Turning the shell's image of an item into premultiplied BGRA pixels.
// Every function here may run on any thread that has initialised COM and
// owns the imaging factory it passes.

#include "apps/IconBitmap.h"

#include <windows.h>
#include <wincodec.h>

#include <string>

// Not a "shell:" / "SHELL:" name, and either containing '\' or a drive path.
bool IsExtractablePath(const std::wstring& text);

// Converts to 32bppPBGRA and scales to the extraction size (the whole square,
// or the plate's inner square in mac style); false on any failure.
bool ConvertToPbgraBitmap(IWICImagingFactory* factory, IWICBitmapSource* source, int size, bool macStyle,
                          IconBitmap& out);

// The shell item image of a parsing name. A blank answer (1 x 1, or nothing
// visible, as some shells give for items without a thumbnail) is a failure.
bool GetShellItemBitmap(IWICImagingFactory* factory, const std::wstring& name, int size, bool macStyle,
                        IconBitmap& out);

// The primary name (an application id becomes "shell:AppsFolder\" + id) and
// then the fallback name, used unchanged.
bool ExtractShellItemImage(IWICImagingFactory* factory, const std::wstring& primary, const std::wstring& fallback,
                           int size, bool macStyle, IconBitmap& out);

// The file's shell icon at the system's large-icon size, unscaled; only for
// drive paths. Blank icons count as failures.
bool ExtractFileIcon(IWICImagingFactory* factory, const std::wstring& path, IconBitmap& out);

// Pixels of an icon handle, converted and scaled to size x size (0 keeps the
// icon's own size).
bool BitmapFromHIcon(IWICImagingFactory* factory, HICON icon, int size, IconBitmap& out);
