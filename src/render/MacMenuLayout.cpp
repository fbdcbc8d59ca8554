#include "render/MacMenuLayout.h"

#include <algorithm>
#include <cmath>

bool IsMenuRowSelectable(const MacMenuItem& row) { return !row.separator && !row.disabled; }

MenuRowLayout StackMenuRows(const std::vector<MacMenuItem>& rows) {
    MenuRowLayout layout;
    float y = kMenuPaddingDip;
    for (const auto& row : rows) {
        const float height = row.separator ? kMenuSeparatorHeightDip : kMenuRowHeightDip;
        layout.tops.push_back(y);
        layout.heights.push_back(height);
        y += height;
    }
    layout.height = y + kMenuPaddingDip;
    return layout;
}

float MenuWidthForText(float widestText) {
    const float text = std::max(widestText, 120.0f);
    return std::clamp(std::ceil(text) + 52.0f, kMenuMinWidthDip, kMenuMaxWidthDip);
}

int HitTestMenuRow(const std::vector<MacMenuItem>& rows, const MenuRowLayout& layout, float menuWidth, float x,
                   float y) {
    if (x < 5.0f || x > menuWidth - 5.0f) return -1;
    for (size_t i = 0; i < rows.size() && i < layout.tops.size(); ++i) {
        if (!IsMenuRowSelectable(rows[i])) continue;
        if (layout.tops[i] <= y && y < layout.tops[i] + layout.heights[i]) return static_cast<int>(i);
    }
    return -1;
}

int StepMenuHover(const std::vector<MacMenuItem>& rows, int hover, bool down) {
    const int count = static_cast<int>(rows.size());
    if (count == 0) return -1;
    int index;
    if (hover < 0 || hover >= count) {
        index = down ? 0 : count - 1;
    } else {
        index = down ? (hover + 1) % count : (hover - 1 + count) % count;
    }
    for (int tried = 0; tried < count; ++tried) {
        if (IsMenuRowSelectable(rows[index])) return index;
        index = down ? (index + 1) % count : (index - 1 + count) % count;
    }
    return -1;
}

POINT PlaceMenuPanel(POINT point, SIZE panel, const RECT& monitor) {
    POINT at = point;
    if (at.x + panel.cx > monitor.right - 8) at.x = std::max<LONG>(monitor.left + 8, at.x - panel.cx);
    if (at.y + panel.cy > monitor.bottom - 8) at.y = std::max<LONG>(monitor.top + 8, at.y - panel.cy);
    return at;
}
