#pragma once
// One row of the glass context menu, built by the caller.

#include <cstdint>
#include <string>
#include <utility>

struct MacMenuItem {
    int32_t id = 0;  // returned by MacMenuWindow::ShowModal when chosen
    std::wstring label;
    bool separator = false;     // a thin divider; never hoverable
    bool disabled = false;      // drawn dim; skipped by hover, keys and clicks
    bool destructive = false;   // red text and red hover fill
    bool checked = false;       // a check mark left of the label
    std::wstring trailingText;  // right-aligned secondary text; empty for none
};

// The rows every menu builds the same way: a label that can be chosen unless
// `enabled` is false, red when choosing it destroys something.
inline MacMenuItem MenuRow(int32_t id, std::wstring label, bool enabled = true, bool destructive = false) {
    MacMenuItem row;
    row.id = id;
    row.label = std::move(label);
    row.disabled = !enabled;
    row.destructive = destructive;
    return row;
}

inline MacMenuItem MenuSeparator() {
    MacMenuItem row;
    row.separator = true;
    return row;
}
