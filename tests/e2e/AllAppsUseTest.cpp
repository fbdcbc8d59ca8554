// The launcher in use in the running program, with keys from SendInput and
// the X pointer from xdotool: a typed search and Enter start the probe, a
// tile click too; the wheel and Left turn pages on screen; the tile menu
// hides an app into the configuration and the hidden view restores it; the
// power menu's lock fails visibly under Wine and a restart is declined with
// Enter; the task manager footer and another window's activation close it.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "DockProcess.h"
#include "LauncherProcess.h"
#include "XPointer.h"
#include "allapps/AllAppsGeometry.h"
#include "allapps/AllAppsMenuRows.h"
#include "apps/CatalogCache.h"
#include "render/MacMenuLayout.h"

using namespace testing_support;
using namespace launcher_e2e;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

void Key(WORD vk) {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = vk;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    Sleep(40);  // a typist's pace; the program takes the keys in order whatever the pace
}

// Lower-case letters as their keys.
void TypeLetters(const std::wstring& letters) {
    for (wchar_t letter : letters) Key(static_cast<WORD>(std::towupper(letter)));
}

// A running launcher: the program started on a Start menu and its panel
// found once the hidden prebuild is done.
class RunningLauncherUse : public ::testing::Test {
protected:
    bool StartLauncher(const TestStartMenu& menu) {
        if (!menu.Ready()) return false;
        DeleteFileW(CatalogCachePath().c_str());
        config_ = TestDockConfig();
        config_.theme = 1;
        if (!dock_.Start(config_)) return false;
        if (!WaitUntil([&] { return dock_.DebugLog().find("AllApps prewarm: visuals prebuilt") != std::string::npos; },
                       kStartTimeoutMs)) {
            return false;
        }
        panel_ = dock_.FindWindowOfClass(L"VantreelAllAppsWindow");
        const float reserve = config_.iconSize + static_cast<float>(config_.bottomMargin) + 22.0f;
        size_ = PanelSizeFor(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 1.0f, reserve);
        return panel_ != nullptr;
    }
    // Alt+Space, then a wait until the program says it opened the panel; the
    // X pointer is parked in the corner so no hover covers what the test looks at.
    bool Open() {
        XMoveTo({5, 5});
        // The program takes a press within 250 ms of its close, by its own clock,
        // as the click that closed: that close came before the hide seen here.
        Sleep(300);
        const size_t opens = Count("AllApps perf: opened in");
        PressAltSpace();
        if (!WaitUntil([&] { return Count("AllApps perf: opened in") > opens && Shown(panel_); }, kLeastWaitMs)) {
            return false;
        }
        GetWindowRect(panel_, &rect_);
        return true;
    }
    size_t Count(const std::string& line) const {
        const std::string log = dock_.DebugLog();
        size_t count = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
        return count;
    }
    // A content point (DIP, scale 1) on the screen.
    POINT At(float x, float y) const {
        return {rect_.left + static_cast<LONG>(x + kAllAppsInsetDip), rect_.top + static_cast<LONG>(y + kAllAppsInsetDip)};
    }
    bool Hidden() { return WaitUntil([&] { return !Shown(panel_); }, 5000); }
    // Clicks (a right click for the tile menu) and waits until the menu holds
    // the keyboard, with the X pointer parked away from its rows.
    bool OpenMenuWith(POINT point, int button) {
        if (!XClickOn(panel_, point, button)) return false;
        HWND menu = nullptr;
        if (!WaitUntil([&] { return Shown(menu = dock_.FindWindowOfClass(L"VantreelMacMenuWindow")); }, 5000)) {
            return false;
        }
        XMoveTo({5, 5});
        return WaitUntil([&] { return GetForegroundWindow() == menu && HasKeyboardFocus(menu); }, 3000);
    }
    // The power menu opens with a row under the pointer, which the menu may
    // take before or after a key: its rows are clicked.
    bool ChoosePower(int id) {
        HWND menu = nullptr;
        if (!OpenMenuWith(At(size_.width / 2.0f, size_.height - 26.0f), 1) ||
            !(menu = dock_.FindWindowOfClass(L"VantreelMacMenuWindow"))) {
            return false;
        }
        const std::vector<MacMenuItem> rows = PowerMenuRows();
        const MenuRowLayout layout = StackMenuRows(rows);
        RECT r = {};
        GetWindowRect(menu, &r);
        for (size_t i = 0; i < rows.size(); ++i) {
            const LONG y = r.top + static_cast<LONG>(kMenuMarginDip + layout.tops[i] + layout.heights[i] / 2);
            if (rows[i].id == id) return XClickOn(menu, {r.left + static_cast<LONG>(kMenuMarginDip + 60), y});
        }
        return false;
    }
    // The brightness of page dot i of two, from the screen.
    int DotBrightness(int i) const {
        const ScreenShot shot = Capture(rect_);
        const float left = (size_.width - 260.0f) * 0.5f + kAllAppsInsetDip;
        return Brightness(shot.At(shot.left + static_cast<int>(left + 123 + 14 * i),
                                  shot.top + static_cast<int>(kAllAppsInsetDip + size_.height - 106 + 9)));
    }
    std::string LowerConfig() const {
        std::string text = dock_.ConfigFileText();
        std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        return text;
    }
    void TearDown() override {
        if (dock_.IsRunning()) {
            EXPECT_EQ(dock_.CloseAndWait(), 0u);
        }
        EXPECT_EQ(dock_.DebugLog().find("exception"), std::string::npos);
    }

