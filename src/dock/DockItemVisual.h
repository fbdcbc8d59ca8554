#pragma once
// The composition state of one dock item.

#include <cstdint>
#include <string>

#include "render/comp/Compositor.h"

struct DockItemVisual {
    uint64_t id = 0;
    comp::ContainerVisual container{nullptr};
    comp::SpriteVisual icon{nullptr};
    comp::SpriteVisual indicator{nullptr};
    comp::SpriteVisual separator{nullptr};  // separator items only
    std::wstring iconKey;                   // empty: fetch the surface again
    bool binFull = false;
    bool missing = false;  // no surface yet; a request is outstanding
    // The surface shown is not the one wanted (another size, or one that has
    // arrived): it stays, scaled, until a later frame looks the icon up.
    bool stale = false;
};
