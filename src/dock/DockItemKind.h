#pragma once
// What a dock slot is. The values are stable: the layout receives them as plain
// integers, so it can be computed and tested without the model.

#include <cstdint>

enum class DockItemKind : int32_t {
    Launchpad = 0,   // the all-apps item, always first
    App = 1,         // a pinned or running application
    Separator = 2,   // between the applications and the recycle bin
    RecycleBin = 3,  // always after the separator
    Settings = 4,    // drawn and activated by the dock; the model never creates one
};
