// The bar's row of items: exact places without a text measurer, measured
// widths, dropping on narrow bars, the layout's log line and hit testing.
#include <gtest/gtest.h>

#include <string>

#include "platform/Log.h"
#include "support/TestSupport.h"
#include "topbar/TopBarLayout.h"
#include "topbar/TopBarWindow.h"

namespace {

TrayIconInfo Icon(const std::wstring& name) {
    TrayIconInfo icon;
    icon.key = L"c:\\apps\\" + name + L".exe";
    icon.displayName = name;
    icon.exePath = icon.key;
    return icon;
}

std::vector<std::wstring> Names(size_t count) {
    std::vector<std::wstring> names;
    for (size_t i = 0; i < count; ++i) names.push_back(L"app" + std::to_wstring(i));
    return names;
}

float Sixty(const std::wstring&, int32_t, float, float) { return 60.0f; }

}  // namespace

TEST(TopBarLayout, BarWithoutTextFactoryLogsExactPlaces) {
    const std::wstring logPath = ExecutableDirectory() + L"\\vantreel.log";
    DeleteFileW(logPath.c_str());
    InitializeLog(true);
    TopBarWindow bar;  // no graphics device: every label measures 60 DIPs
    bar.barWidthDip = 1920.0f;
    bar.trayIcons = {Icon(L"one"), Icon(L"two")};
    bar.RebuildTrayItems();
    bar.Layout();
    InitializeLog(false);
    auto bytes = testing_support::ReadFileBytes(logPath);
    const std::string log(bytes.begin(), bytes.end());
    EXPECT_NE(log.find("TopBar layout: scale=1.00 barW=1920 items=13 [1:8-44 2:46-124 3:126-170 4:172-216 "
                       "12:1798-1912 13:1768-1796 11:1736-1766 8:1706-1734 7:1676-1704 5:1644-1674 "
                       "101:1610-1636 100:1582-1608 14:1558-1580 ]"),
              std::string::npos)
        << log;
    ASSERT_EQ(bar.items.size(), 13u);
    EXPECT_EQ(bar.items[1].label, L"桌面") << "the desktop when no application is named";
    EXPECT_EQ(bar.items[2].label, L"窗口");
    EXPECT_EQ(bar.items[3].label, L"前往");
    EXPECT_EQ(bar.items[11].label, L"one");
    EXPECT_FALSE(bar.items[3].rightSide);
    EXPECT_TRUE(bar.items[4].rightSide);
}

TEST(TopBarLayout, WideScaledBarWithManyTrayIconsAndANarrowOne) {
    TopBarLayoutInput input;
    input.barWidthDip = 1280.0f;
    input.hasBattery = true;
    input.bluetoothPresent = true;
    input.trayNames = Names(9);
    auto items = LayoutTopBarItems(input, Sixty);
    EXPECT_EQ(items.size(), 20u);
    EXPECT_EQ(DescribeTopBarItems({items.begin() + 12, items.end()}),
              L"105:880-906 104:852-878 103:824-850 102:796-822 101:768-794 100:740-766 15:714-738 14:690-712 ");

    input.barWidthDip = 640.0f;
    input.trayNames = Names(3);
    items = LayoutTopBarItems(input, Sixty);
    EXPECT_EQ(DescribeTopBarItems(items),
              L"1:8-44 2:46-124 3:126-170 4:172-216 12:518-632 13:488-516 11:456-486 10:396-454 9:366-394 "
              L"8:336-364 7:306-334 5:274-304 102:240-266 ")
        << "the first tray icon that does not fit ends the row, toggle included";

    input.trayCollapsed = true;
    input.trayNames = Names(9);
    input.barWidthDip = 1920.0f;
    items = LayoutTopBarItems(input, Sixty);
    for (const auto& item : items) EXPECT_LT(item.id, kTopBarTrayOverflow) << "no tray icon and no overflow";
    EXPECT_EQ(items.back().id, kTopBarTrayToggle) << "the toggle stays while the tray is collapsed";
}

TEST(TopBarLayout, MeasuredWidthsAreClamped) {
    float nameWidth = 30.0f;
    float clockWidth = 96.3f;
    auto measure = [&](const std::wstring& text, int32_t weight, float size, float maxWidth) {
        if (text == L"12月9日 周二  07:12") {
            EXPECT_EQ(weight, 500);
            EXPECT_FLOAT_EQ(size, 13.0f);
            EXPECT_FLOAT_EQ(maxWidth, 220.0f);
            return clockWidth;
        }
        EXPECT_EQ(weight, 600);
        EXPECT_FLOAT_EQ(size, 13.2f);
        EXPECT_FLOAT_EQ(maxWidth, 200.0f);
        return nameWidth;
    };
    TopBarLayoutInput input;
    input.barWidthDip = 1920.0f;
    input.appName = L"记事本";
    input.clockText = L"12月9日 周二  07:12";
    auto items = LayoutTopBarItems(input, measure);
    EXPECT_FLOAT_EQ(items[1].right - items[1].left, 52.0f);
    EXPECT_FLOAT_EQ(items[4].right - items[4].left, 114.0f) << "ceil(96.3) + 14 is raised to 114";
    nameWidth = 300.0f;
    clockWidth = 250.0f;
    items = LayoutTopBarItems(input, measure);
    EXPECT_FLOAT_EQ(items[1].right - items[1].left, 210.0f);
    EXPECT_FLOAT_EQ(items[4].right - items[4].left, 230.0f);
}

TEST(TopBarLayout, HitTestingHonoursTheBandAndTheGaps) {
    TopBarLayoutInput input;
    input.barWidthDip = 1920.0f;
    auto items = LayoutTopBarItems(input, Sixty);
    EXPECT_EQ(HitTestTopBarItems(items, 20.0f, 32.0f), 0);
    EXPECT_EQ(HitTestTopBarItems(items, 20.0f, 32.5f), -1);
    EXPECT_EQ(HitTestTopBarItems(items, 20.0f, -0.5f), -1);
    EXPECT_EQ(HitTestTopBarItems(items, 45.0f, 10.0f), -1) << "the 2-DIP gap between items 1 and 2";
    EXPECT_EQ(HitTestTopBarItems(items, 44.0f, 10.0f), 0) << "edges belong to the item";
    EXPECT_EQ(HitTestTopBarItems(items, 1800.0f, 0.0f), 4);
}
