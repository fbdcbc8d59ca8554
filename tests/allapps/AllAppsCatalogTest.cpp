// The catalog hand-off with an injected source and clock: what the workers
// deliver, when the UI enumerates by itself, and what the prewarm loads.
#include "LauncherWindowFixture.h"

#include <system_error>

#include "allapps/AllAppsGeometry.h"
#include "support/WindowProgram.h"

namespace {

bool WaitFor(const std::atomic<bool>& flag, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0; waited < timeoutMs && !flag.load(); waited += 10) Sleep(10);
    return flag.load();
}

std::vector<std::wstring> NamesOf(const std::vector<InstalledApp>& list) {
    std::vector<std::wstring> names;
    for (const InstalledApp& app : list) names.push_back(app.name);
    return names;
}

}  // namespace

TEST_F(LauncherWindowTest, TheDiskListComesFirstThenTheFreshOne) {
    disk = NumberedApps(3, L"Disk ");
    fresh = NumberedApps(4, L"Fresh ");
    std::vector<std::wstring> pendingAtEnumeration;
    apps.catalogSource.enumerate = [&] {
        ++enumerations;
        std::lock_guard<std::mutex> lock(apps.catalogMutex);
        pendingAtEnumeration = NamesOf(apps.pendingCatalog);
        return fresh;
    };
    apps.Initialize(nullptr, config, 1.0f, 78.0f);
    ASSERT_TRUE(WaitFor(apps.prewarmDone));
    EXPECT_EQ(pendingAtEnumeration, NamesOf(disk));
    EXPECT_EQ(enumerations, 1);
    apps.TryAdoptPendingCatalog();
    EXPECT_EQ(NamesOf(apps.catalog), NamesOf(fresh));

    // An equal list from a later worker changes nothing and rebuilds no tiles.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    ASSERT_TRUE(apps.visualsValid);
    FreshLog log;
    Deliver(fresh);
    SendMessageW(apps.Window(), WM_ALLAPPS_CATALOG_READY, 0, 0);
    EXPECT_TRUE(apps.visualsValid);
    EXPECT_EQ(Occurrences(ReadDebugLog(), "rebuild tiles done"), 0u);
}

TEST_F(LauncherWindowTest, AShortcutWrittenMeanwhileIsListedAtTheNextOpening) {
    testing_support::TempDir programs;
    apps.catalogSource.watchedFolders = [&] { return std::vector<std::wstring>{programs.Path()}; };
    apps.Initialize(nullptr, config, 1.0f, 78.0f);
    ASSERT_TRUE(WaitFor(apps.prewarmDone));
    Toggle();
    Toggle();
    fresh = NumberedApps(4);
    testing_support::WriteFileBytes(programs.File(L"New.lnk"), "L");
    EXPECT_TRUE(testing_support::WaitFor([&] { return apps.catalog.size() == 4; }, 10000));
    Toggle();
    EXPECT_EQ(apps.visibleEntries.size(), 4u);
}

TEST_F(LauncherWindowTest, TheWatchFindsItsFolderMadeLateAndMadeAgainAfterDeletion) {
    testing_support::TempDir menu;
    const std::wstring programs = menu.File(L"Programs");
    apps.catalogSource.watchedFolders = [&] { return std::vector<std::wstring>{programs}; };
    apps.Initialize(nullptr, config, 1.0f, 78.0f);
    ASSERT_TRUE(WaitFor(apps.prewarmDone));
    Toggle();
    Toggle();
    for (int count : {3, 4}) {
        fresh = NumberedApps(count);
        ASSERT_TRUE(CreateDirectoryW(programs.c_str(), nullptr));
        testing_support::WriteFileBytes(programs + L"\\New.lnk", "L");
        ASSERT_TRUE(testing_support::WaitFor([&] { return apps.catalog.size() == static_cast<size_t>(count); }, 10000));
        const int seen = enumerations;
        ASSERT_TRUE(DeleteFileW((programs + L"\\New.lnk").c_str()) && RemoveDirectoryW(programs.c_str()));
        ASSERT_TRUE(testing_support::WaitFor([&] { return enumerations > seen; }, 10000)) << "the deletion was seen";
    }
}