    DockConfig config_;
    DockProcess dock_;
    HWND panel_ = nullptr;
    PanelSize size_{};
    RECT rect_{};
};

// The texts of a message box's static controls, joined.
std::wstring BoxText(HWND box) {
    std::wstring text;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM param) {
            wchar_t name[32] = {}, buffer[512] = {};
            GetClassNameW(child, name, 32);
            if (lstrcmpiW(name, L"Static") == 0 && GetWindowTextW(child, buffer, 512) > 0) {
                *reinterpret_cast<std::wstring*>(param) += buffer;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    return text;
}

HWND WaitForBox(const wchar_t* caption) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindWindowW(L"#32770", caption)) != nullptr && IsWindowVisible(box); }, 5000);
    return box;
}

DWORD ProcessIdOf(const wchar_t* exe) {
    DWORD id = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, exe) == 0) id = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return id;
}

}  // namespace

TEST_F(RunningLauncherUse, TypingEnterAndATileClickStartTheProbeThenTheFooterAndActivationClose) {
    TestStartMenu menu(3, false, true);
    ASSERT_TRUE(StartLauncher(menu)) << dock_.DebugLog();
    ASSERT_TRUE(Open());
    TypeLetters(L"vtprobe");
    Key(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(menu.ProbeFile()); }, 10000)) << "Enter started the probe";
    EXPECT_TRUE(Hidden());
    // Through its shortcut: with the shortcut's arguments, in its working folder.
    EXPECT_TRUE(WaitUntil([&] { return menu.ProbeText().find(L"\n" + menu.ProbeFolder()) != std::string::npos; }, 5000));
    EXPECT_NE(menu.ProbeText().find(L" --open \"my notes.txt\""), std::wstring::npos) << ToUtf8(menu.ProbeText());

    DeleteFileW(menu.ProbeFile().c_str());
    ASSERT_TRUE(Open());
    TypeLetters(L"vtprobe");  // taken before the click that follows them
    ASSERT_TRUE(XClickOn(panel_, {rect_.left + 104, rect_.top + 147}));  // slot 0's icon
    EXPECT_TRUE(WaitUntil([&] { return FileExists(menu.ProbeFile()); }, 10000)) << "the click started the probe";
    EXPECT_TRUE(Hidden());

    ASSERT_EQ(ProcessIdOf(L"taskmgr.exe"), 0u);
    ASSERT_TRUE(Open());
    ASSERT_TRUE(XClickOn(panel_, At(size_.width - 90.0f, size_.height - 26.0f)));
    EXPECT_TRUE(Hidden());
    DWORD taskmgr = 0;
    EXPECT_TRUE(WaitUntil([&] { return (taskmgr = ProcessIdOf(L"taskmgr.exe")) != 0; }, 10000));
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, taskmgr)) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }

    ASSERT_TRUE(Open());
    // The panel takes a deactivation within 250 ms of showing, by its own clock,
    // for one its opening caused: the showing came before the open seen here.
    Sleep(300);
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 10, 10, 80, 80, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(Hidden()) << "another window's activation closes it";
    DestroyWindow(other);
}

TEST_F(RunningLauncherUse, AFolderMemberAddedWhileRunningIsFoundAndStarted) {
    TestStartMenu menu(0, true);
    ASSERT_TRUE(StartLauncher(menu)) << dock_.DebugLog();
    const std::wstring ran = menu.AddSuiteMember(L"VtNewcomer");
    ASSERT_FALSE(ran.empty());
    ASSERT_TRUE(WaitUntil([&] { return dock_.DebugLog().find("Start menu changed") != std::string::npos; }, kStartTimeoutMs));
    ASSERT_TRUE(Open());
    TypeLetters(L"vtnewcomer");
    Key(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(ran); }, 10000)) << "the new member was found and started";
}

