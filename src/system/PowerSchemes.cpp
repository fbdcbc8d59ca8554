#include "system/PowerSchemes.h"

#include <algorithm>

namespace vantreel {
namespace {

constexpr wchar_t kFallbackSchemeName[] = L"电源方案";

PowerModeInfo Summarise(const std::vector<PowerScheme>& schemes) {
    PowerModeInfo info;
    if (schemes.empty()) return info;
    info.found = true;
    const auto active = std::find_if(schemes.begin(), schemes.end(), [](const PowerScheme& s) { return s.active; });
    if (active == schemes.end()) {
        info.name = schemes.front().name;
        return info;
    }
    info.name = active->name;
    info.highPerformance =
        active->kind == PowerSchemeKind::HighPerformance || active->kind == PowerSchemeKind::Ultimate;
    return info;
}

}  // namespace

PowerSchemeKind PowerSchemeKindFor(std::wstring_view name) {
    for (const PowerSchemeKeyword& keyword : kPowerSchemeKeywords)
        if (name.find(keyword.text) != std::wstring_view::npos) return keyword.kind;
    return PowerSchemeKind::Other;
}

void SortPowerSchemes(std::vector<PowerScheme>& schemes) {
    std::sort(schemes.begin(), schemes.end(), [](const PowerScheme& a, const PowerScheme& b) {
        if (a.kind != b.kind) return static_cast<int32_t>(a.kind) < static_cast<int32_t>(b.kind);
        return a.name < b.name;
    });
}

std::vector<PowerScheme> EnumeratePowerSchemes() { return EnumeratePowerSchemes(SystemPowrProfApi()); }

std::vector<PowerScheme> EnumeratePowerSchemes(const PowrProfApi& api) {
    const std::optional<GUID> activeGuid = api.activeScheme();
    std::vector<PowerScheme> schemes;
    for (ULONG index = 0; index < kMaxPowerSchemes; ++index) {
        const std::optional<GUID> guid = api.scheme(index);
        if (!guid) break;
        std::wstring name = api.friendlyName(*guid).value_or(std::wstring());
        if (name.empty()) name = kFallbackSchemeName;
        const bool active = activeGuid && IsEqualGUID(*activeGuid, *guid);
        // One entry per name: the first keeps its place and kind, and takes
        // the GUID of a later namesake that is the active one.
        auto same = std::find_if(schemes.begin(), schemes.end(), [&](const PowerScheme& s) { return s.name == name; });
        if (same != schemes.end()) {
            if (active) {
                same->guid = *guid;
                same->active = true;
            }
            continue;
        }
        schemes.push_back({*guid, name, active, PowerSchemeKindFor(name)});
    }
    SortPowerSchemes(schemes);
    return schemes;
}

PowerModeInfo GetActivePowerSchemeSummary() { return Summarise(EnumeratePowerSchemes()); }

PowerModeInfo GetActivePowerSchemeSummary(const PowrProfApi& api) { return Summarise(EnumeratePowerSchemes(api)); }

}  // namespace vantreel
