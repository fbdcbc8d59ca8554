// The whole dock in this process: started from a configuration in a test
// folder, ticked to rest, read back from its composed frame, put through a
// device loss and a configuration change, and shut down; and starts that fail.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "platform/Log.h"
#include "app/MainLoop.h"
#include "config/ConfigFile.h"
#include "config/PathText.h"
#include "dock/DockWindow.h"
#include "support/FileDropData.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

void PumpFor(DWORD ms) {
    ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

void TickToRest(DockWindow& dock) {
    for (int i = 0; i < 600 && dock.IsAnimating(); ++i) dock.Tick(1.0f / 60.0f);
}

bool AllIconsShown(const DockWindow& dock) {
    for (const auto& visual : dock.ItemVisuals()) {
        if (visual.separator) continue;
        if (visual.missing || visual.iconKey.empty()) return false;
    }
    return true;
}

class InProcessDock : public ::testing::Test {
protected:
    void SetUp() override {
        oleReady_ = SUCCEEDED(OleInitialize(nullptr));
        configPath_ = dir_.File(L"vantreel.json");
        DockConfig config;
        config.hideTaskbar = false;
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        std::wstring notepad = std::wstring(windows) + L"\\notepad.exe";
        config.pinned.push_back({L"Notepad", notepad, L"", NormalizePathKey(notepad)});
        ASSERT_TRUE(SaveConfig(configPath_, config));
        dock_.configPathSource = [this] { return configPath_; };
        ASSERT_TRUE(dock_.Initialize(GetModuleHandleW(nullptr), false));
        // The bar's content comes once the device has drawn for the first time.
        ULONGLONG end = GetTickCount64() + 30000;
        while (!(AllIconsShown(dock_) && dock_.TopBar().surface) && GetTickCount64() < end) PumpFor(50);
        PumpFor(100);
        TickToRest(dock_);
        dock_.Composition().compositor.Commit();
    }

    void TearDown() override {
        dock_.Shutdown();
        if (oleReady_) OleUninitialize();
    }

    bool oleReady_ = false;
    TempDir dir_;
    std::wstring configPath_;
    DockWindow dock_;
};

}  // namespace

TEST_F(InProcessDock, StartsWithEveryIconAndComposesTheDock) {
    ASSERT_TRUE(AllIconsShown(dock_));
    ASSERT_EQ(dock_.ItemVisuals().size(), dock_.Model().items.size());
    EXPECT_TRUE(IsWindow(dock_.TopBar().Window())) << "the bar is created from the posted message";
    EXPECT_FALSE(dock_.IsAnimating()) << "at rest the frame loop may stop";

    raster::Image frame = dock_.Composition().mainTarget.PresentedPixels();
    ASSERT_GT(frame.Width(), 0);
    auto alphaAt = [&](int x, int y) { return frame.At(x, y) >> 24; };
    EXPECT_EQ(alphaAt(2, 2), 0u) << "the band is transparent away from the dock";
    // The centre of every icon is covered.
    for (const auto& visual : dock_.ItemVisuals()) {
        comp::Vector3 offset = visual.container.Offset();
        comp::Vector2 size = visual.container.Size();
        int x = static_cast<int>(offset.x + size.x / 2);
        int y = static_cast<int>(offset.y + size.y / 2);
        EXPECT_GT(alphaAt(x, y), 200u) << "icon at " << x << "," << y;
    }

    // The input window lies over the glass at the bottom of the band.
    RECT input = dock_.InputRect();
    RECT band = {};
    GetWindowRect(dock_.VisualWindow(), &band);
    EXPECT_GT(input.top, band.top);
    EXPECT_LE(input.bottom, band.bottom);
    RECT placed = {};
    GetWindowRect(dock_.InputWindow(), &placed);
    EXPECT_TRUE(EqualRect(&placed, &input));
}

