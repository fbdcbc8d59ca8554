// The launcher as a real window on the real device: opening and closing, what
// a reopen redraws, theme and style changes, device loss, the hidden prebuild,
// and the pixels of its chrome.
#include "LauncherWindowFixture.h"

#include <algorithm>

#include "allapps/AllAppsGeometry.h"
#include "allapps/AllAppsPaint.h"

namespace {

int AlphaAt(const comp::CompositionDrawingSurface& surface, int x, int y) {
    const raster::Image& pixels = surface.Pixels();
    return static_cast<int>(pixels.At(x, y) >> 24);
}

// Pixels with any coverage inside a box of a surface.
int CoveredPixels(const comp::CompositionDrawingSurface& surface, int left, int top, int right, int bottom) {
    int covered = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) covered += AlphaAt(surface, x, y) > 0 ? 1 : 0;
    }
    return covered;
}

}  // namespace

TEST_F(LauncherWindowTest, ToggleShowsHidesAndIgnoresAQuickReopen) {
    Deliver(FilterFixture());
    int closed = 0;
    apps.callbacks.onClosed = [&] { ++closed; };
    Toggle();
    ASSERT_TRUE(apps.visible);
    EXPECT_TRUE(IsWindowVisible(apps.Window()));
    EXPECT_TRUE(GetWindowLongW(apps.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect;
    GetWindowRect(apps.Window(), &rect);
    EXPECT_EQ(rect.left, 554);
    EXPECT_EQ(rect.top, 400);
    EXPECT_EQ(rect.right, 1366);
    EXPECT_EQ(rect.bottom, 1004);

    apps.Toggle(nullptr, config, 1.0f, 78.0f);
    EXPECT_FALSE(apps.visible);
    EXPECT_FALSE(IsWindowVisible(apps.Window()));
    EXPECT_EQ(closed, 1);
    now += 249;
    apps.Toggle(nullptr, config, 1.0f, 78.0f);
    EXPECT_FALSE(apps.visible) << "a reopen within 250 ms is the closing click";
    now += 1;
    apps.Toggle(nullptr, config, 1.0f, 120.0f);  // the dock grew meanwhile
    EXPECT_TRUE(apps.visible);
    GetWindowRect(apps.Window(), &rect);
    EXPECT_EQ(rect.bottom, 1080 - 118) << "above the dock as it is now";

    apps.Shutdown();
    EXPECT_FALSE(apps.visible);
    EXPECT_EQ(apps.Window(), nullptr);
    EXPECT_EQ(closed, 2);
    apps.Shutdown();
    EXPECT_EQ(closed, 2) << "a second shutdown does nothing";
}

TEST_F(LauncherWindowTest, WithoutACompositorToggleOnlyLogs) {
    FreshLog log;
    apps.composition = nullptr;
    Toggle();
    EXPECT_FALSE(apps.visible);
    EXPECT_EQ(Occurrences(ReadDebugLog(), "AllAppsWindow::Toggle aborted: window/visual tree not ready"), 1u);
}

TEST_F(LauncherWindowTest, AnUnchangedReopenRebuildsNothingAChangedViewRebuildsOnPageZero) {
    Deliver(NumberedApps(30));
    Toggle();
    Toggle();
    {
        FreshLog log;
        Toggle();
        EXPECT_TRUE(apps.visible);
        const std::string text = ReadDebugLog();
        EXPECT_EQ(Occurrences(text, "rebuild tiles done"), 0u);
        EXPECT_EQ(Occurrences(text, "opened in"), 1u);
    }
    for (int change = 0; change < 3; ++change) {
        if (change == 0) apps.GoToPage(1, 1);
        if (change == 1) apps.categoryTab = 6;
        if (change == 2) apps.searchText = L"app 2";
        Toggle();
        FreshLog log;
        Toggle();
        EXPECT_EQ(Occurrences(ReadDebugLog(), "rebuild tiles done"), 1u) << change;
        EXPECT_EQ(apps.page, 0);
        EXPECT_EQ(apps.categoryTab, 0);
        EXPECT_TRUE(apps.searchText.empty());
        EXPECT_EQ(apps.visibleEntries.size(), 30u);
    }
}

TEST_F(LauncherWindowTest, AReopenAfterHoveringPresentsTheFirstOpeningsFrame) {
    Deliver(NumberedApps(30));
    Toggle();
    host.compositor.Commit();
    const raster::Image first = apps.target.PresentedPixels();
    apps.pointerInGrid = apps.pointerOnIndexBar = true;
    apps.pointerX = apps.tileSlots[0].centerX;
    apps.pointerY = apps.tileSlots[0].centerY;
    apps.indexPointerX = LetterCenterX(IndexBarFor(apps.panelWidth, apps.indexLetters.size()), 1);
    apps.gridSpring.target = apps.indexSpring.target = 1.0f;
    for (int i = 0; i < 20; ++i) apps.Tick(1.0f / 60.0f);  // magnified, still growing
    Toggle();
    Toggle();
    host.compositor.Commit();
    const raster::Image again = apps.target.PresentedPixels();
    EXPECT_TRUE(std::equal(first.Data(), first.Data() + first.Width() * first.Height(), again.Data()));
    SendMessageW(apps.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
    ASSERT_TRUE(IsWindow(apps.Window()) && !apps.visible);
    DestroyWindow(apps.Window());  // lost some other way: made again, drawn afresh
    now += 1000;
    Toggle();
    host.compositor.Commit();
    const raster::Image made = apps.target.PresentedPixels();
    EXPECT_TRUE(std::equal(first.Data(), first.Data() + first.Width() * first.Height(), made.Data(),
                           made.Data() + made.Width() * made.Height()));
}

TEST_F(LauncherWindowTest, IconStyleAndThemeChangesReachTheSlotKeys) {
    InstalledApp suite = MakeFolder(L"Suite", AppCategory::Other, L'S',
                                    {MakeApp(L"One", L"C:\\vt\\one.exe", AppCategory::Other, L'O'),
                                     MakeApp(L"Two", L"C:\\vt\\two.exe", AppCategory::Other, L'T'),
                                     MakeApp(L"Three", L"C:\\vt\\three.exe", AppCategory::Other, L'T')});
    Deliver({suite});
    Toggle();
    EXPECT_EQ(apps.tileSlots[0].surfaceKey, L"C:\\vt\\one.exe|70|f3#m#d");
    Toggle();

    DockConfig windows = config;
    windows.useMacIcons = false;
    apps.ApplyTheme(windows, 1.0f);
    for (const AllAppsTileSlot& slot : apps.tileSlots) EXPECT_TRUE(slot.surfaceKey.empty());

    config.theme = 2;
    Toggle();
    EXPECT_EQ(apps.tileSlots[0].surfaceKey, L"C:\\vt\\one.exe|70|f3#m#l");
    EXPECT_FALSE(apps.glass.dark);
}

TEST_F(LauncherWindowTest, DeviceLossRedrawsTheSameFrame) {
    Deliver(NumberedApps(30));
    Toggle();
    host.compositor.Commit();
    const raster::Image before = apps.target.PresentedPixels();

    host.graphicsDevice.InjectFailure(static_cast<HRESULT>(0x887A0005));
    apps.closeHovered = true;  // a chrome that looks the same is not painted again
    apps.RedrawChrome();
    apps.closeHovered = false;
    ASSERT_TRUE(host.TakeDeviceLost());
    ASSERT_TRUE(graphics.Create());
    host.SetRenderingDevice(graphics);
    apps.HandleDeviceLost();
    host.compositor.Commit();
    const raster::Image after = apps.target.PresentedPixels();

    ASSERT_EQ(before.Width(), after.Width());
    ASSERT_EQ(before.Height(), after.Height());
    int worst = 0;
    for (int y = 0; y < before.Height(); ++y) {
        for (int x = 0; x < before.Width(); ++x) {
            const uint32_t a = before.At(x, y);
            const uint32_t b = after.At(x, y);
            for (int shift = 0; shift < 32; shift += 8) {
                worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 255) -
                                                 static_cast<int>((b >> shift) & 255)));
            }
        }
    }
    EXPECT_LE(worst, 2);
}

