#pragma once
// One row of the glass context menu, built by the caller.

#include <cstdint>
#include <string>

struct MacMenuItem {
    int32_t id = 0;             // returned by MacMenuWindow::ShowModal when chosen
    std::wstring label;
    bool separator = false;     // a thin divider; never hoverable
    bool disabled = false;      // drawn dim; skipped by hover, keys and clicks
    bool destructive = false;   // red text and red hover fill
    bool checked = false;       // a check mark left of the label
    std::wstring trailingText;  // right-aligned secondary text; empty for none
};
