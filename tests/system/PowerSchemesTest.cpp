#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "system/KeepAwake.h"
#include "system/PowerSchemes.h"

using vantreel::EnumeratePowerSchemes;
using vantreel::GetActivePowerSchemeSummary;
using vantreel::PowerScheme;
using vantreel::PowerSchemeKind;
using vantreel::PowrProfApi;

namespace {

GUID Guid(unsigned n) { return {0x381b4222u + n, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}}; }

// The system's schemes in its order; a name of nothing cannot be read.
struct RecordedPowrProf {
    std::vector<std::optional<std::wstring>> names;
    std::optional<unsigned> active;  // index into names
    ULONG highestIndexAsked = 0;

    PowrProfApi Api() {
        PowrProfApi api;
        api.activeScheme = [this]() -> std::optional<GUID> {
            if (!active) return std::nullopt;
            return Guid(*active);
        };
        api.scheme = [this](ULONG index) -> std::optional<GUID> {
            highestIndexAsked = std::max(highestIndexAsked, index);
            if (index >= names.size()) return std::nullopt;
            return Guid(index);
        };
        api.friendlyName = [this](const GUID& guid) { return names.at(guid.Data1 - 0x381b4222u); };
        return api;
    }
};

struct Listed {
    std::wstring name;
    int kind;
    bool active;
    bool operator==(const Listed&) const = default;
};

std::vector<Listed> List(RecordedPowrProf& powrProf) {
    std::vector<Listed> listed;
    for (const PowerScheme& scheme : EnumeratePowerSchemes(powrProf.Api()))
        listed.push_back({scheme.name, static_cast<int>(scheme.kind), scheme.active});
    return listed;
}

}  // namespace

TEST(PowerSchemes, KindsFromNamesSortTheList) {
    RecordedPowrProf chinese{{L"高性能", L"节能", L"平衡"}, 2u};
    EXPECT_EQ(List(chinese),
              (std::vector<Listed>{{L"节能", 0, false}, {L"平衡", 1, true}, {L"高性能", 2, false}}));

    RecordedPowrProf english{{L"My plan", L"Power saver", L"Ultimate Performance", L"High performance", L"Balanced"}, std::nullopt};
    EXPECT_EQ(List(english), (std::vector<Listed>{{L"Balanced", 1, false},
                                                  {L"High performance", 2, false},
                                                  {L"Ultimate Performance", 3, false},
                                                  {L"My plan", 10, false},
                                                  {L"Power saver", 10, false}}));
    EXPECT_EQ(vantreel::PowerSchemeKindFor(L"平衡 High"), PowerSchemeKind::Balanced) << "first keyword in table order";
}

TEST(PowerSchemes, NamesAreUniqueAndTheActiveNamesakeLeavesItsGuid) {
    RecordedPowrProf twice{{L"平衡", L"平衡"}, 1u};
    const auto schemes = EnumeratePowerSchemes(twice.Api());
    ASSERT_EQ(schemes.size(), 1u);
    EXPECT_TRUE(schemes[0].active);
    EXPECT_TRUE(IsEqualGUID(schemes[0].guid, Guid(1)));

    RecordedPowrProf unreadable{{std::nullopt, std::wstring()}, std::nullopt};
    EXPECT_EQ(List(unreadable), (std::vector<Listed>{{L"电源方案", 10, false}}));
}

TEST(PowerSchemes, AtMost32AreAsked) {
    RecordedPowrProf many;
    for (int i = 0; i < 40; ++i) many.names.push_back(L"Plan " + std::to_wstring(100 + i));
    EXPECT_EQ(EnumeratePowerSchemes(many.Api()).size(), 32u);
    EXPECT_EQ(many.highestIndexAsked, 31u);
}

TEST(PowerSchemes, SummaryOfTheActiveOrTheFirstScheme) {
    RecordedPowrProf ultimate{{L"平衡", L"卓越性能"}, 1u};
    auto info = GetActivePowerSchemeSummary(ultimate.Api());
    EXPECT_TRUE(info.found);
    EXPECT_EQ(info.name, L"卓越性能");
    EXPECT_TRUE(info.highPerformance);

    RecordedPowrProf noneActive{{L"高性能", L"平衡"}, std::nullopt};
    info = GetActivePowerSchemeSummary(noneActive.Api());
    EXPECT_TRUE(info.found);
    EXPECT_EQ(info.name, L"平衡") << "the first after sorting";
    EXPECT_FALSE(info.highPerformance);

    RecordedPowrProf none;
    info = GetActivePowerSchemeSummary(none.Api());
    EXPECT_FALSE(info.found);
    EXPECT_TRUE(info.name.empty());
    EXPECT_FALSE(info.highPerformance);
}

TEST(KeepAwake, RequestsAndReleases) {
    std::vector<EXECUTION_STATE> asked;
    EXECUTION_STATE answer = ES_CONTINUOUS;
    auto call = [&](EXECUTION_STATE state) {
        asked.push_back(state);
        return answer;
    };
    KeepAwakeFlag = false;
    EXPECT_TRUE(vantreel::SetKeepAwake(true, call));
    EXPECT_TRUE(vantreel::SetKeepAwake(true, call));
    EXPECT_TRUE(KeepAwakeFlag.load());
    EXPECT_EQ(asked[0], static_cast<EXECUTION_STATE>(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED));

    answer = 0;  // refused
    KeepAwakeFlag = false;
    EXPECT_FALSE(vantreel::SetKeepAwake(true, call));
    EXPECT_FALSE(KeepAwakeFlag.load()) << "the flag keeps its value";
    KeepAwakeFlag = true;
    EXPECT_TRUE(vantreel::SetKeepAwake(false, call)) << "a release always counts";
    EXPECT_FALSE(KeepAwakeFlag.load());
    EXPECT_EQ(asked.back(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
}

TEST(PowerOnThisMachine, KeepAwakeWorksAndNoSchemesAreListed) {
    EXPECT_TRUE(vantreel::SetKeepAwake(true));
    EXPECT_TRUE(KeepAwakeFlag.load());
    EXPECT_TRUE(vantreel::SetKeepAwake(false));
    EXPECT_FALSE(KeepAwakeFlag.load());

    EXPECT_TRUE(EnumeratePowerSchemes().empty());
    EXPECT_FALSE(GetActivePowerSchemeSummary().found);
}