TEST_F(LauncherWindowTest, ThePrebuildPlacesTheHiddenWindow) {
    // A catalog already adopted: Initialize starts no worker.
    apps.catalog = NumberedApps(30);
    apps.catalogReady = true;
    apps.Initialize(nullptr, config, 1.0f, 78.0f);
    ASSERT_FALSE(apps.prewarmThread.joinable());
    SendMessageW(apps.Window(), WM_ALLAPPS_PREBUILD, 0, 0);
    EXPECT_TRUE(apps.visualsValid);
    EXPECT_FALSE(IsWindowVisible(apps.Window()));
    RECT rect;
    GetWindowRect(apps.Window(), &rect);
    EXPECT_EQ(rect.left, 554);
    EXPECT_EQ(rect.top, 400);
    EXPECT_EQ(rect.right - rect.left, 812);
    EXPECT_EQ(rect.bottom - rect.top, 604);
}

TEST_F(LauncherWindowTest, ChromePixelsInTheDarkTheme) {
    std::vector<InstalledApp> list = NumberedApps(24 * 3 - 1);
    list.push_back(MakeApp(L"Zulu", L"C:\\vt\\zulu.exe", AppCategory::Office, L'Z'));
    Deliver(list);
    Toggle();
    ASSERT_TRUE(apps.glass.dark);
    const comp::CompositionDrawingSurface chrome = apps.chromeSurface;
    ASSERT_TRUE(chrome);
    const uint32_t accent = chrome.Pixels().At(141, 65);
    EXPECT_NEAR(static_cast<int>(accent >> 24), 235, 2) << "tab 全部 is selected";
    EXPECT_NEAR(static_cast<int>(accent & 255), 235, 2);
    EXPECT_NEAR(static_cast<int>((accent >> 16) & 255), 9, 2);
    EXPECT_EQ(CoveredPixels(chrome, 200, 300, 580, 330), 0) << "no empty-state text over tiles";

    // Tile labels are the host's kept pixels, equal to a label painted fresh.
    EXPECT_GT(host.paintedPixels.Size(), 0u);
    const SIZE px = apps.cacheLabelPx;
    const std::wstring& name = apps.visibleEntries[0]->name;
    const auto format = MakeTileLabelFormat(graphics.dwriteFactory.Get(), apps.scale);
    const raster::Image fresh = apps.PaintTileLabel(name, format.Get(), px, true);
    const raster::Image& kept = apps.tileSurfaceCache.at(name).surface.Pixels();
    EXPECT_TRUE(std::equal(kept.Data(), kept.Data() + px.cx * px.cy, fresh.Data()));

    EXPECT_EQ(apps.pageCount, 3);
    apps.GoToPage(1, 1);
    EXPECT_TRUE(apps.pageDotsVisual.IsVisible());
    // Three dots 14 px apart, centred on the 260-px strip.
    EXPECT_EQ(AlphaAt(apps.pageDotsSurface, 130, 9), 245) << "the current page";
    EXPECT_EQ(AlphaAt(apps.pageDotsSurface, 116, 9), 82);
    EXPECT_EQ(AlphaAt(apps.pageDotsSurface, 144, 9), 82);
    EXPECT_TRUE(apps.indexBarVisual.IsVisible());

    apps.searchText = L"zulu";
    apps.RefreshAll();
    EXPECT_FALSE(apps.pageDotsVisual.IsVisible()) << "one page";
    EXPECT_TRUE(apps.indexBarVisual.IsVisible());

    apps.searchText = L"no such app";
    apps.RefreshAll();
    EXPECT_FALSE(apps.indexBarVisual.IsVisible()) << "one letter";
    ASSERT_TRUE(apps.emptyVisual.IsVisible());
    EXPECT_GT(CoveredPixels(apps.emptySurface, 200, 0, 580, apps.emptySurfacePx.cy), 20) << "未找到匹配的应用";
    EXPECT_EQ(CoveredPixels(chrome, 200, 300, 580, 330), 0) << "the chrome stays as it was";
}

