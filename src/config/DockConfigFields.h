#pragma once
// Every member of DockConfig once, in the order the file writes them: the one
// list that reading, writing, merging and comparing configurations go by, so
// a new setting is added in one place and none of them can miss it.

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "config/DockConfig.h"

enum class FieldKind : uint8_t {
    Bool,
    Float1,  // written with one decimal
    Float2,  // written with two decimals
    Int,
    Watermark,  // an unsigned 64-bit time, written quoted
    Tiles,      // known control-center tile ids, each once; one setting as a whole
    Pinned,
    Keys,        // application keys, normalised
    UniqueKeys,  // application keys, normalised, each once
};

// What a change of the field shows in, so the dock re-applies only that.
enum FieldShows : uint8_t {
    kShowsNoWindow = 0,
    kShowsGlass = 1,
    kShowsIconStyle = 2,
    kShowsLauncherTransparency = 4,
    kShowsTopBar = 8,
    kShowsTaskbar = 16,
};

using FieldMember = std::variant<bool DockConfig::*, float DockConfig::*, int32_t DockConfig::*, uint64_t DockConfig::*,
                                 std::vector<std::wstring> DockConfig::*, std::vector<PinnedApp> DockConfig::*>;

struct DockConfigField {
    const char* name;
    FieldKind kind;
    FieldMember member;
    uint8_t shows = kShowsNoWindow;
    // Numbers: the range a value is brought into. resetOutside: a value out of
    // range becomes `low` rather than the nearer bound.
    double low = 0, high = 0;
    bool resetOutside = false;
};

std::span<const DockConfigField> DockConfigFields();

// The field of that name, or null.
const DockConfigField* FindDockConfigField(std::wstring_view name);

// Whether the field differs between a and b, by the precision it is written with.
bool FieldDiffers(const DockConfigField& field, const DockConfig& a, const DockConfig& b);
