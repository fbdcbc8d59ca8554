#include "config/DockConfigFields.h"

#include <array>
#include <cmath>

namespace {

using C = DockConfig;
using K = FieldKind;

const std::array<DockConfigField, 25> kFields = {{
    {"iconSize", K::Float1, &C::iconSize, kShowsNoWindow, 32, 76},
    {"magnifyEnabled", K::Bool, &C::magnifyEnabled},
    {"magnifyScale", K::Float2, &C::magnifyScale, kShowsNoWindow, 1, 2},
    {"magnifySigma", K::Float1, &C::magnifySigma, kShowsNoWindow, 60, 220},
    {"theme", K::Int, &C::theme, kShowsGlass, 0, 2, true},
    {"glassOpacity", K::Float2, &C::glassOpacity, kShowsGlass, 0, 0.85},
    {"allAppsTransparency", K::Float2, &C::allAppsTransparency, kShowsLauncherTransparency, 0, 1},
    {"hideTaskbar", K::Bool, &C::hideTaskbar, kShowsTaskbar},
    {"hideDockOnFullscreen", K::Bool, &C::hideDockOnFullscreen},
    {"autoStart", K::Bool, &C::autoStart},
    {"useMacIcons", K::Bool, &C::useMacIcons, kShowsIconStyle},
    {"showTopBar", K::Bool, &C::showTopBar, kShowsTopBar},
    {"topBarReserveSpace", K::Bool, &C::topBarReserveSpace, kShowsTopBar},
    // The bar collapses its tray itself; the setting only remembers it.
    {"topBarTrayCollapsed", K::Bool, &C::topBarTrayCollapsed},
    {"topBarOriginalTrayIcons", K::Bool, &C::topBarOriginalTrayIcons, kShowsTopBar},
    {"showLunarCalendar", K::Bool, &C::showLunarCalendar, kShowsTopBar},
    {"doNotDisturb", K::Bool, &C::doNotDisturb, kShowsTopBar},
    {"clearedNotifWatermark", K::Watermark, &C::clearedNotifWatermark},
    {"bottomMargin", K::Int, &C::bottomMargin, kShowsNoWindow, 0, 48},
    // Written before the tile list, although they follow it in the structure.
    {"ccShowBrightness", K::Bool, &C::ccShowBrightness, kShowsTopBar},
    {"ccShowVolume", K::Bool, &C::ccShowVolume, kShowsTopBar},
    {"controlCenterTiles", K::Tiles, &C::controlCenterTiles, kShowsTopBar},
    {"pinned", K::Pinned, &C::pinned},
    {"hiddenApps", K::Keys, &C::hiddenApps},
    {"hiddenTrayApps", K::UniqueKeys, &C::hiddenTrayApps, kShowsTopBar},
}};

}  // namespace

std::span<const DockConfigField> DockConfigFields() { return kFields; }

const DockConfigField* FindDockConfigField(std::wstring_view name) {
    for (const DockConfigField& field : kFields) {
        const std::string_view own = field.name;
        if (own.size() == name.size() && std::equal(own.begin(), own.end(), name.begin())) return &field;
    }
    return nullptr;
}

bool FieldDiffers(const DockConfigField& field, const DockConfig& a, const DockConfig& b) {
    return std::visit(
        [&](auto member) {
            if constexpr (std::is_same_v<decltype(member), float DockConfig::*>) {
                // Steps below what the file keeps are no change.
                return std::fabs(a.*member - b.*member) > (field.kind == FieldKind::Float1 ? 0.05f : 0.005f);
            } else {
                return !(a.*member == b.*member);
            }
        },
        field.member);
}
