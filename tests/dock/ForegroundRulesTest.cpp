#include <gtest/gtest.h>

#include "dock/ForegroundWindow.h"

namespace {
const RECT kMonitor{0, 0, 1920, 1080};
const RECT kWork{0, 0, 1920, 1040};  // taskbar at the bottom
constexpr DWORD kCaptioned = WS_OVERLAPPEDWINDOW;
constexpr DWORD kBorderless = WS_POPUP;
}  // namespace

TEST(ForegroundRules, FullscreenNeedsTheWholeMonitorExactly) {
  EXPECT_TRUE(CoversMonitorAsFullscreen(kMonitor, kMonitor, false, kBorderless));
  EXPECT_TRUE(CoversMonitorAsFullscreen(RECT{-10, -10, 1930, 1090}, kMonitor, false, kBorderless));
  EXPECT_FALSE(CoversMonitorAsFullscreen(RECT{0, 0, 1919, 1080}, kMonitor, false, kBorderless));
  EXPECT_FALSE(CoversMonitorAsFullscreen(RECT{1, 0, 1920, 1080}, kMonitor, false, kBorderless));
  EXPECT_FALSE(CoversMonitorAsFullscreen(RECT{0, 1, 1920, 1080}, kMonitor, false, kBorderless));
  EXPECT_FALSE(CoversMonitorAsFullscreen(RECT{0, 0, 1920, 1079}, kMonitor, false, kBorderless));
  // The work area plays no part.
  EXPECT_FALSE(CoversMonitorAsFullscreen(kWork, kMonitor, false, kBorderless));
}

TEST(ForegroundRules, MaximisedCaptionedWindowIsNotFullscreen) {
  // With the taskbar auto-hidden the work area is the monitor, and a maximised
  // window's frame overhangs it on every side.
  const RECT maximised{-8, -8, 1928, 1088};
  EXPECT_FALSE(CoversMonitorAsFullscreen(maximised, kMonitor, true, kCaptioned));
  EXPECT_FALSE(CoversMonitorAsFullscreen(maximised, kMonitor, true, WS_CAPTION | WS_VISIBLE));
  // Still maximised for the auto-hide.
  EXPECT_TRUE(CoversMonitorAsMaximized(maximised, kMonitor, kMonitor));
  // Full-screen players and browsers drop the caption, maximised or not.
  EXPECT_TRUE(CoversMonitorAsFullscreen(kMonitor, kMonitor, true, kBorderless | WS_THICKFRAME));
  EXPECT_TRUE(CoversMonitorAsFullscreen(kMonitor, kMonitor, true, WS_BORDER));
  // A captioned window that is not maximised yet covers the monitor still counts.
  EXPECT_TRUE(CoversMonitorAsFullscreen(maximised, kMonitor, false, kCaptioned));
}

TEST(ForegroundRules, MaximisedWithinTolerances) {
  // Borderless and 1 px short of every edge: maximised, not full screen.
  const RECT nearly{1, 1, 1919, 1079};
  EXPECT_TRUE(CoversMonitorAsMaximized(nearly, kMonitor, kWork));
  EXPECT_FALSE(CoversMonitorAsFullscreen(nearly, kMonitor, false, kBorderless));
  EXPECT_TRUE(CoversMonitorAsMaximized(RECT{2, 2, 1918, 1078}, kMonitor, kWork));
  // Work area within 8 px.
  EXPECT_TRUE(CoversMonitorAsMaximized(RECT{-7, -7, 1927, 1047}, kMonitor, kWork));
  EXPECT_TRUE(CoversMonitorAsMaximized(RECT{8, 8, 1912, 1032}, kMonitor, kWork));
  EXPECT_FALSE(CoversMonitorAsMaximized(RECT{9, 0, 1920, 1040}, kMonitor, kWork));
  EXPECT_FALSE(CoversMonitorAsMaximized(RECT{0, 0, 1920, 1031}, kMonitor, kWork));
  EXPECT_FALSE(CoversMonitorAsMaximized(RECT{100, 100, 900, 700}, kMonitor, kWork));
}
