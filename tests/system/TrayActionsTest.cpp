// Clicking and quitting tray applications, on real helper processes and folders.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/Log.h"
#include "config/PathText.h"
#include "support/TestSupport.h"
#include "system/TrayTestSupport.h"
#include "system/tray/TrayActions.h"
#include "system/tray/TrayClose.h"
#include "system/tray/TrayProcessTree.h"

using namespace testing_support;

namespace {

constexpr unsigned kCallback = WM_APP + 1;

class TrayActions : public ::testing::Test {
protected:
    TrayHelperProcess& Start(const std::wstring& exe, const std::wstring& args) {
        helpers_.push_back(std::make_unique<TrayHelperProcess>());
        std::wstring out = dir_.File(L"h" + std::to_wstring(helpers_.size()) + L".out");
        EXPECT_TRUE(helpers_.back()->Start(exe, args + L" --out \"" + out + L"\"", out));
        return *helpers_.back();
    }
    TrayIconInfo Icon(const std::wstring& exe, DWORD pid = 0) {
        TrayIconInfo icon;
        icon.exePath = exe;
        icon.key = NormalizePathKey(exe);
        icon.displayName = TrayExeName(exe);
        icon.pid = pid;
        return icon;
    }
    static std::wstring TrayExeName(const std::wstring& exe) {
        std::wstring name = exe.substr(exe.find_last_of(L'\\') + 1);
        return name.substr(0, name.find_last_of(L'.'));
    }
    std::string LogAfter(const std::function<void()>& action) {
        std::wstring log = ExecutableDirectory() + L"\\vantreel.log";
        DeleteFileW(log.c_str());
        InitializeLog(true);
        action();
        InitializeLog(false);
        std::string text = ReadTextFile(log);
        DeleteFileW(log.c_str());
        return text;
    }

    TempDir dir_;
    std::vector<std::unique_ptr<TrayHelperProcess>> helpers_;
};

}  // namespace

TEST_F(TrayActions, ClickIsForwardedAsButtonUpThenDoubleClick) {
    std::wstring log = dir_.File(L"callbacks.txt");
    TrayHelperProcess& owner = Start(CopyTrayOwner(dir_.Path(), L"Clicked.exe"), L"--windows m --log \"" + log + L"\"");
    TrayIconInfo icon = Icon(dir_.File(L"Clicked.exe"), owner.Pid());
    icon.ownerWindow = owner.Window(L'm');
    icon.uID = 0;
    icon.callbackMessage = kCallback;
    icon.Activate();
    std::string expected = "0 " + std::to_string(WM_LBUTTONUP) + "\n0 " + std::to_string(WM_LBUTTONDBLCLK) + "\n";
    EXPECT_TRUE(PollUntil([&] { return ReadTextFile(log) == expected; }, 3000)) << ReadTextFile(log);
    Sleep(100);
    EXPECT_EQ(ReadTextFile(log), expected) << "nothing else is sent";
    EXPECT_FALSE(FileExists(dir_.File(L"Clicked.exe.opened"))) << "nothing is opened";
}

TEST_F(TrayActions, MainWindowScores) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"TrayScoreWindow";
    RegisterClassW(&wc);
    auto make = [&](const wchar_t* title, int w, int h) {
        return CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 10, 10, w, h, nullptr, nullptr,
                               instance, nullptr);
    };
    auto score = [](HWND w, bool visible) {
        MainWindowSearch search;
        search.pids = {GetCurrentProcessId()};
        ScoreMainWindowProc(w, search);
        return visible ? search.bestVisibleScore : search.bestHiddenScore;
    };
    HWND big = make(L"Main", 800, 600);
    ShowWindow(big, SW_SHOWNORMAL);
    EXPECT_EQ(score(big, true), 359);
    ShowWindow(big, SW_MINIMIZE);
    EXPECT_EQ(score(big, true), 330);
    HWND hidden = make(L"Hidden", 400, 300);
    EXPECT_EQ(score(hidden, false), 327);
    HWND small = make(L"Small", 150, 100);
    ShowWindow(small, SW_SHOWNOACTIVATE);
    EXPECT_EQ(score(small, true), -1);
    EXPECT_EQ(score(small, false), -1);
    MainWindowSearch other;  // a window of a process outside the set
    other.pids = {GetCurrentProcessId() + 1};
    ScoreMainWindowProc(big, other);
    EXPECT_EQ(other.bestVisible, nullptr);
    for (HWND w : {big, hidden, small}) DestroyWindow(w);
}

