// What the bar knows right after it is wired, before any window or worker:
// the foreground application and a fast status snapshot.
#include <gtest/gtest.h>

#include "render/CompositionHost.h"
#include "render/GraphicsDevice.h"
#include "render/MacMenuWindow.h"
#include "support/TestSupport.h"
#include "support/WindowProgram.h"
#include "topbar/TopBarWindow.h"

TEST(TopBarStatusStart, InitializeNamesTheForegroundAppAndReadsTheClock) {
    testing_support::WindowProgram program(testing_support::BinDir() + L"\\foreground_window_gui.exe",
                                           L"VantreelBarProbe Probe");
    ASSERT_TRUE(program.Window());
    ASSERT_TRUE(testing_support::WaitFor([&] { return GetForegroundWindow() == program.Window(); }));

    GraphicsDevice device;
    CompositionHost host;
    MacMenuWindow menu;
    TopBarWindow bar;
    bar.Initialize(GetModuleHandleW(nullptr), device, host, menu, {});
    EXPECT_EQ(bar.foreground.hwnd, program.Window());
    EXPECT_EQ(bar.foreground.displayName, L"foreground_window_gui");
    EXPECT_FALSE(bar.status.clockText.empty());
    EXPECT_EQ(bar.status.inputIndicator, L"英");
    // Only the clock and the indicator: the services wait for the full collection.
    EXPECT_FALSE(bar.status.volumeAvailable);
    EXPECT_EQ(bar.status.volume, 0.5f);
    EXPECT_EQ(bar.status.batteryPercent, 100u);
    EXPECT_EQ(bar.Window(), nullptr);
}
