// The launcher's hit tests, and pointer and keyboard input sent as messages
// to the real window: clicks, drags, paging, search typing and paste, closing.
#include "LauncherWindowFixture.h"

#include <algorithm>
#include <cstring>

#include "allapps/AllAppsGeometry.h"
#include "allapps/AllAppsSearchText.h"
#include "config/PathText.h"

namespace {

// Client pixels at scale 1 of a content point.
LPARAM At(float x, float y) {
    return MAKELPARAM(static_cast<int>(x + kAllAppsInsetDip), static_cast<int>(y + kAllAppsInsetDip));
}

}  // namespace

class LauncherInputTest : public LauncherWindowTest {
protected:
    void Open(const std::vector<InstalledApp>& list) {
        Deliver(list);
        // Made-up paths: every entry is taken as startable through what it names.
        apps.planLaunch = [](const InstalledApp& entry) {
            return EntryLaunch{EntryLaunch::Way::ShellApp, StartPathOf(entry), {}, {}};
        };
        apps.startLaunch = [this](const EntryLaunch& launch) {
            launched.push_back(launch.file);
            return true;
        };
        apps.launchApp = [this](const std::wstring& target, const std::wstring&) {
            launched.push_back(target);
            return true;
        };
        apps.openSettings = [this] { launched.push_back(L"ms-settings:"); };
        Toggle();
        ASSERT_TRUE(apps.visible);
        ASSERT_EQ(apps.panelWidth, 780.0f);
        ASSERT_EQ(apps.panelHeight, 572.0f);
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(apps.Window(), message, wParam, lParam);
    }
    void Click(float x, float y) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
        Send(WM_LBUTTONUP, 0, At(x, y));
    }
    // The centre of a slot's cell in content DIP.
    static PointF SlotCenter(int slot) {
        return {28.0f + (static_cast<float>(slot % 6) + 0.5f) * (724.0f / 6.0f),
                100.0f + (static_cast<float>(slot / 6) + 0.5f) * 91.0f};
    }
    int SlotOf(const std::wstring& name) const {
        for (size_t i = 0; i < apps.visibleEntries.size(); ++i) {
            if (apps.visibleEntries[i]->name == name) return static_cast<int>(i % AllAppsWindow::kSlotsPerPage);
        }
        return -1;
    }
    void Type(const std::wstring& text) {
        for (wchar_t unit : text) Send(WM_CHAR, unit);
    }
    void SetClipboardBytes(const void* bytes, size_t size) {
        ASSERT_TRUE(OpenClipboard(apps.Window()));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
        ASSERT_NE(SetClipboardData(CF_UNICODETEXT, block), nullptr);
        CloseClipboard();
    }
    void Paste() {
        // Ctrl held as the window sees it through GetKeyState.
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        Send(WM_KEYDOWN, 'V');
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
    std::vector<std::wstring> launched;
};

TEST_F(LauncherInputTest, HitTestsOfTheGridTabsLettersAndDots) {
    Open(NumberedApps(19));
    EXPECT_EQ(apps.HitTestTile(88.0f, 130.0f), 0);
    EXPECT_EQ(apps.HitTestTile(751.0f, 100.0f), 5);
    EXPECT_EQ(apps.HitTestTile(752.0f, 100.0f), -1);
    EXPECT_EQ(apps.HitTestTile(88.0f, 463.9f), 18);
    EXPECT_EQ(apps.HitTestTile(88.0f, 464.0f), -1);
    EXPECT_EQ(apps.HitTestTile(210.0f, 463.9f), -1) << "slot 19 is past the list";
    EXPECT_EQ(apps.HitTestCategoryTab(109.5f, 70.0f), 0);
    EXPECT_EQ(apps.HitTestCategoryTab(174.0f, 70.0f), -1);
    EXPECT_EQ(apps.HitTestCategoryTab(606.5f, 70.0f), 7);
    apps.indexLetters.assign(28, 'A');
    EXPECT_EQ(apps.HitTestIndexLetter(40.0f, 500.0f), 0);
    apps.pageCount = 3;
    EXPECT_EQ(apps.HitTestPageDot(390.0f, 475.0f), 1);
    EXPECT_EQ(apps.HitTestPageDot(390.0f, 486.0f), -1);
}

