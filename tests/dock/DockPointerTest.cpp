// The dock in this process answering the pointer: the cursor is put where a
// user's would be and the mouse messages are posted to the real input window;
// what reaches the configuration file is read back from disk.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "config/ConfigFile.h"
#include "config/PathText.h"
#include "dock/DockWindow.h"
#include "support/TestSupport.h"
#include "support/WindowProgram.h"

using namespace testing_support;

namespace {

constexpr wchar_t kUnpinHint[] = L"松开即可取消固定";

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PumpFor(DWORD ms) {
    ULONGLONG end = GetTickCount64() + ms;
    do {
        Pump();
        Sleep(10);
    } while (GetTickCount64() < end);
}

std::wstring WindowsFile(const wchar_t* name) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\" + name;
}

// Steps run one per thread-timer tick while the dock's menu is open (its own
// message loop runs meanwhile); a step returns false to be tried again.
class WhileMenuOpen {
public:
    using Step = std::function<bool()>;
    WhileMenuOpen(const MacMenuWindow& menu, std::vector<Step> steps) : menu_(menu), steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 30, &WhileMenuOpen::Tick);
    }
    ~WhileMenuOpen() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Finished() const { return next_ >= steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        WhileMenuOpen* self = current_;
        if (!self || !self->menu_.IsOpen() || self->Finished()) return;
        if (self->steps_[self->next_]()) ++self->next_;
    }

    static inline WhileMenuOpen* current_ = nullptr;
    const MacMenuWindow& menu_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
};

class DockPointer : public ::testing::Test {
protected:
    void SetUp() override {
        oleReady_ = SUCCEEDED(OleInitialize(nullptr));
        configPath_ = dir_.File(L"vantreel.json");
        DockConfig config;
        config.hideTaskbar = false;
        for (auto [name, file] : {std::pair{L"Notepad", L"notepad.exe"}, std::pair{L"Regedit", L"regedit.exe"},
                                  std::pair{L"Help", L"hh.exe"}}) {
            std::wstring path = WindowsFile(file);
            config.pinned.push_back({name, path, L"", NormalizePathKey(path)});
        }
        ASSERT_TRUE(SaveConfig(configPath_, config));
        dock_.configPathSource = [this] { return configPath_; };
        dock_.shellActions.launchApp = [this](const std::wstring& path, const std::wstring&) {
            launched_.push_back(path);
            return true;
        };
        ASSERT_TRUE(dock_.Initialize(GetModuleHandleW(nullptr), false));
        scale_ = static_cast<float>(GetDpiForSystem()) / 96.0f;
        PumpFor(200);
        Settle();
        savedAtStart_ = ReadFileBytes(configPath_);
    }

    void TearDown() override {
        ReleaseCapture();
        dock_.Shutdown();
        if (helper_.hProcess) {
            TerminateProcess(helper_.hProcess, 0);
            WaitForSingleObject(helper_.hProcess, 5000);
            CloseHandle(helper_.hThread);
            CloseHandle(helper_.hProcess);
        }
        if (oleReady_) OleUninitialize();
    }

    // Handles what is queued and draws until the dock is at rest.
    void Settle() {
        Pump();
        for (int i = 0; i < 600 && dock_.IsAnimating(); ++i) {
            dock_.Tick(1.0f / 60.0f);
            Pump();
        }
    }

