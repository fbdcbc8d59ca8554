// Random and mutated input must never crash the reader, and whatever it
// accepts must come out inside the ranges the rest of the program relies on.

#include <gtest/gtest.h>

#include "config/DockConfig.h"
#include "config/JsonReader.h"
#include "config/PathText.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace {

// Bytes and tokens that matter to the grammar, so random text gets deep into it.
constexpr std::string_view kInteresting =
    "{}[]:,\"\\u0123456789.-+etrufalsn \t\r\n\x01\x7f\xc3\xa9\xff";
const char* const kTokens[] = {
    "{", "}", "[", "]", ",", "\"", "\\uD83D", "true", "null", "1e5", "99999999999",
    "-99999999999", "-.5", "400", "123456789012345678901234567890", "\"iconSize\":",
    "\"pinned\":", "\"controlCenterTiles\":", "\"hiddenTrayApps\":", "\"theme\":",
    "\"clearedNotifWatermark\":", "[[[[[[[[", "{\"a\":", "\"WiFi\"", "\"C:/X.EXE\"", "\"\""};

std::string RandomBytes(std::mt19937& rng) {
    std::string text = rng() % 2 ? "{" : "";
    for (int i = 0, n = static_cast<int>(rng() % 161); i < n; ++i) {
        text += rng() % 3 ? kInteresting[rng() % kInteresting.size()] : static_cast<char>(rng());
    }
    return text;
}

std::string Mutate(std::string text, std::mt19937& rng) {
    for (int e = 0, edits = 1 + static_cast<int>(rng() % 4); e < edits; ++e) {
        const size_t at = rng() % (text.size() + 1);
        switch (rng() % 6) {
            case 0: if (at < text.size()) text[at] = static_cast<char>(rng()); break;
            case 1: if (at < text.size()) text.erase(at, 1 + rng() % 16); break;
            case 2: if (at < text.size()) text.insert(at, text.substr(at, 1 + rng() % 40)); break;
            case 3: text.resize(at); break;
            case 4: {  // replace a number with an extreme or odd one
                const size_t start = text.find_first_of("0123456789", at);
                if (start == std::string::npos) break;
                const size_t end = std::min(text.find_first_not_of("0123456789.", start), text.size());
                text.replace(start, end - start, kTokens[9 + rng() % 6]);
                break;
            }
            default: text.insert(at, kTokens[rng() % std::size(kTokens)]); break;
        }
    }
    return text;
}

bool Normalized(const std::wstring& key) { return !key.empty() && NormalizePathKey(key) == key; }

template <typename T>
bool Unique(const std::vector<T>& list) {
    for (const T& item : list) if (std::count(list.begin(), list.end(), item) != 1) return false;
    return true;
}

// Success must give values in range that write back to the same file; failure
// must leave the output exactly as it was. Returns whether the text was accepted.
bool CheckParse(const std::string& text) {
    SCOPED_TRACE(text);
    DockConfig out;
    out.theme = 2;
    out.pinned = {{L"marker", L"m.exe", L"", L"m.exe"}};
    const DockConfig before = out;
    if (!DockConfig::FromJson(text, out)) {
        EXPECT_TRUE(out == before);
        return false;
    }
    const DockConfig& c = out;
    EXPECT_TRUE(c.iconSize >= 32.0f && c.iconSize <= 76.0f);
    EXPECT_TRUE(c.magnifyScale >= 1.0f && c.magnifyScale <= 2.0f);
    EXPECT_TRUE(c.magnifySigma >= 60.0f && c.magnifySigma <= 220.0f);
    EXPECT_TRUE(c.theme >= 0 && c.theme <= 2);
    EXPECT_TRUE(c.glassOpacity >= 0.0f && c.glassOpacity <= 0.85f);
    EXPECT_TRUE(c.allAppsTransparency >= 0.0f && c.allAppsTransparency <= 1.0f);
    EXPECT_TRUE(c.bottomMargin >= 0 && c.bottomMargin <= 48);
    EXPECT_TRUE(Unique(c.controlCenterTiles));
    for (const auto& tile : c.controlCenterTiles) EXPECT_TRUE(IsKnownControlCenterTile(tile));
    for (const PinnedApp& app : c.pinned) EXPECT_FALSE(app.path.empty() || app.appId.empty());
    EXPECT_TRUE(std::all_of(c.hiddenApps.begin(), c.hiddenApps.end(), Normalized));
    EXPECT_TRUE(std::all_of(c.hiddenTrayApps.begin(), c.hiddenTrayApps.end(), Normalized));
    EXPECT_TRUE(Unique(c.hiddenTrayApps));
    DockConfig again;
    EXPECT_TRUE(DockConfig::FromJson(DockConfig::ToJson(c), again));
    EXPECT_EQ(DockConfig::ToJson(again), DockConfig::ToJson(c));
    return true;
}

}  // namespace

TEST(ConfigFuzz, RandomAndMutatedInputNeverCrashesOrLeavesRange) {
    std::mt19937 rng(20261209);
    for (int i = 0; i < 10000; ++i) CheckParse(RandomBytes(rng));

    DockConfig rich;
    rich.iconSize = 60.0f;
    rich.clearedNotifWatermark = 133456789012345678ull;
    rich.controlCenterTiles = {L"hotspot", L"wifi", L"theme_mode"};
    rich.pinned = {{L"终端", L"C:\\Tools\\wt.exe", L"-p \"Dev\"", L"c:\\tools\\wt.exe"},
                   {L"x", L"D:/Games/G.exe", L"", L"d:\\games\\g.exe"}};
    rich.hiddenApps = {L"c:\\a.exe", L"c:\\b.exe"};
    rich.hiddenTrayApps = {L"tray.exe"};
    const std::string valid = DockConfig::ToJson(rich);
    int accepted = 0;
    for (int i = 0; i < 20000 && !HasFailure(); ++i) accepted += CheckParse(Mutate(valid, rng));
    // The mutations must reach the success path too, or the range checks prove nothing.
    EXPECT_GT(accepted, 500);
}

TEST(ConfigFuzz, ReaderOperationsStayInsideTheirData) {
    std::mt19937 rng(42);
    for (int i = 0; i < 3000; ++i) {
        const std::string text = RandomBytes(rng);
        JsonReader reader(text);
        for (int step = 0; step < 40 && reader.position < reader.size; ++step) {
            std::wstring s;
            bool b = false;
            double d = 0.0;
            switch (rng() % 5) {
                case 0: reader.Consume("{}[]:,"[rng() % 6]); break;
                case 1: reader.ReadString(s); break;
                case 2: reader.ReadBool(b); break;
                case 3: EXPECT_FALSE(reader.ReadNumber(d) && std::isnan(d)) << text; break;
                default: reader.SkipValue(); break;
            }
            ASSERT_LE(reader.position, reader.size) << text;
        }
    }
}