TEST_F(TrayActions, ActivateBringsTheVisibleWindowOrOpensTheExecutable) {
    TrayHelperProcess& both = Start(CopyTrayOwner(dir_.Path(), L"Both.exe"), L"--windows vh");
    HWND visible = both.Window(L'v');
    TrayIconInfo icon = Icon(dir_.File(L"Both.exe"));
    icon.Activate();
    EXPECT_TRUE(PollUntil([&] { return GetForegroundWindow() == visible; }, 3000));
    EXPECT_FALSE(FileExists(dir_.File(L"Both.exe.opened")));

    TrayHelperProcess& hiddenOnly = Start(CopyTrayOwner(dir_.Path(), L"Hidden.exe"), L"--windows h");
    HWND hidden = hiddenOnly.Window(L'h');
    Icon(dir_.File(L"Hidden.exe")).Activate();
    EXPECT_TRUE(PollUntil([&] { return FileExists(dir_.File(L"Hidden.exe.opened")); }, 5000))
        << "the executable is opened first";
    EXPECT_FALSE(IsWindowVisible(hidden)) << "and the hidden window stays hidden";
}

TEST_F(TrayActions, HelperExecutablesResolveToTheApplication) {
    std::wstring foo = dir_.Path() + L"\\Foo";
    CreateDirectoryW(foo.c_str(), nullptr);
    WriteFileBytes(foo + L"\\Foo.exe", "main");
    WriteFileBytes(foo + L"\\FooHelper.exe", "h");
    WriteFileBytes(foo + L"\\Foo_Tray.exe", "t");
    EXPECT_EQ(ResolveTrayExePath(foo + L"\\FooHelper.exe", L""), foo + L"\\Foo.exe");
    EXPECT_EQ(ResolveTrayExePath(foo + L"\\Foo_Tray.exe", L"Other"), foo + L"\\Foo.exe");
    EXPECT_EQ(ResolveTrayExePath(L"Z:\\nowhere\\Plain.exe", L""), L"Z:\\nowhere\\Plain.exe");

    std::wstring only = dir_.Path() + L"\\Only";
    CreateDirectoryW(only.c_str(), nullptr);
    for (auto name : {L"unins000.exe", L"FooUpdate.exe", L"FooHelper.exe"}) WriteFileBytes(only + L"\\" + name, "bytes");
    EXPECT_EQ(ResolveTrayExePath(only + L"\\FooHelper.exe", L""), only + L"\\FooHelper.exe");

    std::wstring scan = dir_.Path() + L"\\Scan";
    CreateDirectoryW(scan.c_str(), nullptr);
    WriteFileBytes(scan + L"\\BarAgent.exe", "agent agent agent");
    WriteFileBytes(scan + L"\\barx.exe", "s");
    WriteFileBytes(scan + L"\\BarMain.exe", "bigger");
    WriteFileBytes(scan + L"\\BarMain.txt", "not an executable at all");
    WriteFileBytes(scan + L"\\Editor.exe", "the largest, somebody else's");
    EXPECT_EQ(ResolveTrayExePath(scan + L"\\BarAgent.exe", L""), scan + L"\\BarMain.exe");
    EXPECT_EQ(ResolveTrayExePath(scan + L"\\SyncTray.exe", L"Sync"), scan + L"\\SyncTray.exe")
        << "no executable of the folder shares a name with it";

    // A tooltip is no path, and the system's folders resolve nothing.
    std::wstring victim = dir_.Path() + L"\\B";
    CreateDirectoryW(victim.c_str(), nullptr);
    WriteFileBytes(victim + L"\\Victim.exe", "v");
    EXPECT_EQ(ResolveTrayExePath(foo + L"\\FooTray.exe", L"..\\B\\Victim"), foo + L"\\Foo.exe");
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring services = std::wstring(system) + L"\\services.exe";
    EXPECT_EQ(ResolveTrayExePath(services, L"notepad"), services);

    std::wstring app = dir_.Path() + L"\\App";
    CreateDirectoryW(app.c_str(), nullptr);
    CreateDirectoryW((app + L"\\bin").c_str(), nullptr);
    WriteFileBytes(app + L"\\Foo.exe", "main");
    WriteFileBytes(app + L"\\bin\\FooHelper.exe", "h");
    EXPECT_EQ(ResolveTrayExePath(app + L"\\bin\\FooHelper.exe", L""), app + L"\\Foo.exe");

    EXPECT_TRUE(IsInstallerLikeName(L""));
    EXPECT_FALSE(IsHelperExeName(L""));
    EXPECT_TRUE(IsInstallerLikeName(L"MySetup"));
    EXPECT_TRUE(IsHelperExeName(L"BackgroundTaskHost"));
    EXPECT_FALSE(ShellOpenPath(L""));
}