    int IndexOf(const std::wstring& label) const {
        const auto& items = dock_.Model().items;
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].label == label) return static_cast<int>(i);
        }
        return -1;
    }

    std::vector<std::wstring> Labels(int from, int to) const {
        std::vector<std::wstring> labels;
        for (int i = from; i < to; ++i) labels.push_back(dock_.Model().items[i].label);
        return labels;
    }

    std::vector<std::wstring> SavedPins() const {
        std::vector<std::wstring> names;
        for (const auto& pin : LoadConfig(configPath_).pinned) names.push_back(pin.name);
        return names;
    }

    bool FileUntouched() const { return ReadFileBytes(configPath_) == savedAtStart_; }

    // Screen centre of an item's icon as it is drawn now.
    POINT IconCentre(int index) const {
        RECT band = {};
        GetWindowRect(dock_.VisualWindow(), &band);
        const DockItemVisual& visual = dock_.ItemVisuals().at(index);
        comp::Vector3 offset = visual.container.Offset();
        comp::Vector2 size = visual.container.Size();
        return POINT{band.left + static_cast<LONG>(offset.x + size.x / 2),
                     band.top + static_cast<LONG>(offset.y + size.y / 2)};
    }

    // The cursor goes to the screen point and the message arrives at the input window.
    void Pointer(UINT message, POINT screen) {
        SetCursorPos(screen.x, screen.y);
        RECT input = {};
        GetWindowRect(dock_.InputWindow(), &input);
        WPARAM keys = message == WM_LBUTTONDOWN || (message == WM_MOUSEMOVE && pressed_) ? MK_LBUTTON : 0;
        PostMessageW(dock_.InputWindow(), message, keys,
                     MAKELPARAM(static_cast<WORD>(screen.x - input.left), static_cast<WORD>(screen.y - input.top)));
        if (message == WM_LBUTTONDOWN) pressed_ = true;
        if (message == WM_LBUTTONUP) pressed_ = false;
        Pump();
        for (int i = 0; i < 3; ++i) dock_.Tick(1.0f / 60.0f);
    }

    // A right-click on the icon, with the cursor parked away so that it hovers no menu row.
    void RightClick(int index) {
        POINT at = IconCentre(index);
        SetCursorPos(0, 0);
        RECT input = {};
        GetWindowRect(dock_.InputWindow(), &input);
        SendMessageW(dock_.InputWindow(), WM_RBUTTONUP, 0,
                     MAKELPARAM(static_cast<WORD>(at.x - input.left), static_cast<WORD>(at.y - input.top)));
        Settle();
    }

    // Keys for the open menu: down to the row'th selectable row, then return.
    void PickRow(int selectableRow) {
        HWND menu = dock_.Menu().Window();
        for (int i = 0; i <= selectableRow; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    }

    POINT Offset(POINT p, float dxDip, float dyDip) const {
        return POINT{p.x + static_cast<LONG>(dxDip * scale_), p.y + static_cast<LONG>(dyDip * scale_)};
    }

    // Presses an icon and moves the pointer in steps to (toX, start.y + dyDip).
    POINT PressAndDrag(int index, LONG toX, float dyDip, int steps = 8) {
        POINT start = IconCentre(index);
        Pointer(WM_LBUTTONDOWN, start);
        POINT at = start;
        for (int i = 1; i <= steps; ++i) {
            at.x = start.x + (toX - start.x) * i / steps;
            at.y = start.y + static_cast<LONG>(dyDip * scale_ * i / steps);
            Pointer(WM_MOUSEMOVE, at);
        }
        return at;
    }

    // An application of another process that runs without being pinned.
    bool StartRunningHelper() {
        std::wstring exe = BinDir() + L"\\tracked_window_gui.exe";
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &helper_)) {
            return false;
        }
        return WaitForIndex(L"tracked_window_gui", true);
    }

    // Asks the dock to read the window list again until the label is there (or gone).
    bool WaitForIndex(const std::wstring& label, bool present) {
        ULONGLONG end = GetTickCount64() + 10000;
        while (GetTickCount64() < end) {
            PostMessageW(dock_.InputWindow(), WM_DOCK_WINDOWS_CHANGED, 0, 0);
            PumpFor(100);
            if ((IndexOf(label) >= 0) != present) continue;
            Settle();
            return true;
        }
        return false;
    }

    bool oleReady_ = false;
    bool pressed_ = false;
    float scale_ = 1.0f;
    TempDir dir_;
    std::wstring configPath_;
    std::vector<uint8_t> savedAtStart_;
    std::vector<std::wstring> launched_;
    PROCESS_INFORMATION helper_ = {};
    DockWindow dock_;
};

}  // namespace

TEST_F(DockPointer, APointerRestingOnTheBottomRowKeepsTheRevealedDockStill) {
    DockConfig config = dock_.Config();
    config.hideDockOnFullscreen = true;
    dock_.ApplyConfig(config);
    WindowProgram program(BinDir() + L"\\foreground_window_gui.exe", L"VantreelMaximisedProbe Probe");
    ShowWindow(program.Window(), SW_MAXIMIZE);
    RECT input = {};
    auto inputRect = [&]() -> const RECT& {
        Settle();
        GetWindowRect(dock_.InputWindow(), &input);
        return input;
    };
    ASSERT_TRUE(WaitFor([&] { return inputRect().bottom - input.top <= std::lround(6 * scale_); })) << "hidden";
    const POINT rest = {(input.left + input.right) / 2, input.bottom - 1};
    Pointer(WM_MOUSEMOVE, rest);
    const RECT revealed = inputRect();
    EXPECT_TRUE(PtInRect(&revealed, rest)) << "the revealed dock lost the pointer that brought it";
    for (auto end = GetTickCount64() + 5000; GetTickCount64() < end && EqualRect(&revealed, &inputRect());) PumpFor(50);
    EXPECT_TRUE(EqualRect(&revealed, &input)) << "hid again under the resting pointer";
}