TEST_F(RunningLauncherUse, WheelAndLeftTurnPagesAndTheTileMenuHidesIntoTheConfiguration) {
    TestStartMenu menu(30, false);
    ASSERT_TRUE(StartLauncher(menu)) << dock_.DebugLog();
    ASSERT_TRUE(Open());
    // The page dots on the screen say which page the program shows.
    auto current = [&](int dot) { return DotBrightness(dot) > DotBrightness(1 - dot) + 60; };
    ASSERT_TRUE(WaitUntil([&] { return current(0); }, kLeastWaitMs));
    ASSERT_TRUE(XClickOn(panel_, At(size_.width / 2.0f, 200.0f), 5));
    EXPECT_TRUE(WaitUntil([&] { return current(1); }, kLeastWaitMs)) << "one notch turned to page 2";
    Key(VK_LEFT);
    EXPECT_TRUE(WaitUntil([&] { return current(0); }, kLeastWaitMs)) << "Left turned back";

    // Slot 0 is "VtApp 01" (its key is its target, vt01.exe); the menu ends
    // with "隐藏", clicked, as a key could meet a row the menu took under the pointer.
    const PointF cell = SlotCellOrigin(GridFor(size_.width, size_.height, 1.0f), 0);
    ASSERT_TRUE(OpenMenuWith(At(cell.x + 40.0f, cell.y + 30.0f), 3));
    const HWND tileMenu = dock_.FindWindowOfClass(L"VantreelMacMenuWindow");
    RECT r = {};
    GetWindowRect(tileMenu, &r);
    ASSERT_TRUE(XClickOn(tileMenu, {r.left + static_cast<LONG>(kMenuMarginDip + 60),
                                r.bottom - static_cast<LONG>(kMenuMarginDip + kMenuPaddingDip + kMenuRowHeightDip / 2)}));
    EXPECT_TRUE(WaitUntil([&] { return LowerConfig().find("vt01.exe") != std::string::npos; }, 5000))
        << dock_.ConfigFileText();

    const TabLayout tabs = TabsFor(size_.width);
    ASSERT_TRUE(XClickOn(panel_, At(TabLeft(tabs, 7) + tabs.width / 2.0f, 76.0f)));  // "已隐藏"
    ScreenShot shot;
    const AllAppsGrid layout = GridFor(size_.width, size_.height, 1.0f);
    auto icon = [&](int slot) {
        const PointF origin = SlotCellOrigin(layout, slot);
        const float left = kAllAppsInsetDip + origin.x + (layout.cellWidth - layout.iconSize) / 2;
        const float top = kAllAppsInsetDip + origin.y + 6;
        return ColoursIn(shot, left, top, left + layout.iconSize, top + layout.iconSize);
    };
    // The hidden view on the screen, taken after the menu's command: the panel stayed.
    WaitUntil([&] { return shot = Capture(rect_), icon(0) >= 30u && icon(1) < 10u; }, kLeastWaitMs);
    EXPECT_GE(icon(0), 30u) << "the hidden app is listed";
    EXPECT_LT(icon(1), 10u) << "and only it";
    ASSERT_TRUE(Shown(panel_) && Count("AllApps: hidden") == 0) << "the panel stays after hiding a tile";
    ASSERT_TRUE(XClickOn(panel_, At(size_.width / 2.0f + 87.0f, size_.height - 26.0f)));  // "全部恢复"
    EXPECT_TRUE(WaitUntil([&] { return LowerConfig().find("vt01.exe") == std::string::npos; }, 5000))
        << dock_.ConfigFileText();
}

TEST_F(RunningLauncherUse, LockFailsWithItsBoxAndARestartIsDeclinedWithEnter) {
    TestStartMenu menu(3, false);
    ASSERT_TRUE(StartLauncher(menu)) << dock_.DebugLog();
    ASSERT_TRUE(Open());
    ASSERT_TRUE(ChoosePower(2102));  // "锁屏"
    HWND box = WaitForBox(L"Vantreel");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), L"锁屏失败。请检查系统电源策略或当前账户权限。");
    EXPECT_FALSE(Shown(panel_));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_NE(dock_.DebugLog().find("LockWorkStation failed (120)"), std::string::npos);

    ASSERT_TRUE(Open());
    ASSERT_TRUE(ChoosePower(2103));  // "重新启动..."
    box = WaitForBox(L"Vantreel 电源确认");
    ASSERT_NE(box, nullptr);
    // Enter must land on "No": anything else would end the session.
    GUITHREADINFO focus = {};
    focus.cbSize = sizeof(focus);
    const bool onNo = WaitUntil(
        [&] {
            return GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &focus) &&
                   focus.hwndFocus == GetDlgItem(box, IDNO);
        },
        3000);
    if (!onNo) {
        PostMessageW(box, WM_COMMAND, IDNO, 0);
        FAIL() << "the confirmation did not default to No";
    }
    Key(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    ASSERT_TRUE(dock_.Answers()) << "done with the declined box";
    EXPECT_TRUE(Shown(panel_)) << "declined: the panel stays";
    EXPECT_EQ(dock_.DebugLog().find("ExitWindowsEx"), std::string::npos) << "no exit, no shutdown.exe";
}
