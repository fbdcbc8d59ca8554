// The glass context menu as a real window under Wine: its nested loop is
// driven by messages posted from a thread timer that runs inside that loop.
#include <gtest/gtest.h>

#include <objbase.h>

#include <functional>
#include <string>
#include <vector>

#include "CompTestWindow.h"
#include "render/MacMenuWindow.h"

using namespace comp;

namespace {

// Runs one step per timer tick while the menu's loop runs. Posted messages of
// a step are handled before the next tick, since timers come last. When the
// steps are done and the menu is still open, Esc closes it.
class MenuDriver {
public:
    using Step = std::function<void()>;

    MenuDriver(MacMenuWindow& menu, std::vector<Step> steps) : menu_(menu), steps_(std::move(steps)) {}

    int Show(POINT point, const std::vector<MacMenuItem>& rows, float scale = 1.0f, int theme = kGlassThemeDark) {
        current_ = this;
        UINT_PTR timer = SetTimer(nullptr, 0, 30, &MenuDriver::Tick);
        DockConfig config;
        config.theme = theme;
        int result = menu_.ShowModal(point, rows, config, scale);
        KillTimer(nullptr, timer);
        current_ = nullptr;
        return result;
    }

    bool Finished() const { return next_ >= steps_.size(); }
    // The menu stayed open after the last step and the driver closed it.
    bool Escaped() const { return escaped_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        MenuDriver* self = current_;
        if (!self || !self->menu_.IsOpen()) return;
        if (self->next_ < self->steps_.size()) {
            self->steps_[self->next_++]();
        } else if (++self->idle_ > 40) {
            self->escaped_ = true;
            PostMessageW(self->menu_.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
        }
    }

    static inline MenuDriver* current_ = nullptr;
    MacMenuWindow& menu_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int idle_ = 0;
    bool escaped_ = false;
};

MacMenuItem Row(int id, const std::wstring& label) {
    MacMenuItem row;
    row.id = id;
    row.label = label;
    return row;
}

MacMenuItem Separator() {
    MacMenuItem row;
    row.separator = true;
    return row;
}

LPARAM ClientPoint(int x, int y) { return MAKELPARAM(x, y); }

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(CreateGraphicsFactories(graphics));
        ASSERT_TRUE(graphics.Create());
        ASSERT_TRUE(host.Initialize(window.hwnd, graphics));
        menu.Initialize(GetModuleHandleW(nullptr), graphics, host);
        // A cursor left over a menu would hover its rows by itself.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        menu.system.tickCount = [this] { return now; };
        menu.system.foregroundWindow = [this] { return menuInFront ? menu.Window() : nullptr; };
    }
    void TearDown() override { CoUninitialize(); }

    // Posts to the menu window (its handle exists once the menu shows).
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        PostMessageW(menu.Window(), message, wParam, lParam);
    }

    // Client pixel of a point dy below the top of a row, at scale 1.
    LPARAM RowPoint(int index, int dy) {
        return ClientPoint(12 + 100, 12 + static_cast<int>(menu.RowTops()[index]) + dy);
    }

    CompTestWindow window{0, 0, 40, 40};
    GraphicsDevice graphics;
    CompositionHost host;
    MacMenuWindow menu;
    ULONGLONG now = 1000;
    bool menuInFront = true;
    std::vector<MacMenuItem> threeRows = {Row(1, L"打开"), Separator(), Row(2, L"退出")};
};

}  // namespace

TEST_F(MenuTest, NothingToShowGivesZeroWithoutAWindow) {
    EXPECT_EQ(menu.ShowModal({100, 100}, {}, DockConfig(), 1.0f), 0);
    EXPECT_EQ(menu.Window(), nullptr);
    MacMenuWindow unattached;
    EXPECT_EQ(unattached.ShowModal({100, 100}, threeRows, DockConfig(), 1.0f), 0) << "no compositor, no target";
}

