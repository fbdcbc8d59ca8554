#pragma once
// A launcher on the real device and compositor, with an injected catalog
// source that counts enumerations and a clock the test moves.

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <vector>

#include "LauncherFixtures.h"
#include "allapps/AllAppsWindow.h"
#include "platform/Log.h"
#include "apps/CompositionIconHost.h"
#include "apps/IconLoader.h"
#include "render/CompositionHost.h"
#include "render/GraphicsDevice.h"
#include "support/TestSupport.h"

inline size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The launcher's tests log into a folder of their own: the tests of the other
// lane write and delete the log beside the executables at any moment.
inline const std::wstring& LauncherLogFolder() {
    static const std::wstring folder = [] {
        std::wstring path = testing_support::BinDir() + L"\\launcher-test-log";
        CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }();
    return folder;
}

inline std::string ReadDebugLog() {
    auto bytes = testing_support::ReadFileBytes(LauncherLogFolder() + L"\\vantreel.log");
    return std::string(bytes.begin(), bytes.end());
}

// The debug log switched on and emptied for one test, off again afterwards.
// Icon workers log while they extract: switching off first waits for a line
// being written, whose open file would keep the old log from being deleted.
struct FreshLog {
    FreshLog() {
        InitializeLog(false);
        DeleteFileW((LauncherLogFolder() + L"\\vantreel.log").c_str());
        InitializeLog(true, LauncherLogFolder());
    }
    ~FreshLog() { InitializeLog(false); }
};

class LauncherWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        hostWindow = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(hostWindow, nullptr);
        ASSERT_TRUE(CreateGraphicsFactories(graphics));
        ASSERT_TRUE(graphics.Create());
        ASSERT_TRUE(host.Initialize(hostWindow, graphics));
        iconGraphics.dwrite = graphics.dwriteFactory.Get();
        iconGraphics.imaging = graphics.wicFactory.Get();
        loader.graphics = &iconGraphics;
        loader.host = &iconHost;

        apps.instance = GetModuleHandleW(nullptr);
        apps.device = &graphics;
        apps.composition = &host;
        apps.iconLoader = &loader;
        apps.tickCount = [this] { return now; };
        apps.dockReserve = 78.0f;
        apps.catalogSource.loadCache = [this](std::vector<InstalledApp>& out) {
            if (disk.empty()) return false;
            out = disk;
            return true;
        };
        apps.catalogSource.enumerate = [this] {
            ++enumerations;
            return fresh;
        };
        apps.catalogSource.save = [](const std::vector<InstalledApp>&) {};
        config.theme = 1;
    }

    void TearDown() override {
        apps.Shutdown();
        if (hostWindow) DestroyWindow(hostWindow);
        CoUninitialize();
    }

    // Opens with a ready catalog: the launcher adopts it as if a worker had delivered it.
    void Deliver(const std::vector<InstalledApp>& list) {
        {
            std::lock_guard<std::mutex> lock(apps.catalogMutex);
            apps.pendingCatalog = list;
        }
        apps.pendingReady.store(true);
    }

    void Toggle() {
        apps.Toggle(nullptr, config, 1.0f, 78.0f);
        now += 1000;
    }

    uint64_t now = 1000000;
    HWND hostWindow = nullptr;
    GraphicsDevice graphics;
    CompositionHost host;
    CompositionIconHost iconHost{host};
    IconGraphics iconGraphics;
    IconLoader loader;
    AllAppsWindow apps;
    DockConfig config;
    std::vector<InstalledApp> disk;
    std::vector<InstalledApp> fresh;
    int enumerations = 0;
};