TEST_F(TrayActions, PoliteApplicationsCloseWithTheirChildren) {
    std::wstring exe = CopyTrayOwner(dir_.Path(), L"Polite.exe");
    TrayHelperProcess& app = Start(exe, L"--windows v --child");
    std::wstring childOut = dir_.File(L"h1.out.child");
    ASSERT_TRUE(PollUntil([&] { return FileExists(childOut); }, 10000));
    EXPECT_TRUE(Icon(exe, app.Pid()).OwnerRunning());
    std::string log = LogAfter([&] { TrayClose(Icon(exe, app.Pid())); });
    EXPECT_NE(log.find("TrayClose: " + ToUtf8(NormalizePathKey(exe)) + " exited after WM_CLOSE (2 windows posted)"),
              std::string::npos)
        << log;
    EXPECT_TRUE(app.WaitExit(2000));
    EXPECT_FALSE(Icon(exe, app.Pid()).OwnerRunning()) << "though its id still names the ended process";
}

TEST_F(TrayActions, StubbornApplicationsAreEndedChildrenFirst) {
    std::wstring exe = CopyTrayOwner(dir_.Path(), L"Stubborn.exe");
    TrayHelperProcess& app = Start(exe, L"--windows v --stubborn --child");
    ASSERT_TRUE(PollUntil([&] { return FileExists(dir_.File(L"h1.out.child")); }, 10000));
    std::string log = LogAfter([&] { TrayClose(Icon(exe, app.Pid())); });
    EXPECT_NE(log.find("forced 2 of 2 process(es) (windows posted=2, still running=0)"), std::string::npos) << log;
    EXPECT_TRUE(app.WaitExit(2000));

    // Without windows nothing is posted and nobody waits for a close.
    std::wstring quiet = CopyTrayOwner(dir_.Path(), L"Quiet.exe");
    TrayHelperProcess& silent = Start(quiet, L"--windows x");
    log = LogAfter([&] { TrayClose(Icon(quiet)); });
    EXPECT_NE(log.find("forced 1 of 1 process(es) (windows posted=0, still running=0)"), std::string::npos) << log;
    EXPECT_EQ(log.find("exited after WM_CLOSE"), std::string::npos);
    EXPECT_TRUE(silent.WaitExit(2000));
}

TEST_F(TrayActions, ShellOwnAndUnrelatedProcessesAreNeverTouched) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    HWND shell = FindWindowW(L"Shell_TrayWnd", nullptr);
    DWORD explorer = 0;
    GetWindowThreadProcessId(shell, &explorer);
    ASSERT_NE(explorer, 0u);
    std::string log = LogAfter([&] {
        TrayClose(Icon(self, GetCurrentProcessId()));
        TrayClose(Icon(std::wstring(windows) + L"\\explorer.exe", explorer));
    });
    EXPECT_TRUE(IsProcessRunning(explorer));
    EXPECT_EQ(log.find("TrayClose"), std::string::npos) << log;

    // An icon whose recorded pid now runs another executable.
    TrayHelperProcess& other = Start(CopyTrayOwner(dir_.Path(), L"Other.exe"), L"--windows v");
    TrayClose(Icon(CopyTrayOwner(dir_.Path(), L"Gone.exe"), other.Pid()));
    EXPECT_TRUE(other.Running());

    // A launcher from another folder that started the application survives it.
    std::wstring appDir = dir_.Path() + L"\\app", toolDir = dir_.Path() + L"\\tool";
    CreateDirectoryW(appDir.c_str(), nullptr);
    CreateDirectoryW(toolDir.c_str(), nullptr);
    std::wstring app = CopyTrayOwner(appDir, L"App.exe");
    // The out file the fixture appends goes to the spawned application.
    TrayHelperProcess& launcher =
        Start(CopyTrayOwner(toolDir, L"Terminal.exe"), L"--windows v --spawn \"" + app + L"\" --windows v");
    ASSERT_FALSE(FindProcessesByExe({app}, 0).empty());
    TrayClose(Icon(app));
    EXPECT_TRUE(launcher.Running());
    EXPECT_TRUE(PollUntil([&] { return FindProcessesByExe({app}, 0).empty(); }, 3000));
}