TEST_F(LauncherInputTest, ATileClickLaunchesAndClosesAFolderOpensWithABackButton) {
    std::vector<InstalledApp> list = FilterFixture();
    list[3].shortcutPath = L"C:\\Start\\Rechner.lnk";
    Open(list);
    const int folder = SlotOf(L"Corp Tools");
    ASSERT_GE(folder, 0);
    Click(SlotCenter(folder).x, SlotCenter(folder).y);
    ASSERT_NE(apps.openFolder, nullptr);
    EXPECT_TRUE(apps.visible);
    EXPECT_TRUE(launched.empty());
    EXPECT_EQ(apps.HitTestCategoryTab(109.5f, 70.0f), -1) << "no tabs inside a folder";
    Click(60.0f, 76.0f);
    EXPECT_EQ(apps.openFolder, nullptr) << "the back button closes the folder";

    const int rechner = SlotOf(L"Rechner");
    Click(SlotCenter(rechner).x, SlotCenter(rechner).y);
    EXPECT_FALSE(apps.visible);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], L"C:\\Start\\Rechner.lnk") << "the shortcut wins over the target and the launch id";
}

TEST_F(LauncherInputTest, CloseButtonMarginClickAndFooterClose) {
    Open(FilterFixture());
    Click(760.0f, 20.0f);
    EXPECT_FALSE(apps.visible) << "close button";
    now += 1000;
    Toggle();
    Click(-8.0f, 200.0f);
    EXPECT_FALSE(apps.visible) << "a click in the margin beside the panel";
    now += 1000;
    Toggle();
    Click(700.0f, 546.0f);
    EXPECT_FALSE(apps.visible);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], L"taskmgr.exe");
}

TEST_F(LauncherInputTest, DeactivationHidesOnlyAfterTheGuardAndWithoutAMenu) {
    Open(FilterFixture());
    now = apps.shownAt + 200;
    Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_TRUE(apps.visible);
    now = apps.shownAt + 300;
    apps.menuOpen = true;
    Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_TRUE(apps.visible) << "a menu is open";
    apps.menuOpen = false;
    Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_FALSE(apps.visible);
}

TEST_F(LauncherInputTest, DragsTurnPagesPastFiftyFourDip) {
    Open(NumberedApps(60));
    ASSERT_EQ(apps.pageCount, 3);
    const PointF start = SlotCenter(7);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(start.x, start.y));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(start.x + 15, start.y + 12));
    EXPECT_FALSE(apps.dragging) << "1.25 * 12 is not below 15";
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(start.x + 15, start.y + 11));
    ASSERT_TRUE(apps.dragging) << "1.25 * 11 = 13.75 is below 15";
    EXPECT_EQ(GetCapture(), apps.Window());
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(start.x + 100, start.y));
    EXPECT_FLOAT_EQ(apps.slideOffset, 30.0f) << "page 0 rubber-bands at 0.3";
    Send(WM_LBUTTONUP, 0, At(start.x + 100, start.y));
    EXPECT_EQ(apps.page, 0);
    EXPECT_TRUE(apps.sliding);
    EXPECT_FALSE(apps.dragging);

    for (int distance : {54, 55}) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, At(start.x, start.y));
        Send(WM_MOUSEMOVE, MK_LBUTTON, At(start.x - 20, start.y));
        ASSERT_TRUE(apps.dragging);
        EXPECT_FLOAT_EQ(apps.slideOffset, -20.0f);
        Send(WM_LBUTTONUP, 0, At(start.x - static_cast<float>(distance), start.y));
        EXPECT_EQ(apps.page, distance == 54 ? 0 : 1) << distance;
        EXPECT_TRUE(launched.empty()) << "a drag launches nothing";
    }
}

TEST_F(LauncherInputTest, DotsWheelKeysAndLettersTurnPagesAndFilter) {
    std::vector<InstalledApp> list = NumberedApps(60);
    list.push_back(MakeApp(L"Zulu", L"C:\\zulu.exe", AppCategory::Other, L'Z'));
    Open(list);
    ASSERT_EQ(apps.pageCount, 3);
    Click(390.0f + 14.0f, 475.0f);
    EXPECT_EQ(apps.page, 2);
    Send(WM_KEYDOWN, VK_RIGHT);
    EXPECT_EQ(apps.page, 2) << "no page after the last";
    Send(WM_KEYDOWN, VK_LEFT);
    EXPECT_EQ(apps.page, 1);
    now += 1000;
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), At(300, 200));
    EXPECT_EQ(apps.page, 2);

    ASSERT_GE(apps.indexLetters.size(), 2u);
    const auto z = std::find(apps.indexLetters.begin(), apps.indexLetters.end(), L'Z');
    ASSERT_NE(z, apps.indexLetters.end());
    const IndexBarLayout bar = IndexBarFor(apps.panelWidth, apps.indexLetters.size());
    const float zx = LetterCenterX(bar, static_cast<size_t>(z - apps.indexLetters.begin()));
    Click(zx, 500.0f);
    EXPECT_EQ(apps.indexLetter, L'Z');
    EXPECT_EQ(apps.page, 0);
    EXPECT_EQ(apps.visibleEntries.size(), 1u);
    Click(zx, 500.0f);
    EXPECT_EQ(apps.indexLetter, 0) << "the selected letter clicked again selects all";
}

