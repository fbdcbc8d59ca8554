#include "topbar/TopBarLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Keeps the two running edges of one layout pass.
struct RowBuilder {
    std::vector<TopBarItem> items;
    float leftX = 8.0f;
    float rightX = 0.0f;

    void AppendLeft(int32_t id, float width, std::wstring label) {
        items.push_back({id, leftX, leftX + width, std::move(label), false});
        leftX += width + 2.0f;
    }

    // An item that does not fit still takes its place, so everything further
    // left is dropped with it: the row never skips a wide item to fit a narrow one.
    void PrependRight(int32_t id, float width, std::wstring label) {
        const float left = rightX - width;
        if (left > leftX + 8.0f) items.push_back({id, left, rightX, std::move(label), true});
        rightX = left - 2.0f;
    }
};

}  // namespace

std::vector<TopBarItem> LayoutTopBarItems(const TopBarLayoutInput& input, const TopBarMeasure& measure) {
    RowBuilder row;
    const std::wstring name = input.appName.empty() ? std::wstring(L"桌面") : input.appName;
    const float nameWidth = std::clamp(std::ceil(measure(name, 600, 13.2f, 200.0f)) + 18.0f, 52.0f, 210.0f);
    row.AppendLeft(kTopBarLogo, 36.0f, L"");
    row.AppendLeft(kTopBarAppName, nameWidth, name);
    row.AppendLeft(kTopBarWindowMenu, 44.0f, L"窗口");
    row.AppendLeft(kTopBarGoMenu, 44.0f, L"前往");

    row.rightX = input.barWidthDip - 8.0f;
    const float clockWidth =
        std::clamp(std::ceil(measure(input.clockText, 500, 13.0f, 220.0f)) + 14.0f, 114.0f, 230.0f);
    row.PrependRight(kTopBarClock, clockWidth, input.clockText);
    row.PrependRight(kTopBarNotifications, 28.0f, L"");
    row.PrependRight(kTopBarControlCenter, 30.0f, L"");
    if (input.hasBattery) row.PrependRight(kTopBarBattery, 58.0f, L"");
    if (input.bluetoothPresent) row.PrependRight(kTopBarBluetooth, 28.0f, L"");
    row.PrependRight(kTopBarNetwork, 28.0f, L"");
    row.PrependRight(kTopBarSound, 28.0f, L"");
    row.PrependRight(kTopBarInputMethod, 30.0f, input.inputIndicator);

    row.rightX -= 6.0f;
    if (!input.trayCollapsed && !input.trayNames.empty()) {
        const size_t shown = std::min(input.trayNames.size(), kTopBarMaxTrayIcons);
        for (size_t i = shown; i-- > 0;) {
            row.PrependRight(kTopBarTrayIconBase + static_cast<int32_t>(i), 26.0f, input.trayNames[i]);
        }
        if (input.trayNames.size() > kTopBarMaxTrayIcons) row.PrependRight(kTopBarTrayOverflow, 24.0f, L"");
    }
    row.PrependRight(kTopBarTrayToggle, 22.0f, L"");
    return std::move(row.items);
}

std::wstring DescribeTopBarItems(const std::vector<TopBarItem>& items) {
    std::wstring text;
    for (const auto& item : items) {
        text += std::to_wstring(item.id) + L":" + std::to_wstring(static_cast<long long>(item.left)) + L"-" +
                std::to_wstring(static_cast<long long>(item.right)) + L" ";
    }
    return text;
}

int HitTestTopBarItems(const std::vector<TopBarItem>& items, float x, float y) {
    if (y < 0.0f || y > 32.0f) return -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].left <= x && x <= items[i].right) return static_cast<int>(i);
    }
    return -1;
}
