#pragma once
// A real bar window under a real compositor, with the status, tray, worker
// and app-bar calls answered by the test: the status and tray lists are the
// fixture's, workers never start, app-bar calls are recorded.

#include <gtest/gtest.h>

#include <vector>

#include "support/CompositorTest.h"
#include "render/MacMenuWindow.h"
#include "topbar/TopBarWindow.h"

struct AppBarCall {
    DWORD message;
    APPBARDATA data;
};

class TopBarWindowTest : public testing_support::CompositorTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartCompositor());
        status.clockText = L"12月9日 周二  07:12";
        status.inputIndicator = L"中";
        bar.system.collectStatus = [this](bool, const vantreel::SystemStatusSnapshot*, HWND) { return status; };
        bar.system.foregroundApp = [](const vantreel::ForegroundAppInfo*) { return vantreel::ForegroundAppInfo{}; };
        bar.system.inputIndicator = [this](HWND) { return status.inputIndicator; };
        bar.system.trayIcons = [this] { return tray; };
        bar.system.startTrayMonitor = [] {};
        bar.system.startWorker = [](std::function<void()>) {};
        bar.system.loadFileIcon = [](const std::wstring&, IWICImagingFactory*, int edge) {
            // An opaque red square.
            std::vector<uint8_t> pixels(static_cast<size_t>(edge) * edge * 4);
            for (size_t i = 0; i < pixels.size(); i += 4) {
                pixels[i + 2] = 255;
                pixels[i + 3] = 255;
            }
            return pixels;
        };
        bar.system.appBar = [this](DWORD message, APPBARDATA& data) -> UINT_PTR {
            if (message == ABM_QUERYPOS) data.rc.left = 100;  // the shell grants less
            calls.push_back({message, data});
            return shellAnswers ? 1 : 0;
        };
        bar.store.openAttempted = true;  // no notification database here
        bar.Initialize(GetModuleHandleW(nullptr), graphics, host, menu, {});
        // The popover reads the machine only from the fixture too.
        PopoverServices& reads = bar.popover.services;
        reads.collectStatus = [this] { return status; };
        reads.audioOutputDevices = [] { return std::vector<vantreel::AudioDevice>{}; };
        reads.scanWifi = [](bool) { return vantreel::WifiPanelState{}; };
        reads.bluetoothDevices = [] { return vantreel::BluetoothState{}; };
        reads.powerSchemeSummary = [] { return vantreel::PowerModeInfo{}; };
        reads.hotspotStatus = [] { return vantreel::HotspotStatusInfo{}; };
        reads.keepAwakeFlag = [] { return false; };
        reads.desktopIconsVisible = [] { return true; };
        reads.displayBrightness = [](HMONITOR) { return vantreel::BrightnessInfo{}; };
        reads.trayIcons = [this] { return tray; };
        reads.startWorker = [](std::function<void()> body) { body(); };
        config.theme = 1;
        config.topBarReserveSpace = true;
    }
    void TearDown() override {
        bar.Shutdown();
        StopCompositor();
    }

    // Places the bar and runs the repaint it posts, as the message loop would.
    void Apply(float scale = 1.0f) {
        bar.Apply(nullptr, config, scale);
        MSG msg;
        while (PeekMessageW(&msg, bar.Window(), WM_TOPBAR_REDRAW, WM_TOPBAR_REDRAW, PM_REMOVE)) DispatchMessageW(&msg);
    }

    const AppBarCall* Last(DWORD message) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
            if (it->message == message) return &*it;
        }
        return nullptr;
    }

    const TopBarItem* Item(int32_t id) const {
        for (const auto& item : bar.items) {
            if (item.id == id) return &item;
        }
        return nullptr;
    }

    std::vector<uint32_t> Ink() const {  // the bar's pixels as drawn now
        return {bar.surface.Pixels().Data(), bar.surface.Pixels().Data() + bar.surfaceWidth * bar.surfaceHeight};
    }
    MacMenuWindow menu;
    TopBarWindow bar;
    DockConfig config;
    vantreel::SystemStatusSnapshot status;
    std::vector<TrayIconInfo> tray;
    std::vector<AppBarCall> calls;
    bool shellAnswers = true;
};