TEST_F(LauncherInputTest, EscapeBackspaceAndEnterWalkBackOut) {
    Open(FilterFixture());
    Type(L"zed");
    EXPECT_EQ(apps.searchText, L"zed");
    Send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(apps.searchText, L"");
    EXPECT_TRUE(apps.visible);
    const int folder = SlotOf(L"Corp Tools");
    Click(SlotCenter(folder).x, SlotCenter(folder).y);
    ASSERT_NE(apps.openFolder, nullptr);
    Send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(apps.openFolder, nullptr);
    Send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_FALSE(apps.visible);

    now += 1000;
    Toggle();
    Click(SlotCenter(SlotOf(L"Corp Tools")).x, SlotCenter(SlotOf(L"Corp Tools")).y);
    ASSERT_NE(apps.openFolder, nullptr);
    Send(WM_CHAR, 0x08);
    EXPECT_EQ(apps.openFolder, nullptr) << "Backspace on an empty search closes the folder";
    Send(WM_CHAR, 0x08);
    EXPECT_TRUE(apps.visible);

    Type(L"rech");
    ASSERT_EQ(apps.visibleEntries.size(), 1u);
    Send(WM_CHAR, 0x0D);
    EXPECT_FALSE(apps.visible);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], L"C:\\Windows\\calc.exe");

    // An entry whose shortcut and target are both gone starts nothing, and the
    // launcher stays for another choice.
    testing_support::TempDir temp;
    std::vector<InstalledApp> gone = FilterFixture();
    gone[3].shortcutPath = temp.File(L"Rechner.lnk");
    gone[3].targetPath = temp.File(L"calc.exe");
    now += 1000;
    Open(gone);
    apps.planLaunch = PlanEntryLaunch;
    FreshLog log;
    Type(L"rech");
    Send(WM_CHAR, 0x0D);
    EXPECT_TRUE(apps.visible);
    EXPECT_EQ(launched.size(), 1u);
    EXPECT_NE(ReadDebugLog().find("Launch refused: "), std::string::npos);
}

TEST_F(LauncherInputTest, TheCaretStopsBlinkingShownAfterTheTimeoutUntilAKey) {
    apps.caretTiming = [] { return CaretTiming{530, 5000}; };
    Open(FilterFixture());
    Send(WM_SETFOCUS);
    Send(WM_TIMER, 1);
    EXPECT_FALSE(apps.caretVisual.IsVisible()) << "a blink";
    now += 5000;
    Send(WM_TIMER, 1);
    Send(WM_TIMER, 1);
    EXPECT_TRUE(apps.caretVisual.IsVisible()) << "past the timeout the caret stays shown";
    EXPECT_FALSE(KillTimer(apps.Window(), 1)) << "and no timer runs";
    Send(WM_KEYDOWN, VK_SHIFT);
    Send(WM_TIMER, 1);
    EXPECT_FALSE(apps.caretVisual.IsVisible()) << "a key restarts the blink";
    EXPECT_TRUE(KillTimer(apps.Window(), 1));

    apps.caretTiming = [] { return CaretTiming{CaretTiming::kNoBlink, 5000}; };
    Toggle();
    Toggle();
    Send(WM_SETFOCUS);
    EXPECT_TRUE(apps.caretVisual.IsVisible());
    EXPECT_FALSE(KillTimer(apps.Window(), 1)) << "a system that does not blink carets";
}