TEST_F(MenuTest, MeasuresWithTheRealFontAndPlacesTheWindow) {
    RECT rect = {};
    MenuDriver shortLabels(menu, {[&] {
                               EXPECT_FLOAT_EQ(menu.MenuWidth(), 190);
                               EXPECT_FLOAT_EQ(menu.MenuHeight(), 89);
                               GetWindowRect(menu.Window(), &rect);
                               EXPECT_TRUE(IsWindowVisible(menu.Window()));
                               Post(WM_KEYDOWN, VK_ESCAPE);
                           }});
    EXPECT_EQ(shortLabels.Show({300, 200}, threeRows), 0);
    EXPECT_TRUE(shortLabels.Finished());
    EXPECT_EQ(rect.left, 300 - 12) << "the panel's corner lands on the point";
    EXPECT_EQ(rect.top, 200 - 12);
    EXPECT_EQ(rect.right - rect.left, 190 + 24);
    EXPECT_EQ(rect.bottom - rect.top, 89 + 24);
    EXPECT_FALSE(IsWindowVisible(menu.Window())) << "hidden once closed";

    // Eleven CJK characters of 13 DIP each: 143 + 52.
    MenuDriver midLabel(menu, {[&] { Post(WM_KEYDOWN, VK_ESCAPE); }});
    midLabel.Show({300, 200}, {Row(1, L"打开设置打开设置打开设")});
    EXPECT_NEAR(menu.MenuWidth(), 195, 1);

    MenuDriver longLabel(menu, {[&] { Post(WM_KEYDOWN, VK_ESCAPE); }});
    longLabel.Show({300, 200}, {Row(1, L"短"), Row(2, std::wstring(40, L'长'))});
    EXPECT_FLOAT_EQ(menu.MenuWidth(), 340);

    MacMenuItem withShortcut = Row(1, L"打开设置打开设置打开设");
    withShortcut.trailingText = L"Ctrl+Alt+T";
    MenuDriver trailing(menu, {[&] { Post(WM_KEYDOWN, VK_ESCAPE); }});
    trailing.Show({300, 200}, {withShortcut});
    EXPECT_GT(menu.MenuWidth(), 195 + 22) << "trailing text and its gap widen the row";
    EXPECT_LT(menu.MenuWidth(), 340);
}

TEST_F(MenuTest, NearTheRightEdgeItOpensToTheLeft) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
    const POINT point = {info.rcMonitor.right - 10, info.rcMonitor.top + 100};
    RECT rect = {};
    MenuDriver driver(menu, {[&] {
                          GetWindowRect(menu.Window(), &rect);
                          // Client pixels are scaled: row 2 of the panel at scale 1.5.
                          Post(WM_LBUTTONUP, 0, ClientPoint(18 + 150, 18 + static_cast<int>(1.5f * 51) + 20));
                      }});
    EXPECT_EQ(driver.Show(point, threeRows, 1.5f), 2);
    EXPECT_EQ(rect.left, point.x - 285 - 18) << "190 DIP at scale 1.5, left of the point";
    EXPECT_EQ(rect.top, point.y - 18);
    EXPECT_EQ(rect.right - rect.left, 321);
    EXPECT_EQ(rect.bottom - rect.top, 170) << "(89 + 24) x 1.5, rounded";
}

TEST_F(MenuTest, KeysMoveTheHoverAndEnterChooses) {
    std::vector<MacMenuItem> rows = {Row(1, L"一"), Separator(), Row(2, L"二"), Row(3, L"三")};
    rows[3].disabled = true;
    std::vector<int> hovers;
    MenuDriver driver(menu, {[&] {
                                 hovers.push_back(menu.HoverIndex());
                                 Post(WM_KEYDOWN, VK_UP);
                             },
                             [&] {
                                 hovers.push_back(menu.HoverIndex());
                                 Post(WM_KEYDOWN, VK_DOWN);
                             },
                             [&] {
                                 hovers.push_back(menu.HoverIndex());
                                 Post(WM_KEYDOWN, 'A');
                                 Post(WM_KEYDOWN, VK_RETURN);
                             }});
    EXPECT_EQ(driver.Show({300, 200}, rows), 1);
    EXPECT_EQ(hovers, (std::vector<int>{-1, 2, 0})) << "Up from nothing: last enabled row; Down wraps";
}

TEST_F(MenuTest, ClicksOnRowsSeparatorsAndOutside) {
    std::vector<MacMenuItem> rows = {Row(1, L"一"), Separator(), Row(2, L"二")};
    MenuDriver onRow(menu, {[&] {
                           Post(WM_LBUTTONUP, 0, RowPoint(1, 6));
                           Post(WM_LBUTTONUP, 0, ClientPoint(12 + 2, 12 + 20));
                       },
                            [&] {
                                EXPECT_TRUE(menu.IsOpen()) << "separator and side margin are ignored";
                                Post(WM_RBUTTONUP, 0, RowPoint(2, 15));
                            }});
    EXPECT_EQ(onRow.Show({300, 200}, rows), 2);
    EXPECT_TRUE(onRow.Finished());

    MenuDriver outside(menu, {[&] { Post(WM_LBUTTONUP, 0, ClientPoint(4, 4)); }});
    EXPECT_EQ(outside.Show({300, 200}, rows), 0) << "a click in the shadow margin dismisses";
    EXPECT_FALSE(outside.Escaped());

    // A window of ours that never takes the foreground, as the top bar.
    MenuDriver elsewhere(menu, {[&] { PostMessageW(window.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(5, 5)); }});
    EXPECT_EQ(elsewhere.Show({300, 200}, rows), 0);
    EXPECT_FALSE(elsewhere.Escaped()) << "a press on another window closes the menu";
}

