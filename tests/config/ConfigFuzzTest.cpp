// Random and mutated input must never crash the reader, and whatever it
// accepts must come out inside the ranges the rest of the program relies on.

#include <gtest/gtest.h>

#include "config/DockConfig.h"
#include "config/JsonReader.h"
#include "config/Paths.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace {

// Bytes that matter to the grammar, so random text often gets deep into it.
constexpr std::string_view kInteresting =
    "{}[]:,\"\\u0123456789.-+etrufalsn \t\r\n\x01\x7f\xc3\xa9\xff";
const char* const kTokens[] = {
    "{", "}", "[", "]", ":", ",", "\"", "\\", "\\u", "\\uD83D", "true", "false", "null", "-",
    ".", "1e5", "99999999999", "-99999999999", "0.5", "\"iconSize\":", "\"pinned\":",
    "\"controlCenterTiles\":", "\"hiddenTrayApps\":", "\"clearedNotifWatermark\":", "\"theme\":",
    "[[[[[[[[", "{\"a\":", "\"WiFi\"", "\"C:/X.EXE\"", "\"\"", "1", "-1"};

std::string RandomBytes(std::mt19937& rng) {
    std::uniform_int_distribution<int> length(0, 160);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<size_t> pick(0, kInteresting.size() - 1);
    std::string text;
    const int n = length(rng);
    for (int i = 0; i < n; ++i) {
        text += (rng() % 3 == 0) ? static_cast<char>(any(rng)) : kInteresting[pick(rng)];
    }
    if (rng() % 2 == 0) text.insert(0, "{");
    return text;
}

const char* const kNumbers[] = {"-99999999999", "99999999999", "3",    "7",   "-1",
                                "1e5",          "0.0001",      "400",  "-.5", "2.9",
                                "123456789012345678901234567890", "-0", "60."};

// Replaces the first number at or after `at` with an extreme or odd one.
void ReplaceNumber(std::string& text, size_t at, std::mt19937& rng) {
    const size_t start = text.find_first_of("0123456789", at);
    if (start == std::string::npos) return;
    const size_t end = text.find_first_not_of("0123456789.", start);
    text.replace(start, (end == std::string::npos ? text.size() : end) - start,
                 kNumbers[rng() % std::size(kNumbers)]);
}

std::string Mutate(std::string text, std::mt19937& rng) {
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
        const size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
        switch (rng() % 7) {
            case 5:
            case 6:
                ReplaceNumber(text, at, rng);
                break;
            case 0:  // overwrite one byte
                if (at < text.size()) text[at] = static_cast<char>(rng() & 0xFF);
                break;
            case 1:  // insert a token
                text.insert(at, kTokens[rng() % std::size(kTokens)]);
                break;
            case 2:  // delete a short range
                if (at < text.size()) text.erase(at, 1 + rng() % 16);
                break;
            case 3:  // duplicate a short range
                if (at < text.size()) text.insert(at, text.substr(at, 1 + rng() % 40));
                break;
            default:  // cut the rest
                text.resize(at);
                break;
        }
    }
    return text;
}

bool IsNormalized(const std::wstring& key) { return NormalizePathKey(key) == key; }

void ExpectInRange(const DockConfig& c, const std::string& text) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(c.iconSize >= 32.0f && c.iconSize <= 76.0f);
    EXPECT_TRUE(c.magnifyScale >= 1.0f && c.magnifyScale <= 2.0f);
    EXPECT_TRUE(c.magnifySigma >= 60.0f && c.magnifySigma <= 220.0f);
    EXPECT_TRUE(c.theme >= 0 && c.theme <= 2);
    EXPECT_TRUE(c.glassOpacity >= 0.0f && c.glassOpacity <= 0.85f);
    EXPECT_TRUE(c.allAppsTransparency >= 0.0f && c.allAppsTransparency <= 1.0f);
    EXPECT_TRUE(c.bottomMargin >= 0 && c.bottomMargin <= 48);
    for (size_t i = 0; i < c.controlCenterTiles.size(); ++i) {
        EXPECT_TRUE(IsKnownControlCenterTile(c.controlCenterTiles[i]));
        EXPECT_EQ(std::count(c.controlCenterTiles.begin(), c.controlCenterTiles.end(),
                             c.controlCenterTiles[i]),
                  1);
    }
    for (const PinnedApp& app : c.pinned) {
        EXPECT_FALSE(app.path.empty());
        EXPECT_FALSE(app.appId.empty());
    }
    for (const std::wstring& key : c.hiddenApps) {
        EXPECT_FALSE(key.empty());
        EXPECT_TRUE(IsNormalized(key));
    }
    for (const std::wstring& key : c.hiddenTrayApps) {
        EXPECT_FALSE(key.empty());
        EXPECT_TRUE(IsNormalized(key));
        EXPECT_EQ(std::count(c.hiddenTrayApps.begin(), c.hiddenTrayApps.end(), key), 1);
    }
}

// Parses text into a marked output: success must give valid values, failure
// must leave the output exactly as it was.
void CheckParse(const std::string& text) {
    DockConfig out;
    out.theme = 2;
    out.pinned = {{L"marker", L"m.exe", L"", L"m.exe"}};
    const std::string before = DockConfig::ToJson(out);
    if (DockConfig::FromJson(text, out)) {
        ExpectInRange(out, text);
        // Whatever was accepted writes back to a file that reads the same.
        DockConfig again;
        ASSERT_TRUE(DockConfig::FromJson(DockConfig::ToJson(out), again)) << text;
        EXPECT_EQ(DockConfig::ToJson(again), DockConfig::ToJson(out)) << text;
    } else {
        EXPECT_EQ(DockConfig::ToJson(out), before) << text;
    }
}

DockConfig RichConfig() {
    DockConfig c;
    c.iconSize = 60.0f;
    c.theme = 1;
    c.clearedNotifWatermark = 133456789012345678ull;
    c.controlCenterTiles = {L"hotspot", L"wifi", L"theme_mode"};
    c.pinned = {{L"终端", L"C:\\Tools\\wt.exe", L"-p \"Dev\"", L"c:\\tools\\wt.exe"},
                {L"x", L"D:/Games/G.exe", L"", L"d:\\games\\g.exe"}};
    c.hiddenApps = {L"c:\\a.exe", L"c:\\b.exe"};
    c.hiddenTrayApps = {L"tray.exe"};
    return c;
}

}  // namespace

TEST(ConfigFuzz, RandomBytesNeverCrashOrLeaveRange) {
    std::mt19937 rng(20261209);
    for (int i = 0; i < 10000; ++i) CheckParse(RandomBytes(rng));
}

TEST(ConfigFuzz, MutatedFilesNeverCrashOrLeaveRange) {
    std::mt19937 rng(1234567);
    const std::string valid = DockConfig::ToJson(RichConfig());
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = Mutate(valid, rng);
        DockConfig probe;
        if (DockConfig::FromJson(text, probe)) ++accepted;
        CheckParse(text);
        if (HasFatalFailure()) return;
    }
    // The mutations must exercise the success path too, or the range checks prove nothing.
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
                case 3:
                    if (reader.ReadNumber(d)) {
                        EXPECT_FALSE(std::isnan(d)) << text;
                    }
                    break;
                default: reader.SkipValue(); break;
            }
            ASSERT_LE(reader.position, reader.size) << text;
        }
    }
}