// Labels are painted while the dock rests, so hovering only shows them.
TEST_F(DockPointer, HoverLabelsArePaintedAtRestAndOnlyShownOnHover) {
    size_t labelled = 0;
    for (const DockItem& item : dock_.Model().items) {
        if (item.kind != DockItemKind::Separator && !item.label.empty()) ++labelled;
    }
    dock_.ArmIdleTrimTimer();
    // A frame drawn meanwhile (a window-list refresh) only puts the painting off.
    for (int i = 0; i < 400 && dock_.WarmingLabels(); ++i) {
        Settle();
        PumpFor(50);
    }
    EXPECT_EQ(dock_.LabelSurfaces().Size(), labelled);
    for (const wchar_t* label : {L"Notepad", L"Help"}) {
        Pointer(WM_MOUSEMOVE, IconCentre(IndexOf(label)));
        Settle();
        EXPECT_EQ(dock_.LabelText(), label);
    }
    EXPECT_EQ(dock_.LabelSurfaces().Size(), labelled) << "a hover painted a label of its own";
    // A jump just inside the magnified icon's left edge: the row, centring on the pointer, brings Regedit under it.
    const int help = IndexOf(L"Help");
    const LONG edge = IconCentre(help).x - static_cast<LONG>(dock_.ItemVisuals()[help].container.Size().x / 2);
    Pointer(WM_MOUSEMOVE, {edge + 2, IconCentre(help).y});
    Settle();
    EXPECT_EQ(dock_.LabelText(), L"Regedit");
    ASSERT_EQ(dock_.Model().items[help + 1].kind, DockItemKind::Separator);
    for (int i = 0; i < 3; ++i, Settle()) Pointer(WM_MOUSEMOVE, IconCentre(help + 1));  // until it rests there
    EXPECT_LT(dock_.LabelFade(), 0.01f) << "no label, yet " << testing::PrintToString(dock_.LabelText());
}

TEST_F(DockPointer, ADragAcrossTwoIconsReordersAndSavesOnceOnRelease) {
    const int notepad = IndexOf(L"Notepad");
    ASSERT_EQ(Labels(notepad, notepad + 3), (std::vector<std::wstring>{L"Notepad", L"Regedit", L"Help"}));
    LONG pastHelp = IconCentre(notepad + 2).x + static_cast<LONG>(10 * scale_);
    RECT atRest = {}, placed = {};
    GetWindowRect(dock_.InputWindow(), &atRest);
    POINT at = PressAndDrag(notepad, pastHelp, -10.0f);
    EXPECT_TRUE(dock_.IsDragging());
    GetWindowRect(dock_.InputWindow(), &placed);
    EXPECT_TRUE(EqualRect(&placed, &atRest)) << "the captured pointer needs no input window that follows the row";
    EXPECT_EQ(Labels(notepad, notepad + 3), (std::vector<std::wstring>{L"Regedit", L"Help", L"Notepad"}));
    EXPECT_TRUE(FileUntouched()) << "nothing is saved while the drag goes on";

    Pointer(WM_LBUTTONUP, at);
    EXPECT_FALSE(dock_.IsDragging());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(SavedPins(), (std::vector<std::wstring>{L"Regedit", L"Help", L"Notepad"}));
    EXPECT_TRUE(launched_.empty()) << "a drag is no click";
    Settle();
    EXPECT_EQ(Labels(notepad, notepad + 3), (std::vector<std::wstring>{L"Regedit", L"Help", L"Notepad"}));
    GetWindowRect(dock_.InputWindow(), &placed);
    EXPECT_TRUE(EqualRect(&placed, &dock_.InputRect())) << "after the press the input window follows again";
}