TEST_F(MenuTest, ThePointerHoversRowsUntilItLeaves) {
    std::vector<int> hovers;
    MenuDriver driver(menu, {[&] {
                                 // The real cursor over the row, so the leave tracking agrees.
                                 SetCursorPos(300 + 100, 200 + static_cast<int>(menu.RowTops()[2]) + 15);
                                 Post(WM_MOUSEMOVE, 0, RowPoint(2, 15));
                             },
                             [&] {
                                 hovers.push_back(menu.HoverIndex());
                                 Post(WM_MOUSEMOVE, 0, RowPoint(1, 6));
                             },
                             [&] {
                                 hovers.push_back(menu.HoverIndex());
                                 Post(WM_MOUSEMOVE, 0, RowPoint(0, 15));
                             },
                             [&] {
                                 hovers.push_back(menu.HoverIndex());
                                 Post(WM_MOUSELEAVE);
                             },
                             [&] {
                                 hovers.push_back(menu.HoverIndex());
                                 Post(WM_KEYDOWN, VK_ESCAPE);
                             }});
    driver.Show({300, 200}, threeRows);
    EXPECT_EQ(hovers, (std::vector<int>{2, -1, 0, -1})) << "the separator hovers nothing";
}

TEST_F(MenuTest, EarlyDeactivationIsIgnoredButTheMenuStillClosesOnceItIsBehind) {
    const ULONGLONG shown = now;
    MenuDriver early(menu, {[&] {
                           now = shown + 50;
                           Post(WM_ACTIVATE, WA_INACTIVE);
                       },
                            [&] {
                                EXPECT_TRUE(menu.IsOpen()) << "50 ms after showing";
                                now = shown + 150;
                                menuInFront = false;
                                // No click follows: the grace timer must close it.
                            }});
    EXPECT_EQ(early.Show({300, 200}, threeRows), 0);
    EXPECT_TRUE(early.Finished());
    EXPECT_FALSE(early.Escaped()) << "closed by itself, not by a key or click";

    now = 5000;
    menuInFront = true;
    bool stayedOpen = false;
    MenuDriver frontAgain(menu, {[&] {
                                now = 5050;
                                Post(WM_ACTIVATE, WA_INACTIVE);
                            },
                                 [&] { now = 5200; }, [&] {}, [&] {}, [&] {}, [&] {},
                                 [&] {
                                     stayedOpen = menu.IsOpen();
                                     Post(WM_KEYDOWN, VK_ESCAPE);
                                 }});
    frontAgain.Show({300, 200}, threeRows);
    EXPECT_TRUE(stayedOpen) << "back in front after the grace time: no reason to close";

    now = 9000;
    MenuDriver late(menu, {[&] {
                          now = 9150;
                          Post(WM_ACTIVATE, WA_INACTIVE);
                      }});
    EXPECT_EQ(late.Show({300, 200}, threeRows), 0);
    EXPECT_FALSE(late.Escaped());
}

TEST_F(MenuTest, AQuitRequestClosesTheMenuAndReachesTheOuterLoop) {
    MenuDriver driver(menu, {[&] { PostQuitMessage(7); }});
    EXPECT_EQ(driver.Show({300, 200}, threeRows), 0);
    EXPECT_FALSE(driver.Escaped());
    EXPECT_FALSE(menu.IsOpen());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MenuTest, TheHoveredRowIsPaintedInTheComposedFrame) {
    Px hovered{}, plain{};
    int labelPixels = 0;
    MenuDriver driver(menu, {[&] { Post(WM_KEYDOWN, VK_DOWN); },
                             [&] {
                                 ASSERT_EQ(menu.HoverIndex(), 0);
                                 host.compositor.Commit();
                                 raster::Image frame = menu.Target().PresentedPixels();
                                 hovered = PixelAt(frame, 12 + 170, 12 + 7 + 20);
                                 plain = PixelAt(frame, 12 + 170, 12 + 51 + 20);
                                 // The white label of the hovered row.
                                 for (int y = 12 + 7; y < 12 + 38; ++y) {
                                     for (int x = 12 + 31; x < 12 + 31 + 30; ++x) {
                                         Px p = PixelAt(frame, x, y);
                                         if (p.r > 200 && p.g > 200) ++labelPixels;
                                     }
                                 }
                                 Post(WM_KEYDOWN, VK_ESCAPE);
                             }});
    driver.Show({300, 200}, threeRows, 1.0f, kGlassThemeDark);
    // (0.04, 0.52, 1.0) at 0.95 over the opaque dark tint (30, 33, 42).
    EXPECT_NEAR(hovered.b, 244, 3);
    EXPECT_NEAR(hovered.g, 128, 3);
    EXPECT_NEAR(hovered.r, 11, 3);
    EXPECT_EQ(hovered.a, 255);
    EXPECT_NEAR(plain.b, 42, 3) << "other rows show the tint";
    EXPECT_NEAR(plain.g, 33, 3);
    EXPECT_NEAR(plain.r, 30, 3);
    EXPECT_GT(labelPixels, 10) << "the label is drawn with a real font";
}
