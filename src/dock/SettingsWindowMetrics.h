#pragma once
// The settings window's device-pixel arithmetic, shared by its frame and its
// pages so a page painted ahead of the window has the window's own size.

#include <windows.h>

#include <algorithm>
#include <cmath>

namespace settings_metrics {

// The smallest content area the pages lay out for, in DIP.
inline constexpr float kMinWidth = 540.0f;
inline constexpr float kMinHeight = 440.0f;

inline float ScaleForDpi(UINT dpi) { return std::max(static_cast<float>(dpi) / 96.0f, 1.0f); }

inline float DipsOf(UINT pixels, UINT dpi) { return static_cast<float>(pixels) * 96.0f / static_cast<float>(dpi); }

inline int RoundAway(float v) { return static_cast<int>(std::lround(v)); }

}  // namespace settings_metrics