TEST_F(TrayActions, AnAgentsMainProgramIsClosedWithItOnlyWhenTheyAreRelated) {
    std::wstring agent = CopyTrayOwner(dir_.Path(), L"SyncTray.exe");
    TrayHelperProcess& editor = Start(CopyTrayOwner(dir_.Path(), L"Editor.exe"), L"--windows v");
    Start(agent, L"--windows v");
    TrayIconInfo icon = Icon(agent);
    icon.displayName = L"Editor";  // its tooltip names the other program
    TrayClose(icon);
    EXPECT_TRUE(FindProcessesByExe({agent}, 0).empty());
    EXPECT_TRUE(editor.Running()) << "the editor was not the agent's";
}

TEST(TrayProcessTree, ParentLinksNeedAnOlderParentAndLaunchersTheSameFolder) {
    std::vector<ProcessTreeEntry> snapshot = {
        {100, 50, L"C:\\Apps\\Foo\\Foo.exe", 1000},
        {101, 100, L"C:\\Apps\\Foo\\Child.exe", 1100},
        {102, 101, L"C:\\Apps\\Foo\\Grandchild.exe", 1200},
        {103, 100, L"C:\\Other\\Reused.exe", 900},  // its recorded parent id was reused by Foo
        {50, 40, L"C:\\Apps\\Foo\\bin\\Launcher.exe", 500},
        {40, 30, L"C:\\Tools\\Terminal.exe", 400},
        {60, 100, L"C:\\Apps\\Foo\\Late.exe", 0},  // creation time unreadable
    };
    std::unordered_set<uint32_t> set = ExpandProcessTree({100}, snapshot);
    EXPECT_EQ(set, (std::unordered_set<uint32_t>{100, 101, 102, 50}));

    // A main program joins its agent as its parent or child, not for its name alone.
    EXPECT_EQ(TrayAppProcesses(snapshot, L"C:\\Apps\\Foo\\Child.exe", L"c:/apps/foo/foo.exe"),
              (std::unordered_set<uint32_t>{101, 100}));
    EXPECT_EQ(TrayAppProcesses(snapshot, L"C:\\Other\\Reused.exe", L"C:\\Apps\\Foo\\Foo.exe"),
              (std::unordered_set<uint32_t>{103}));

    std::vector<uint32_t> order = {50, 100, 102, 101};
    std::sort(order.begin(), order.end(), CompareProcessDepth(snapshot));
    EXPECT_EQ(order, (std::vector<uint32_t>{102, 101, 100, 50}));
}

TEST(TrayCloseAsync, AFailedThreadStartClosesInline) {
    TempDir dir;
    TrayHelperProcess app;
    std::wstring exe = CopyTrayOwner(dir.Path(), L"Inline.exe");
    std::wstring out = dir.File(L"inline.out");
    ASSERT_TRUE(app.Start(exe, L"--windows v --out \"" + out + L"\"", out));
    TrayIconInfo icon;
    icon.exePath = exe;
    icon.key = NormalizePathKey(exe);
    bool asked = false;
    TrayCloseAsync(icon, [&](std::function<void()>) {
        asked = true;
        return false;
    });
    EXPECT_TRUE(asked);
    EXPECT_TRUE(app.WaitExit(0)) << "closed before the call returned";
}