TEST_F(InProcessDock, RecoversFromALostDevice) {
    std::vector<comp::CompositionBrush> before;
    for (const auto& visual : dock_.ItemVisuals()) {
        if (visual.icon) before.push_back(visual.icon.Brush());
    }
    const comp::CompositionDrawingSurface barSurface = dock_.TopBar().surface;
    ASSERT_TRUE(barSurface);
    dock_.Composition().ReportDrawFailure(static_cast<HRESULT>(0x887A0005));  // device removed
    dock_.Tick(1.0f / 60.0f);
    EXPECT_FALSE(dock_.Composition().deviceLost.load()) << "the tick took the flag";
    EXPECT_FALSE(dock_.TopBar().surface == barSurface) << "the bar draws on a new surface";
    EXPECT_GT(dock_.TopBar().surface.Pixels().At(24, 16) >> 24, 0u) << "the bar's logo is back";
    size_t i = 0;
    size_t redrawn = 0;
    for (const auto& visual : dock_.ItemVisuals()) {
        if (!visual.icon) continue;
        EXPECT_FALSE(visual.iconKey.empty() && !visual.missing);
        if (!(visual.icon.Brush() == before[i])) ++redrawn;
        ++i;
    }
    EXPECT_EQ(redrawn, before.size()) << "every icon is fetched again on the new device";
}

TEST_F(InProcessDock, ApplyConfigSavesTheDocksPinsAndReappliesOnlyWhatChanged) {
    std::vector<comp::CompositionBrush> before;
    for (const auto& visual : dock_.ItemVisuals()) before.push_back(visual.icon ? visual.icon.Brush() : nullptr);
    auto kept = [&] {
        size_t i = 0, count = 0;
        for (const auto& visual : dock_.ItemVisuals()) count += visual.icon && visual.icon.Brush() == before[i++];
        return count;
    };
    const size_t icons = kept();
    const float edge = dock_.ItemVisuals()[0].container.Size().x;
    DockConfig next = dock_.Config();
    next.topBarTrayCollapsed = !next.topBarTrayCollapsed;
    dock_.ApplyConfig(next);
    EXPECT_NE(dock_.TopBar().config.topBarTrayCollapsed, next.topBarTrayCollapsed)
        << "the tray collapse is the bar's own";

    next = dock_.Config();
    next.pinned.clear();
    next.showLunarCalendar = !next.showLunarCalendar;
    next.iconSize = 400.0f;  // clamped
    dock_.ApplyConfig(next);
    EXPECT_EQ(dock_.TopBar().config.showLunarCalendar, next.showLunarCalendar);
    EXPECT_LT(dock_.Config().iconSize, 400.0f);

    DockConfig saved = LoadConfig(configPath_);
    ASSERT_EQ(saved.pinned.size(), 1u) << "the incoming pinned list is not used";
    EXPECT_EQ(saved.pinned[0].name, L"Notepad");
    EXPECT_EQ(saved.iconSize, dock_.Config().iconSize);
    EXPECT_TRUE(dock_.IsAnimating()) << "a new configuration asks for a frame";
    // The new size shows at the next frame with the icons there, scaled; those
    // drawn at that size come on the frames after.
    dock_.Tick(1.0f / 60.0f);
    EXPECT_NEAR(dock_.ItemVisuals()[0].container.Size().x, edge * dock_.Config().iconSize / 48.0f, 1.0f);
    EXPECT_EQ(kept(), icons) << "an icon was drawn before the frame showed";
    for (int i = 0; i < 500 && kept() > 0; ++i, TickToRest(dock_)) PumpFor(20);
    EXPECT_EQ(kept(), 0u) << "every icon is drawn at the new size";
}

