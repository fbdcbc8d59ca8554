#pragma once
// The power schemes behind the control center's power-mode tile: the list of
// the system's schemes with a kind read from their names, and the summary the
// tile shows. Synchronous, logging nothing, never throwing.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantreel {

enum class PowerSchemeKind : int32_t { Saver = 0, Balanced = 1, HighPerformance = 2, Ultimate = 3, Other = 10 };

// The keywords that give a scheme its kind, tested in this order; the first
// that occurs in the name (case-sensitive) wins.
struct PowerSchemeKeyword {
    std::wstring_view text;
    PowerSchemeKind kind;
};
inline constexpr PowerSchemeKeyword kPowerSchemeKeywords[] = {
    {L"节能", PowerSchemeKind::Saver},
    {L"Saver", PowerSchemeKind::Saver},
    {L"平衡", PowerSchemeKind::Balanced},
    {L"Balanced", PowerSchemeKind::Balanced},
    {L"高性能", PowerSchemeKind::HighPerformance},
    {L"High", PowerSchemeKind::HighPerformance},
    {L"卓越", PowerSchemeKind::Ultimate},
    {L"Ultimate", PowerSchemeKind::Ultimate},
};

// At most this many schemes are listed.
inline constexpr ULONG kMaxPowerSchemes = 32;

struct PowerScheme {
    GUID guid{};
    std::wstring name;  // "电源方案" when it cannot be read or is empty
    bool active = false;
    PowerSchemeKind kind = PowerSchemeKind::Other;
};

// What the power-mode tile shows.
struct PowerModeInfo {
    bool found = false;            // at least one scheme was listed
    std::wstring name;             // the active scheme's, else the first listed one's
    bool highPerformance = false;  // the active scheme is high performance or ultimate
};

// The PowrProf calls, replaceable to record their answers.
struct PowrProfApi {
    std::function<std::optional<GUID>()> activeScheme;                     // nothing on failure
    std::function<std::optional<GUID>(ULONG index)> scheme;                // nothing past the last one or on failure
    std::function<std::optional<std::wstring>(const GUID&)> friendlyName;  // nothing when unreadable
};

// The real calls; one object for the process, never destroyed.
const PowrProfApi& SystemPowrProfApi();

PowerSchemeKind PowerSchemeKindFor(std::wstring_view name);

// Kind ascending, then name in code-unit order.
void SortPowerSchemes(std::vector<PowerScheme>& schemes);

// At most kMaxPowerSchemes, names unique, at most one active, sorted.
std::vector<PowerScheme> EnumeratePowerSchemes();
std::vector<PowerScheme> EnumeratePowerSchemes(const PowrProfApi& api);

PowerModeInfo GetActivePowerSchemeSummary();
PowerModeInfo GetActivePowerSchemeSummary(const PowrProfApi& api);

}  // namespace vantreel