TEST(LauncherSearchText, BackspaceAndPasteNeverSplitAPairAndStayInsideTheBlock) {
    std::wstring search = L"a\xD83D\xDE00";
    RemoveLastCharacter(search);
    EXPECT_EQ(search, L"a");
    RemoveLastCharacter(search);
    RemoveLastCharacter(search);
    EXPECT_EQ(search, L"");

    const wchar_t unterminated[] = {L'a', L'b', L'c', L'd', L'e'};
    EXPECT_TRUE(AppendPastedText(search, unterminated, 3, 128));
    EXPECT_EQ(search, L"abc") << "the block's size bounds the scan";
    const std::wstring pair = std::wstring(124, L'p') + L"\xD83D\xDE00q";
    EXPECT_TRUE(AppendPastedText(search, pair.c_str(), pair.size() + 1, 128));
    EXPECT_EQ(search, L"abc" + std::wstring(124, L'p')) << "the limit never splits a pair";
    EXPECT_FALSE(AppendPastedText(search, L"\x01\x7F", 2, 200));
    search.clear();
    EXPECT_TRUE(AppendPastedText(search, L"a\xD83D" L"b\xDE00" L"c", 5, 128));
    EXPECT_EQ(search, L"abc") << "a lone half is skipped and the rest pasted";
}

TEST_F(LauncherInputTest, PasteThroughTheClipboardStopsAt128Units) {
    Open(FilterFixture());
    std::wstring text(300, L'x');
    SetClipboardBytes(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    Paste();
    EXPECT_EQ(apps.searchText.size(), 128u);
    Send(WM_KEYDOWN, VK_ESCAPE);
    Type(std::wstring(100, L'y'));
    Paste();
    EXPECT_EQ(apps.searchText, std::wstring(100, L'y') + std::wstring(28, L'x'));
}

TEST_F(LauncherInputTest, TileMenuHidesUnhidesAndUninstallsInOrder) {
    Open(FilterFixture());
    std::vector<std::wstring> events;
    int answer = 0;
    apps.showMenu = [&](POINT, const std::vector<MacMenuItem>&) {
        EXPECT_TRUE(apps.menuOpen);
        return answer;
    };
    apps.callbacks.onHideApp = [&](const InstalledApp& app) { events.push_back(L"hide " + app.launchId); };
    apps.callbacks.onUnhideApp = [&](const InstalledApp& app) { events.push_back(L"unhide " + app.name); };
    const PointF folder = SlotCenter(SlotOf(L"Corp Tools"));
    answer = 2003;
    Send(WM_RBUTTONUP, 0, At(folder.x, folder.y));
    EXPECT_FALSE(apps.menuOpen);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], L"hide folder:corp tools");
    EXPECT_EQ(SlotOf(L"Corp Tools"), -1) << "the tile goes at once";

    apps.hiddenKeys.insert(NormalizePathKey(L"C:\\Apps\\Corp\\corp.lnk"));
    Click(620.0f, 76.0f);
    ASSERT_TRUE(apps.hiddenView);
    const int hidden = SlotOf(L"Corp Tools");
    ASSERT_GE(hidden, 0);
    answer = 2006;
    Send(WM_RBUTTONUP, 0, At(SlotCenter(hidden).x, SlotCenter(hidden).y));
    EXPECT_TRUE(apps.hiddenKeys.empty()) << "both keys of the folder";
    EXPECT_EQ(events.back(), L"unhide Corp Tools");

    Click(120.0f, 76.0f);
    ASSERT_FALSE(apps.hiddenView);
    apps.canUninstall = [](const std::wstring&, const std::wstring&, const std::wstring&) { return true; };
    apps.uninstall = [&](const std::wstring& name, const std::wstring&, ProcessHandle*) {
        events.push_back(std::wstring(L"uninstall ") + (apps.visible ? L"shown " : L"hidden ") + name);
        return true;
    };
    apps.startWorker = [&](std::function<void()>) {
        events.push_back(L"refresh");
        return platform::JoinableThread();
    };
    int boxAnswer = IDNO;
    apps.powerOps.messageBox = [&](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
        EXPECT_TRUE(apps.menuOpen);
        events.push_back(caption + L" " + text);
        return boxAnswer;
    };
    const PointF alpha = SlotCenter(SlotOf(L"Alpha"));
    answer = 2004;
    events.clear();
    Send(WM_RBUTTONUP, 0, At(alpha.x, alpha.y));
    EXPECT_TRUE(apps.visible) << "declined";
    boxAnswer = IDYES;
    Send(WM_RBUTTONUP, 0, At(alpha.x, alpha.y));
    EXPECT_FALSE(apps.visible);
    EXPECT_EQ(events, (std::vector<std::wstring>{L"Vantreel 卸载确认 确定要卸载「Alpha」吗？",
                                                 L"Vantreel 卸载确认 确定要卸载「Alpha」吗？",
                                                 L"uninstall hidden Alpha", L"refresh"}));
}