TEST_F(DockPointer, LiftedAwayAnIconShowsTheHintAndUnpinsOnReleaseUnlessBroughtBack) {
    const int help = IndexOf(L"Help");
    POINT start = IconCentre(help);
    POINT at = PressAndDrag(help, start.x, -90.0f, 6);
    const LONG reachingHeight = dock_.InputRect().bottom - dock_.InputRect().top;
    EXPECT_TRUE(dock_.HasUnpinIntent());
    EXPECT_EQ(dock_.LabelText(), kUnpinHint);
    // Back below 85 dip the intent is gone, and back up it returns.
    Pointer(WM_MOUSEMOVE, Offset(start, 0, -80));
    EXPECT_FALSE(dock_.HasUnpinIntent());
    Pointer(WM_MOUSEMOVE, at);
    EXPECT_TRUE(dock_.HasUnpinIntent());
    Pointer(WM_LBUTTONUP, at);
    EXPECT_EQ(IndexOf(L"Help"), -1);
    EXPECT_EQ(SavedPins(), (std::vector<std::wstring>{L"Notepad", L"Regedit"}));
    Settle();
    EXPECT_LT(dock_.InputRect().bottom - dock_.InputRect().top, reachingHeight)
        << "released away from the dock, the hover ends with the drag";

    const int regedit = IndexOf(L"Regedit");
    start = IconCentre(regedit);
    PressAndDrag(regedit, start.x, -90.0f, 6);
    EXPECT_TRUE(dock_.HasUnpinIntent());
    Pointer(WM_MOUSEMOVE, Offset(start, 0, -80));
    Pointer(WM_LBUTTONUP, Offset(start, 0, -80));
    EXPECT_FALSE(dock_.HasUnpinIntent());
    EXPECT_GE(IndexOf(L"Regedit"), 0);
    EXPECT_EQ(SavedPins(), (std::vector<std::wstring>{L"Notepad", L"Regedit"}));
    EXPECT_TRUE(launched_.empty());
}

TEST_F(DockPointer, AClickLaunchesAStoppedApplicationWithABounceAndAMiddleClickAnotherInstance) {
    const int regedit = IndexOf(L"Regedit");
    POINT centre = IconCentre(regedit);
    Pointer(WM_LBUTTONDOWN, centre);
    Pointer(WM_MOUSEMOVE, Offset(centre, 3, 2));  // within the drag threshold
    Settle();  // the magnification comes to rest, so only a bounce can move now
    Pointer(WM_LBUTTONUP, Offset(centre, 3, 2));
    ASSERT_EQ(launched_.size(), 1u);
    EXPECT_EQ(launched_[0], WindowsFile(L"regedit.exe"));
    EXPECT_TRUE(dock_.IsAnimating()) << "the icon hops";
    Settle();
    Pointer(WM_MBUTTONUP, IconCentre(IndexOf(L"Notepad")));
    ASSERT_EQ(launched_.size(), 2u);
    EXPECT_TRUE(dock_.IsAnimating()) << "another instance hops too";
    EXPECT_EQ(launched_[1], WindowsFile(L"notepad.exe"));
    Pointer(WM_MBUTTONUP, IconCentre(0));
    EXPECT_EQ(launched_.size(), 2u) << "the launchpad starts nothing";
    Settle();
    dock_.shellActions.launchApp = [this](const std::wstring& path, const std::wstring&) {
        launched_.push_back(path);
        return false;
    };
    Pointer(WM_MBUTTONUP, IconCentre(IndexOf(L"Notepad")));
    EXPECT_EQ(launched_.size(), 3u);
    EXPECT_FALSE(dock_.IsAnimating()) << "a launch that did not happen does not hop";
    EXPECT_TRUE(FileUntouched());
}

TEST_F(DockPointer, TheApplicationMenuUnpinsAndSaves) {
    WhileMenuOpen menu(dock_.Menu(), {[&] {
                           PickRow(1);  // "从程序坞取消固定"
                           return true;
                       }});
    RightClick(IndexOf(L"Regedit"));
    EXPECT_TRUE(menu.Finished());
    EXPECT_FALSE(dock_.Menu().IsOpen());
    EXPECT_EQ(IndexOf(L"Regedit"), -1);
    EXPECT_EQ(SavedPins(), (std::vector<std::wstring>{L"Notepad", L"Help"}));
}

