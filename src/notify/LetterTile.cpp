#include "notify/LetterTile.h"

uint32_t Fnv1aUtf16(const std::wstring& text) {
    uint32_t hash = 2166136261u;
    for (wchar_t unit : text) {
        hash ^= static_cast<uint16_t>(unit);
        hash *= 16777619u;
    }
    return hash;
}

int LetterTileColorIndex(const std::wstring& appName) { return static_cast<int>(Fnv1aUtf16(appName) % 6u); }

std::wstring LetterTileText(const std::wstring& appName) {
    if (appName.empty()) return L"\u901A";
    return appName.substr(0, 1);
}

TileColor LetterTileColor(int index) {
    static const TileColor kPalette[6] = {
        {0.08f, 0.50f, 0.98f, 0.96f}, {0.35f, 0.34f, 0.92f, 0.96f}, {0.15f, 0.72f, 0.45f, 0.96f},
        {0.92f, 0.45f, 0.16f, 0.96f}, {0.84f, 0.25f, 0.46f, 0.96f}, {0.10f, 0.65f, 0.78f, 0.96f},
    };
    if (index < 0 || index > 5) index = 0;
    return kPalette[index];
}