// Hundreds of icons arriving at once are looked up a frame's share at a time:
// a close posted behind their message is handled before any of them.
TEST(DockIcons, AFloodOfArrivingIconsHoldsNoCloseAndTakesAShareOfEachFrame) {
    const bool oleReady = SUCCEEDED(OleInitialize(nullptr));
    TempDir dir;
    DockConfig config;
    // Programs that are not there: no icon comes but the test's.
    for (int i = 0; i < 200; ++i) config.pinned.push_back({L"App", dir.File(std::to_wstring(i) + L".exe"), L"", L""});
    ASSERT_TRUE(SaveConfig(dir.File(L"vantreel.json"), config));
    {
        DockWindow dock;
        dock.configPathSource = [&] { return dir.File(L"vantreel.json"); };
        ASSERT_TRUE(dock.Initialize(GetModuleHandleW(nullptr), true));
        // The requests end on the workers; no message is taken meanwhile, so
        // however slow the machine no frame looks an icon up before the flood.
        for (int i = 0; i < 600 && dock.Icons().PendingCount() > 0; ++i) Sleep(50);
        auto waiting = [&] {
            return std::count_if(dock.ItemVisuals().begin(), dock.ItemVisuals().end(),
                                 [](const DockItemVisual& visual) { return visual.missing || visual.stale; });
        };
        const IconBitmap icon{32, 32, std::vector<uint8_t>(32 * 32 * 4, 0xFF)};
        for (const DockItem& item : dock.Model().items)
            dock.Icons().StoreExtracted(IconLoader::MakeRequestKey(item.key, dock.IconPixelSize(), true), icon);
        PostMessageW(dock.InputWindow(), WM_DOCK_ICONS_READY, 0, 0);
        PostMessageW(dock.InputWindow(), WM_CLOSE, 0, 0);
        FramePacer pacer;
        EXPECT_EQ(RunMainLoop(dock, pacer), LoopEnd::Quit);
        EXPECT_EQ(waiting(), 200) << "the close waited for the icons";
        dock.Tick(1.0f / 60.0f);
        EXPECT_LT(waiting(), 200) << "a frame takes a share";
    }
    if (oleReady) OleUninitialize();
}

TEST_F(InProcessDock, AllAppsHotkeyPathTogglesAndShutdownEndsEverythingOnce) {
    dock_.ToggleAllApps();
    EXPECT_TRUE(dock_.AllApps().IsVisible());
    dock_.ToggleAllApps();
    EXPECT_FALSE(dock_.AllApps().IsVisible());

    HWND input = dock_.InputWindow();
    HWND visual = dock_.VisualWindow();
    dock_.Shutdown();
    EXPECT_FALSE(IsWindow(input));
    EXPECT_FALSE(IsWindow(visual));
    EXPECT_EQ(dock_.InputWindow(), nullptr);
    EXPECT_EQ(dock_.AllApps().Window(), nullptr);
    EXPECT_TRUE(dock_.AllApps().stopRequested.load());
    EXPECT_TRUE(dock_.TopBar().shutDown);
    dock_.Shutdown();
    EXPECT_TRUE(dock_.IsShutDown());
}

TEST_F(InProcessDock, TheDropTargetIsRegisteredOnTheInputWindowAndFreedOnceAtShutdown) {
    ASSERT_NE(dock_.DropTarget(), nullptr);
    auto* probe = new vantreel::DockDropTarget(vantreel::DockDropTarget::Callbacks{});
    EXPECT_EQ(RegisterDragDrop(dock_.InputWindow(), probe), DRAGDROP_E_ALREADYREGISTERED);
    probe->Release();

    const int freedBefore = vantreel::DockDropTarget::freedCount.load();
    HWND input = dock_.InputWindow();
    dock_.Shutdown();
    EXPECT_EQ(vantreel::DockDropTarget::freedCount.load(), freedBefore + 1)
        << "revoked before the window went, so OLE let go of its reference too";
    EXPECT_EQ(dock_.DropTarget(), nullptr);
    EXPECT_FALSE(IsWindow(input));
    dock_.Shutdown();
    EXPECT_EQ(vantreel::DockDropTarget::freedCount.load(), freedBefore + 1);
}