TEST_F(DockPointer, TheMenusActivateRowRaisesTheWindowItHandsBackTheForegroundTo) {
    ASSERT_TRUE(StartRunningHelper());
    HWND window = FindWindowW(L"VantreelTrackedWindow", nullptr);
    ASSERT_NE(window, nullptr);
    // The closing menu gives the foreground back to the application's window.
    dock_.shellActions.foregroundWindow = [window] { return window; };
    std::vector<std::pair<HWND, int>> calls;  // command -1 is an activation
    dock_.shellActions.activateWindow = [&](HWND w) { calls.push_back({w, -1}); };
    dock_.shellActions.showWindowAsync = [&](HWND w, int command) { calls.push_back({w, command}); };
    WhileMenuOpen menu(dock_.Menu(), {[&] {
                           PickRow(0);  // "激活 / 切换窗口"
                           return true;
                       }});
    RightClick(IndexOf(L"tracked_window_gui"));
    ASSERT_TRUE(menu.Finished());
    EXPECT_EQ(calls, (std::vector<std::pair<HWND, int>>{{window, -1}})) << "never minimised from the menu";
}

TEST_F(DockPointer, AMenuCommandFindsItsItemAgainAfterTheWindowListChanged) {
    ASSERT_TRUE(StartRunningHelper());
    std::wstring dropped = dir_.File(L"dropped.txt");
    WriteFileBytes(dropped, "x");
    int separator = 0;
    while (dock_.Model().items[separator].kind != DockItemKind::Separator) ++separator;
    dock_.PinDroppedFiles({dropped}, IconCentre(separator));
    Settle();
    ASSERT_EQ(IndexOf(L"dropped"), IndexOf(L"tracked_window_gui") + 1);

    // While the menu of the dropped file shows, the helper left of it closes
    // and the window list is read again: every index right of it shifts.
    WhileMenuOpen menu(dock_.Menu(), {[&] {
                                          PostMessageW(FindWindowW(L"VantreelTrackedWindow", nullptr), WM_CLOSE, 0, 0);
                                          return true;
                                      },
                                      [&] {
                                          if (WaitForSingleObject(helper_.hProcess, 0) != WAIT_OBJECT_0) return false;
                                          PostMessageW(dock_.InputWindow(), WM_DOCK_WINDOWS_CHANGED, 0, 0);
                                          return true;
                                      },
                                      [&] { return IndexOf(L"tracked_window_gui") < 0; },
                                      [&] {
                                          PickRow(1);  // "从程序坞取消固定"
                                          return true;
                                      }});
    RightClick(IndexOf(L"dropped"));
    ASSERT_TRUE(menu.Finished());
    EXPECT_EQ(IndexOf(L"dropped"), -1) << "the command went to the item it was opened for";
    EXPECT_EQ(SavedPins(), (std::vector<std::wstring>{L"Notepad", L"Regedit", L"Help"}));
    int separatorNow = 0;
    while (dock_.Model().items[separatorNow].kind != DockItemKind::Separator) ++separatorNow;
    EXPECT_EQ(dock_.Model().items.size(), static_cast<size_t>(separatorNow + 2)) << "the separator and bin stay";
}

TEST_F(DockPointer, ARefreshDuringTheDragThatErasesAnItemToTheLeftStillMovesTheDraggedOne) {
    ASSERT_TRUE(StartRunningHelper()) << "the running helper did not join the dock";
    // A file dropped at the end of the run lands right of the running helper.
    std::wstring dropped = dir_.File(L"dropped.txt");
    WriteFileBytes(dropped, "x");
    int separator = 0;
    while (dock_.Model().items[separator].kind != DockItemKind::Separator) ++separator;
    dock_.PinDroppedFiles({dropped}, IconCentre(separator));
    Settle();
    const int first = IndexOf(L"Notepad");
    ASSERT_EQ(Labels(first, first + 5),
              (std::vector<std::wstring>{L"Notepad", L"Regedit", L"Help", L"tracked_window_gui", L"dropped"}));

    const int droppedIndex = IndexOf(L"dropped");
    POINT start = IconCentre(droppedIndex);
    LONG regeditX = IconCentre(first + 1).x;
    PressAndDrag(droppedIndex, start.x, -20.0f, 3);
    ASSERT_TRUE(dock_.IsDragging());

    // The helper's window closes while the icon is held.
    PostMessageW(FindWindowW(L"VantreelTrackedWindow", nullptr), WM_CLOSE, 0, 0);
    WaitForSingleObject(helper_.hProcess, 10000);
    ASSERT_TRUE(WaitForIndex(L"tracked_window_gui", false));
    EXPECT_TRUE(dock_.IsDragging()) << "the refresh does not end the drag";

    POINT at = Offset(POINT{regeditX, start.y}, -10, -20);
    for (int i = 1; i <= 8; ++i) Pointer(WM_MOUSEMOVE, POINT{start.x + (at.x - start.x) * i / 8, at.y});
    Pointer(WM_LBUTTONUP, at);
    EXPECT_EQ(SavedPins(), (std::vector<std::wstring>{L"Notepad", L"dropped", L"Regedit", L"Help"}));
    EXPECT_EQ(Labels(first, first + 4), (std::vector<std::wstring>{L"Notepad", L"dropped", L"Regedit", L"Help"}));
}