TEST_F(LauncherWindowTest, AMemberAddedARetargetedShortcutAndAnEmptyStartMenuReplaceTheList) {
    apps.Initialize(nullptr, config, 1.0f, 78.0f);
    const std::vector<InstalledApp> shown = {MakeFolder(L"Suite", AppCategory::Other, L'S', NumberedApps(2, L"Suite ")),
                                             NumberedApps(1)[0]};
    Deliver(shown);
    apps.TryAdoptPendingCatalog();
    std::vector<InstalledApp> grown = shown;
    grown[0].children.push_back(NumberedApps(3, L"Suite ")[2]);
    std::vector<InstalledApp> retargeted = grown;
    retargeted[1].targetPath = L"C:\\elsewhere\\app.exe";
    for (const std::vector<InstalledApp>& next : {grown, retargeted, std::vector<InstalledApp>{}}) {
        Deliver(next);
        SendMessageW(apps.Window(), WM_ALLAPPS_CATALOG_READY, 0, 0);
        EXPECT_TRUE(apps.catalog == next) << next.size();
    }
}

TEST_F(LauncherWindowTest, WithNothingDeliveredThe241stPollEnumeratesOnce) {
    fresh = NumberedApps(5);
    apps.catalogPollActive = true;
    for (int i = 0; i < 240; ++i) apps.OnCatalogPollTimer();
    EXPECT_EQ(enumerations, 0);
    EXPECT_FALSE(apps.catalogReady);
    apps.OnCatalogPollTimer();
    EXPECT_EQ(enumerations, 1);
    EXPECT_TRUE(apps.catalogReady);
    EXPECT_FALSE(apps.catalogPollActive);
    EXPECT_EQ(apps.catalog.size(), 5u);
    apps.OnCatalogPollTimer();
    EXPECT_EQ(enumerations, 1);
}

TEST_F(LauncherWindowTest, AfterThePrewarmWithNothingAdoptedToggleEnumeratesOnce) {
    fresh = NumberedApps(5);
    apps.prewarmDone.store(true);
    Toggle();
    EXPECT_TRUE(apps.visible);
    EXPECT_EQ(enumerations, 1);
    EXPECT_EQ(apps.visibleEntries.size(), 5u);
    EXPECT_FALSE(apps.catalogPollActive);
    Toggle();
    Toggle();
    EXPECT_EQ(enumerations, 1);
}

TEST_F(LauncherWindowTest, AFailedWorkerStartLeavesTheFirstOpenToEnumerate) {
    fresh = NumberedApps(5);
    FreshLog log;
    apps.startWorker = [](std::function<void()>) -> platform::JoinableThread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    apps.Initialize(nullptr, config, 1.0f, 78.0f);
    EXPECT_TRUE(apps.prewarmDone.load());
    EXPECT_FALSE(apps.prewarmThread.joinable());
    EXPECT_NE(ReadDebugLog().find("AllAppsWindow::Initialize std::exception"), std::string::npos);
    Toggle();
    EXPECT_EQ(enumerations, 1);
    EXPECT_EQ(apps.visibleEntries.size(), 5u);
}

TEST_F(LauncherWindowTest, HiddenEntriesAreNotAmongPageZerosLoads) {
    // Every entry has an icon file on disk; the hidden second one must not be read.
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
    config.hideTaskbar = false;
    config.useMacIcons = false;
    const int px = PrewarmIconPx(info.rcWork.right - info.rcWork.left, info.rcWork.bottom - info.rcWork.top, 1.0f, 78.0f);
    disk = NumberedApps(30, L"Prewarm ");
    IconBitmap bitmap;
    bitmap.width = bitmap.height = 2;
    bitmap.pixels.assign(16, 0xFF);
    std::vector<std::wstring> keys;
    for (const InstalledApp& app : disk) {
        keys.push_back(IconLoader::MakeIconKey(app.launchId, app.targetPath, px, false, 0));
        IconLoader::WriteCacheFile(keys.back(), app.targetPath, bitmap);
    }
    config.hiddenApps = {disk[1].launchId};
    std::vector<bool> loaded;
    apps.catalogSource.enumerate = [&] {
        std::lock_guard<std::mutex> lock(loader.pixelMutex);
        for (const std::wstring& key : keys) loaded.push_back(loader.pixels.count(key) != 0);
        apps.stopRequested.store(true);  // nothing more: only the disk step's loads count
        return std::vector<InstalledApp>{};
    };
    apps.Initialize(nullptr, config, 1.0f, 78.0f);
    ASSERT_TRUE(WaitFor(apps.prewarmDone));
    ASSERT_EQ(loaded.size(), 30u);
    EXPECT_FALSE(loaded[1]) << "hidden";
    EXPECT_EQ(std::count(loaded.begin(), loaded.begin() + 25, true), 24) << "the first 24 visible entries";
    EXPECT_FALSE(loaded[25]);
}