// A catalog that arrives while a folder is open: the folder is found again by
// its name key, or the view leaves it; no pointer is left into the old list.
TEST_F(LauncherWindowTest, ANewCatalogKeepsOrClosesTheOpenFolder) {
    std::vector<InstalledApp> first = FilterFixture();
    Deliver(first);
    Toggle();
    apps.page = 0;
    apps.pageBeforeFolder = 0;
    apps.openFolder = &apps.catalog[2];
    apps.RefreshAll();
    ASSERT_EQ(apps.visibleEntries.size(), 3u);

    auto insideCatalog = [&](const InstalledApp* entry) {
        for (const InstalledApp& top : apps.catalog) {
            if (&top == entry) return true;
            for (const InstalledApp& child : top.children) {
                if (&child == entry) return true;
            }
        }
        return false;
    };

    std::vector<InstalledApp> kept = first;
    kept[2].children.pop_back();
    kept[2].children.push_back(MakeApp(L"New Member", L"C:\\Apps\\Corp\\new.lnk", AppCategory::Office, L'N'));
    kept.insert(kept.begin(), MakeApp(L"Aardvark", L"C:\\Apps\\aardvark.lnk", AppCategory::Other, L'A'));
    Deliver(kept);
    SendMessageW(apps.Window(), WM_ALLAPPS_CATALOG_READY, 0, 0);
    ASSERT_NE(apps.openFolder, nullptr);
    EXPECT_TRUE(insideCatalog(apps.openFolder));
    EXPECT_EQ(apps.openFolder, &apps.catalog[3]);
    ASSERT_EQ(apps.visibleEntries.size(), 3u);
    EXPECT_EQ(apps.visibleEntries[2]->name, L"New Member");
    for (const InstalledApp* entry : apps.visibleEntries) EXPECT_TRUE(insideCatalog(entry));

    apps.pageBeforeFolder = 0;
    std::vector<InstalledApp> gone = NumberedApps(30);
    Deliver(gone);
    SendMessageW(apps.Window(), WM_ALLAPPS_CATALOG_READY, 0, 0);
    EXPECT_EQ(apps.openFolder, nullptr);
    EXPECT_EQ(apps.page, 0);
    ASSERT_EQ(apps.visibleEntries.size(), 30u);
    for (const InstalledApp* entry : apps.visibleEntries) EXPECT_TRUE(insideCatalog(entry));
}