TEST_F(DockPointer, LosingCaptureKeepsAReorderInTheFileAndSavesNothingElse) {
    const int notepad = IndexOf(L"Notepad");
    POINT start = IconCentre(notepad);
    PressAndDrag(notepad, start.x, -20.0f, 3);
    ASSERT_TRUE(dock_.IsDragging());
    ReleaseCapture();
    Settle();
    EXPECT_FALSE(dock_.IsDragging());
    EXPECT_TRUE(FileUntouched()) << "no reorder, nothing to save";

    LONG pastRegedit = IconCentre(notepad + 1).x + static_cast<LONG>(10 * scale_);
    PressAndDrag(notepad, pastRegedit, -30.0f);
    ASSERT_EQ(Labels(notepad, notepad + 2), (std::vector<std::wstring>{L"Regedit", L"Notepad"}));
    ReleaseCapture();
    Settle();
    EXPECT_FALSE(dock_.IsDragging());
    EXPECT_EQ(SavedPins(), (std::vector<std::wstring>{L"Regedit", L"Notepad", L"Help"}))
        << "the order on screen is the order in the file";
    EXPECT_TRUE(launched_.empty());
}

TEST_F(DockPointer, AHugeDropPinsWhatTheScreenHoldsOfTheFilesThatExist) {
    std::vector<std::wstring> paths = {dir_.File(L"gone.txt")};
    for (int i = 0; i < 500; ++i) {
        paths.push_back(dir_.File(L"many" + std::to_wstring(i) + L".txt"));
        WriteFileBytes(paths.back(), "x");
    }
    const int before = dock_.Model().PinnedCount();
    dock_.PinDroppedFiles(paths, IconCentre(IndexOf(L"Help")));
    Settle();
    const int pinned = dock_.Model().PinnedCount() - before;
    EXPECT_GT(pinned, 50);
    EXPECT_LT(pinned, 500);
    EXPECT_EQ(IndexOf(L"gone"), -1) << "a file that is not there";
    RECT input = {};
    GetWindowRect(dock_.InputWindow(), &input);
    EXPECT_GE(input.left, 0);
    EXPECT_LE(input.right, GetSystemMetrics(SM_CXSCREEN));
    // The dock is full: a further drop pins nothing.
    std::wstring one = dir_.File(L"one more.txt");
    WriteFileBytes(one, "x");
    dock_.PinDroppedFiles({one}, IconCentre(IndexOf(L"Help")));
    EXPECT_EQ(dock_.Model().PinnedCount(), before + pinned);
}

TEST_F(DockPointer, DroppedFilesArePinnedSideBySideAtTheDropSlot) {
    const int notepad = IndexOf(L"Notepad");
    POINT a = IconCentre(notepad), b = IconCentre(notepad + 1);
    POINT between = {(a.x + b.x) / 2, a.y};
    dock_.DragFilesOver(between);
    EXPECT_EQ(dock_.DropIndex(), notepad + 1);
    Settle();

    std::wstring first = dir_.File(L"first.txt"), second = dir_.File(L"second.txt");
    WriteFileBytes(first, "1");
    WriteFileBytes(second, "2");
    dock_.PinDroppedFiles({first, WindowsFile(L"notepad.exe"), second}, between);
    EXPECT_EQ(dock_.DropIndex(), -1);
    EXPECT_EQ(Labels(notepad, notepad + 5),
              (std::vector<std::wstring>{L"Notepad", L"first", L"second", L"Regedit", L"Help"}));
    EXPECT_EQ(SavedPins(), (std::vector<std::wstring>{L"Notepad", L"first", L"second", L"Regedit", L"Help"}));

    dock_.DragFilesOver(between);
    dock_.DragFilesLeave();
    EXPECT_EQ(dock_.DropIndex(), -1);
}
