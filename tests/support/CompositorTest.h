#pragma once
// A test over a real window painted by the real graphics device and our
// compositor: a hidden owner window, the device and the compositor on it, COM
// in this thread. Fixtures call StartCompositor first in SetUp (under
// ASSERT_NO_FATAL_FAILURE) and StopCompositor last in TearDown.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include "render/CompositionHost.h"
#include "render/GraphicsDevice.h"

namespace testing_support {

class CompositorTest : public ::testing::Test {
protected:
    void StartCompositor() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(CreateGraphicsFactories(graphics));
        ASSERT_TRUE(graphics.Create());
        ASSERT_TRUE(host.Initialize(owner, graphics));
    }
    void StopCompositor() {
        DestroyWindow(owner);
        owner = nullptr;
        CoUninitialize();
    }

    HWND owner = nullptr;
    GraphicsDevice graphics;
    CompositionHost host;
};

}  // namespace testing_support