// A page seen for the first time leaves the shell's extraction, and the disk
// cache's files, to the icon workers; the tile takes its icon once they have answered.
TEST_F(LauncherWindowTest, AFirstPageVisitLeavesTheExtractionToTheIconWorkers) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<InstalledApp> list = NumberedApps(30);
    list[24].launchId = list[24].targetPath = self;
    Deliver(list);
    Toggle();
    const int px = GridFor(apps.panelWidth, apps.panelHeight, 1.0f).iconPx;
    const std::wstring onDisk = IconLoader::MakeIconKey(list[25].launchId, list[25].targetPath, px, true, 0);
    IconBitmap cached;
    cached.width = cached.height = 2;
    cached.pixels.assign(16, 0xFF);
    IconLoader::WriteCacheFile(onDisk, list[25].targetPath, cached);
    apps.GoToPage(1, 1);
    const std::wstring key = IconLoader::MakeIconKey(self, self, px, true, 0);
    EXPECT_FALSE(loader.HasSurface(key)) << "extracted on the UI thread";
    EXPECT_FALSE(loader.HasSurface(onDisk)) << "read on the UI thread";
    while (loader.PendingCount() > 0) Sleep(10);
    apps.OnIconsReady();  // what does not fit in its share of a frame comes at its next message
    for (MSG m; PeekMessageW(&m, apps.Window(), WM_ALLAPPS_ICONS_READY, WM_ALLAPPS_ICONS_READY, PM_REMOVE);) {
        DispatchMessageW(&m);
    }
    EXPECT_TRUE(loader.HasSurface(key));
    EXPECT_TRUE(loader.HasSurface(onDisk)) << "its target has no icon: only the cache file has it";
    DeleteFileW(IconLoader::CacheFilePath(onDisk, list[25].targetPath).c_str());
    // Names a page turn left for later are drawn by the same messages.
    for (const AllAppsTileSlot& slot : apps.tileSlots) EXPECT_EQ(static_cast<bool>(slot.labelVisual.Brush()), slot.visible);
}
