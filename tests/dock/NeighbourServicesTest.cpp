// What the dock relies on of the top bar and the keep-awake service, and the
// dock's own once-only shutdown.
#include <gtest/gtest.h>

#include "dock/DockWindow.h"
#include "system/KeepAwake.h"
#include "topbar/TopBarWindow.h"

TEST(TopBarWindowState, ApplyKeepsACopyAndAScaleOfAtLeastOne) {
    TopBarWindow bar;
    DockConfig config;
    config.showTopBar = false;
    bar.Apply(nullptr, config, 0.5f);
    EXPECT_EQ(bar.Window(), nullptr) << "no window is created here";
    EXPECT_FLOAT_EQ(bar.scale, 1.0f);
    EXPECT_FALSE(bar.config.showTopBar);
    bar.Shutdown();
    bar.Apply(nullptr, DockConfig{}, 2.0f);
    EXPECT_FALSE(bar.config.showTopBar) << "a shut bar takes nothing more";
    EXPECT_FLOAT_EQ(bar.scale, 1.0f);
}

TEST(KeepAwake, ReleaseClearsTheFlag) {
    KeepAwakeFlag = true;
    ReleaseKeepAwake();
    EXPECT_FALSE(KeepAwakeFlag.load());
}

TEST(DockWindowLifetime, ShutdownRunsOnceAndReleasesKeepAwake) {
    KeepAwakeFlag = true;
    {
        DockWindow dock;
        EXPECT_TRUE(dock.IsAnimating()) << "a new dock wants its first frame";
        dock.Shutdown();
        EXPECT_TRUE(dock.IsShutDown());
        EXPECT_FALSE(KeepAwakeFlag.load()) << "the first step of the shutdown";
        EXPECT_FALSE(dock.IsAnimating()) << "a shut dock never asks for frames";

        KeepAwakeFlag = true;
        dock.Shutdown();
        EXPECT_TRUE(KeepAwakeFlag.load()) << "the second call does nothing";
        KeepAwakeFlag = true;
    }  // the destructor calls Shutdown a third time
    EXPECT_TRUE(KeepAwakeFlag.load());
    KeepAwakeFlag = false;
}
