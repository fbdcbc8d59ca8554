#pragma once
// The coloured letter tile shown for an application without a usable icon:
// the colour depends only on the display name, so one application always
// gets the same one.

#include <cstdint>
#include <string>

uint32_t Fnv1aUtf16(const std::wstring& text);
// Index into the six-colour tile palette.
int LetterTileColorIndex(const std::wstring& appName);
// The one code unit the tile shows; "通" for an unnamed application.
std::wstring LetterTileText(const std::wstring& appName);

struct TileColor {
    float r, g, b, a;
};
TileColor LetterTileColor(int index);
