// The running dock under the X server's pointer: clicks that launch, minimise,
// restore and cycle, a drag that reorders the pinned list in the file, and the
// context menus with their commands.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "XPointer.h"
#include "config/ConfigFile.h"
#include "config/PathText.h"
#include "dock/DockMenuRows.h"
#include "render/MacMenuLayout.h"

using namespace testing_support;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr float kSlotDip = 56.0f;  // a 48 dip icon and its 8 dip gap

std::wstring WindowsFile(const wchar_t* name) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\" + name;
}

PinnedApp Pin(const std::wstring& name, const std::wstring& path, const std::wstring& args = L"") {
    return PinnedApp{name, path, args, NormalizePathKey(path)};
}

class DockUnderPointer : public ::testing::Test {
protected:
    void SetUp() override {
        scale_ = static_cast<float>(GetDpiForSystem()) / 96.0f;
        ASSERT_TRUE(XMoveTo({5, 5})) << "xdotool is needed to move the X pointer";
    }

    void TearDown() override {
        if (helper_.hProcess) {
            if (WaitForSingleObject(helper_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(helper_.hProcess, 1);
            WaitForSingleObject(helper_.hProcess, 5000);
            CloseHandle(helper_.hThread);
            CloseHandle(helper_.hProcess);
        }
        if (dock_.IsRunning()) dock_.CloseAndWait();
    }

    bool Start(std::vector<PinnedApp> pinned) {
        DockConfig config = TestDockConfig();
        config.pinned = std::move(pinned);
        return StartAndWaitForWindowList(dock_, config, kStartTimeoutMs);
    }

    // The input window once the pointer is away and the dock has come to rest.
    RECT RestingInput() { return RestingInputRect(dock_); }

    int Px(float dip) const { return static_cast<int>(dip * scale_ + 0.5f); }

    // Centre of the icon at `index` (launchpad 0, then the applications) at rest.
    // The input window reaches 10 dip left of the glass and 6 dip below it.
    POINT IconPoint(const RECT& input, int index) const {
        return POINT{input.left + Px(10 + 12 + index * kSlotDip + 24), input.bottom - Px(6 + 8 + 24)};
    }

    // Glass left of the launchpad, beside no icon.
    POINT BareGlass(const RECT& input) const { return POINT{input.left + Px(10 + 4), input.bottom - Px(6 + 8 + 24)}; }

    HWND VisibleMenu() const {
        HWND menu = dock_.FindWindowOfClass(L"VantreelMacMenuWindow");
        return menu && IsWindowVisible(menu) ? menu : nullptr;
    }

    // A point inside a row of the menu window now showing those rows.
    POINT MenuRow(HWND menu, const std::vector<MacMenuItem>& rows, int index) const {
        RECT r = {};
        GetWindowRect(menu, &r);
        MenuRowLayout layout = StackMenuRows(rows);
        float y = kMenuMarginDip + layout.tops[index] + layout.heights[index] / 2;
        return POINT{r.left + Px(kMenuMarginDip + 60), r.top + Px(y)};
    }

    bool StartHelper(const std::wstring& arguments = L"") {
        std::wstring exe = BinDir() + L"\\tracked_window_gui.exe";
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &helper_) != FALSE;
    }

    static HWND HelperWindow(const wchar_t* title = L"Tracked window") {
        return FindWindowW(L"VantreelTrackedWindow", title);
    }

    float scale_ = 1.0f;
    DockProcess dock_;
    PROCESS_INFORMATION helper_ = {};
};

}  // namespace

TEST_F(DockUnderPointer, AClickLaunchesThePinnedProgramWithItsArguments) {
    TempDir records;
    std::wstring record = records.File(L"launch.txt");
    SetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", record.c_str());
    bool started = Start({Pin(L"Recorder", BinDir() + L"\\record_launch.exe", L"--alpha \"two words\"")});
    SetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", nullptr);
    ASSERT_TRUE(started) << "the dock did not start";

    std::string saved = dock_.ConfigFileText();
    RECT input = RestingInput();
    ASSERT_TRUE(XClickAt(IconPoint(input, 1)));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); }, 10000)) << "the pinned program did not start";
    auto bytes = ReadFileBytes(record);
    std::wstring text(bytes.size() / 2, L'\0');
    memcpy(text.data(), bytes.data(), text.size() * 2);
    EXPECT_EQ(text.substr(0, text.find(L"cwd:")), L"args:\n--alpha\ntwo words\n");
    EXPECT_EQ(dock_.ConfigFileText(), saved) << "a click saves nothing";
}