TEST_F(LauncherInputTest, OpenActsOnTheCopiedEntryWhenTheListChangesUnderTheMenu) {
    std::vector<InstalledApp> list = FilterFixture();
    list[3].shortcutPath = L"C:\\Start\\Rechner.lnk";
    Open(list);
    const int slot = SlotOf(L"Rechner");
    apps.showMenu = [&](POINT, const std::vector<MacMenuItem>&) {
        std::vector<InstalledApp> other = NumberedApps(30);
        Deliver(other);
        Send(WM_ALLAPPS_CATALOG_READY);
        return 2001;
    };
    Send(WM_RBUTTONUP, 0, At(SlotCenter(slot).x, SlotCenter(slot).y));
    EXPECT_EQ(apps.catalog.size(), 30u) << "the list was replaced inside the menu";
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], L"C:\\Start\\Rechner.lnk");
}

TEST_F(LauncherInputTest, PowerMenuKeepsThePanelWhenRestartIsDeclined) {
    Open(FilterFixture());
    POINT anchor = {};
    apps.showMenu = [&](POINT point, const std::vector<MacMenuItem>&) {
        anchor = point;
        return 2103;
    };
    int boxes = 0;
    apps.powerOps.messageBox = [&](HWND owner, const std::wstring&, const std::wstring& caption, UINT) {
        EXPECT_TRUE(apps.menuOpen);
        EXPECT_EQ(owner, apps.Window());
        EXPECT_EQ(caption, L"Vantreel 电源确认");
        ++boxes;
        return IDNO;
    };
    apps.powerOps.exitWindows = [](UINT, DWORD) -> bool {
        ADD_FAILURE() << "declined: no exit";
        return false;
    };
    Click(390.0f, 546.0f);
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(apps.visible);
    EXPECT_FALSE(apps.menuOpen);
    RECT window;
    GetWindowRect(apps.Window(), &window);
    EXPECT_EQ(anchor.x, window.left + 311);
    EXPECT_EQ(anchor.y, window.top + 586);
}

TEST_F(LauncherInputTest, ADismissedMenuClosesThePanelOnlyWithThePointerOutside) {
    Open(FilterFixture());
    RECT window;
    GetWindowRect(apps.Window(), &window);
    POINT pointer = {window.left + 200, window.top + 200};
    apps.showMenu = [&](POINT, const std::vector<MacMenuItem>&) {
        SetCursorPos(pointer.x, pointer.y);
        return 0;
    };
    const PointF alpha = SlotCenter(SlotOf(L"Alpha"));
    Send(WM_RBUTTONUP, 0, At(alpha.x, alpha.y));
    EXPECT_TRUE(apps.visible) << "dismissed over the panel";
    pointer = {window.right + 40, window.top + 10};
    Send(WM_RBUTTONUP, 0, At(alpha.x, alpha.y));
    EXPECT_FALSE(apps.visible) << "dismissed beside the panel";
}

TEST_F(LauncherInputTest, SleepAndLockFromThePowerMenuHideThenReportAFailureWithoutOwner) {
    FreshLog log;
    Open(FilterFixture());
    int chosen = 2101;
    apps.showMenu = [&](POINT, const std::vector<MacMenuItem>&) { return chosen; };
    std::vector<std::wstring> boxes;
    apps.powerOps.messageBox = [&](HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
        EXPECT_EQ(owner, nullptr);
        EXPECT_EQ(style, static_cast<UINT>(MB_ICONERROR));
        EXPECT_FALSE(apps.visible) << "the panel goes first";
        boxes.push_back(caption + L" " + text);
        return IDOK;
    };
    apps.powerOps.enableShutdownPrivilege = [] { return PrivilegeOutcome{true, true, 0}; };
    apps.powerOps.suspend = [] {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    };
    Click(390.0f, 546.0f);
    // Lock is the real call: it is refused here with 120.
    now += 1000;
    Toggle();
    ASSERT_TRUE(apps.visible);
    chosen = 2102;
    Click(390.0f, 546.0f);
    EXPECT_EQ(boxes, (std::vector<std::wstring>{L"Vantreel 睡眠失败。请检查系统电源策略或当前账户权限。",
                                                L"Vantreel 锁屏失败。请检查系统电源策略或当前账户权限。"}));
    const std::string text = ReadDebugLog();
    EXPECT_NE(text.find("SetSuspendState failed (5)"), std::string::npos) << text;
    EXPECT_NE(text.find("LockWorkStation failed (120)"), std::string::npos) << text;
}