TEST_F(InProcessDock, FilesDroppedLeftOfAnIconArePinnedBeforeItInTheirOrder) {
    using testing_support::DropDataKind;
    using testing_support::FileDropData;
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring regedit = std::wstring(windows) + L"\\regedit.exe";
    const std::wstring hh = std::wstring(windows) + L"\\hh.exe";

    // A point on the left half of Notepad's icon (slot 1, after the launchpad).
    ASSERT_EQ(dock_.Model().items.at(1).label, L"Notepad");
    RECT band = {};
    GetWindowRect(dock_.VisualWindow(), &band);
    const DockItemVisual& notepad = dock_.ItemVisuals().at(1);
    POINTL at = {band.left + static_cast<LONG>(notepad.container.Offset().x + notepad.container.Size().x / 4),
                 band.top + static_cast<LONG>(notepad.container.Offset().y + notepad.container.Size().y / 2)};

    auto* files = new FileDropData(DropDataKind::Files, {regedit, hh});
    IDropTarget* target = dock_.DropTarget();
    ASSERT_NE(target, nullptr);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    ASSERT_EQ(target->DragEnter(files, MK_LBUTTON, at, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(dock_.DropIndex(), 1) << "the gap opens before Notepad";
    EXPECT_TRUE(dock_.IsAnimating());
    dock_.Tick(1.0f / 60.0f);
    ASSERT_EQ(target->Drop(files, 0, at, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    files->Release();
    EXPECT_EQ(dock_.DropIndex(), -1);

    const auto& items = dock_.Model().items;
    ASSERT_GE(items.size(), 4u);
    EXPECT_EQ(NormalizePathKey(items[1].path), NormalizePathKey(regedit));
    EXPECT_EQ(NormalizePathKey(items[2].path), NormalizePathKey(hh));
    EXPECT_EQ(items[3].label, L"Notepad");
    DockConfig saved = LoadConfig(configPath_);
    ASSERT_EQ(saved.pinned.size(), 3u);
    EXPECT_EQ(NormalizePathKey(saved.pinned[0].path), NormalizePathKey(regedit));
    EXPECT_EQ(NormalizePathKey(saved.pinned[1].path), NormalizePathKey(hh));
    EXPECT_EQ(saved.pinned[2].name, L"Notepad");
    EXPECT_EQ(dock_.ItemVisuals().size(), items.size()) << "the dropped icons got their visuals";
}

TEST(DockStartup, AFailingOrThrowingStepFailsTheStartAndLeavesNothingBehind) {
    const bool oleReady = SUCCEEDED(OleInitialize(nullptr));
    TempDir dir;
    const std::wstring configPath = dir.File(L"vantreel.json");
    DockConfig config;
    config.hideTaskbar = false;
    ASSERT_TRUE(SaveConfig(configPath, config));
    // A log of its own: the tests of the other lane log beside the executables too.
    const std::wstring logPath = dir.File(L"vantreel.log");
    InitializeLog(true, dir.Path());
    auto log = [&] {
        auto bytes = ReadFileBytes(logPath);
        return std::string(bytes.begin(), bytes.end());
    };

    auto failedStart = [&](const std::function<void(DockWindow&)>& arrange, bool windowsMade) {
        HWND input = nullptr;
        HWND visual = nullptr;
        {
            DockWindow dock;
            dock.configPathSource = [&] { return configPath; };
            arrange(dock);
            EXPECT_FALSE(dock.Initialize(GetModuleHandleW(nullptr), false));
            input = dock.InputWindow();
            visual = dock.VisualWindow();
            if (windowsMade) {
                EXPECT_NE(input, nullptr) << "the windows came before the failing step";
            }
        }
        EXPECT_FALSE(IsWindow(input));
        EXPECT_FALSE(IsWindow(visual));
    };

    failedStart([](DockWindow& dock) {
        dock.factoryCalls.createDWrite = [](IDWriteFactory**) { return E_OUTOFMEMORY; };
    }, false);
    EXPECT_NE(log().find("DWriteCreateFactory failed: 0x8007000E"), std::string::npos) << log();

    failedStart([](DockWindow& dock) {
        dock.factoryCalls.createImaging = [](REFCLSID, IWICImagingFactory**) -> HRESULT {
            throw std::runtime_error("imaging service gone");
        };
    }, false);
    EXPECT_NE(log().find("DockWindow::Initialize std::exception: imaging service gone"), std::string::npos) << log();

    // The device is made on a worker while the windows come up: its failure
    // still undoes the windows, and the worker is done with before that.
    failedStart(
        [](DockWindow& dock) {
            dock.createD3DDevice = [](D3D_DRIVER_TYPE, ID3D11Device**, ID3D11DeviceContext**) {
                return DXGI_ERROR_UNSUPPORTED;
            };
        },
        true);
    EXPECT_NE(log().find("D3D11CreateDevice failed: 0x887A0004"), std::string::npos) << log();

    InitializeLog(false);
    if (oleReady) OleUninitialize();
}