TEST_F(DockUnderPointer, ClicksMinimiseAndRestoreTheOnlyWindowAndTheMenuClosesIt) {
    ASSERT_TRUE(Start({}));
    RECT before = RestingInput();
    ASSERT_TRUE(StartHelper());
    ASSERT_TRUE(WaitUntil(
        [&] {
            RECT r = {};
            GetWindowRect(dock_.InputWindow(), &r);
            return std::abs((r.right - r.left) - (before.right - before.left) - Px(kSlotDip)) <= 4;
        },
        15000))
        << "the helper did not join the dock";
    HWND window = HelperWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000));

    RECT input = RestingInput();
    POINT icon = IconPoint(input, 1);
    ASSERT_TRUE(XClickAt(icon));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }, 5000)) << "the window in front is minimised";
    ASSERT_TRUE(XClickAt(icon));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window) && GetForegroundWindow() == window; }, 5000))
        << "the next click brings it back to the front";

    ASSERT_TRUE(XClickAt(icon, 3));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = VisibleMenu()) != nullptr; }, 5000)) << "no application menu";
    DockItem running;
    running.running = true;
    running.windows = {window};
    std::vector<MacMenuItem> rows = AppMenuRows(running);
    ASSERT_EQ(rows.back().id, kDockMenuClose);
    ASSERT_TRUE(XClickOn(menu, MenuRow(menu, rows, static_cast<int>(rows.size()) - 1)));
    EXPECT_EQ(WaitForSingleObject(helper_.hProcess, kLeastWaitMs), WAIT_OBJECT_0) << "关闭 closes the application";
    XMoveTo({5, 5});
    EXPECT_TRUE(WaitUntil(
        [&] {
            RECT r = {};
            GetWindowRect(dock_.InputWindow(), &r);
            // The input window follows the glass only by 2 px or more per edge.
            return std::abs((r.right - r.left) - (before.right - before.left)) <= 4;
        },
        2000))
        << "the closed application leaves the dock";

    EXPECT_EQ(dock_.CloseAndWait(), 0u);
}

TEST_F(DockUnderPointer, ClicksAlternateBetweenTwoWindowsOfOneApplication) {
    ASSERT_TRUE(Start({}));
    const RECT bare = RestingInput();
    ASSERT_TRUE(StartHelper(L"--two-windows"));
    HWND first = nullptr, second = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (first = HelperWindow()) && (second = HelperWindow(L"Tracked window 2")); },
                          10000));
    RECT input = {};
    const auto joined = [&] {
        input = RestingInput();
        return input.right - input.left > bare.right - bare.left;
    };
    ASSERT_TRUE(WaitUntil(joined, 20000)) << "the application never joined the dock";
    POINT icon = IconPoint(input, 1);
    HWND front = GetForegroundWindow();
    ASSERT_TRUE(front == first || front == second);
    for (int click = 0; click < 3; ++click) {
        HWND other = front == first ? second : first;
        ASSERT_TRUE(XClickAt(icon));
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 5000)) << "click " << click;
        front = GetForegroundWindow();
    }
    EXPECT_FALSE(IsIconic(first) || IsIconic(second)) << "with several windows a click never minimises";
}

TEST_F(DockUnderPointer, AMouseDragReordersThePinnedListInTheFile) {
    ASSERT_TRUE(Start({Pin(L"Notepad", WindowsFile(L"notepad.exe")), Pin(L"Regedit", WindowsFile(L"regedit.exe")),
                       Pin(L"Help", WindowsFile(L"hh.exe"))}));
    RECT input = RestingInput();
    POINT from = IconPoint(input, 1);
    POINT to = IconPoint(input, 3);
    to.x += Px(10);
    to.y -= Px(12);
    // A hand's pace, so the drag's steps reach the dock as motions of their
    // own; the dock takes them in order whatever the pace.
    ASSERT_TRUE(XMoveTo(from));
    Sleep(100);
    ASSERT_TRUE(XButton(1, true));
    for (int i = 1; i <= 12; ++i) {
        Sleep(40);
        XMoveTo(POINT{from.x + (to.x - from.x) * i / 12, from.y + (to.y - from.y) * i / 12});
    }
    Sleep(100);
    ASSERT_TRUE(XButton(1, false));
    auto names = [&] {
        std::vector<std::wstring> list;
        for (const auto& pin : LoadConfig(dock_.Folder().File(L"vantreel.json")).pinned) list.push_back(pin.name);
        return list;
    };
    EXPECT_TRUE(WaitUntil([&] { return names() == std::vector<std::wstring>{L"Regedit", L"Help", L"Notepad"}; },
                          3000))
        << dock_.ConfigFileText();
    EXPECT_EQ(dock_.CloseAndWait(), 0u);
}

TEST_F(DockUnderPointer, TheLaunchpadHasNoMenuAndTheGlassMenuQuits) {
    ASSERT_TRUE(Start({}));
    RECT input = RestingInput();
    ASSERT_TRUE(XClickAt(IconPoint(input, 0), 3));
    // The click came with the pointer, so it was taken before the dock magnified to rest under it.
    ASSERT_TRUE(WaitUntil([&] {
        const std::string log = dock_.DebugLog();
        return log.find("the pointer over it", log.rfind("Dock at rest: ")) != std::string::npos;
    }, kLeastWaitMs));
    EXPECT_EQ(VisibleMenu(), nullptr) << "no menu on the launchpad";

    input = RestingInput();
    ASSERT_TRUE(XClickAt(BareGlass(input), 3));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = VisibleMenu()) != nullptr; }, 5000)) << "no dock menu on the glass";
    std::vector<MacMenuItem> rows = DockMenuRows(false);
    ASSERT_EQ(rows.back().id, kDockMenuQuit);
    ASSERT_TRUE(XClickOn(menu, MenuRow(menu, rows, static_cast<int>(rows.size()) - 1)));
    EXPECT_EQ(dock_.WaitForExit(kLeastWaitMs), 0u) << "退出 Vantreel ends the program";
    EXPECT_NE(dock_.DebugLog().find("exit: dock context menu quit command"), std::string::npos);
}
