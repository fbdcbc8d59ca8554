#include <gtest/gtest.h>

#include "config/ConfigMerge.h"
#include "config/DockConfig.h"
#include "config/DockConfigFields.h"
#include "config/PathText.h"
#include "TestFiles.h"

#include <string>

namespace {

DockConfig MustParse(std::string_view text) {
    DockConfig config;
    EXPECT_TRUE(DockConfig::FromJson(text, config)) << text;
    return config;
}

using Ids = std::vector<std::wstring>;

// The checked-in golden file. Its folder comes from the build: a compiler cache
// may hand the compiler a relative source path, which makes __FILE__ useless here.
std::wstring GoldenPath() {
    std::string source = VANTREEL_TESTS_DIR "/config/golden/default.json";
    std::wstring path(source.begin(), source.end());
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) if (c == L'/') c = L'\\';
    return path;
}

}  // namespace

TEST(DockConfigDefaults, PinInstalledApps) {
    EXPECT_TRUE(DockConfig().pinned.empty());
    DockConfig made = DockConfig::MakeDefault();
    ASSERT_FALSE(made.pinned.empty());  // the prefix always has explorer.exe
    EXPECT_EQ(made.pinned[0].name, L"文件资源管理器");
    EXPECT_EQ(made.pinned[0].appId, NormalizePathKey(made.pinned[0].path));

    testfiles::TempFolder folder;
    ASSERT_TRUE(testfiles::WriteBytes(folder.File(L"Second.EXE"), "x"));
    CreateDirectoryW(folder.File(L"first.exe").c_str(), nullptr);  // a folder never counts
    SetEnvironmentVariableW(L"VANTREEL_TEST_APPS", folder.Path().c_str());
    std::vector<PinnedApp> pinned;
    AddDefaultPinnedApp(pinned, L"应用", {L"", L"%VANTREEL_TEST_APPS%\\first.exe",
                                           L"%VANTREEL_TEST_APPS%\\Second.EXE",
                                           L"%VANTREEL_TEST_APPS%\\Second.EXE"});
    AddDefaultPinnedApp(pinned, L"none", {L"%VANTREEL_TEST_APPS%\\missing.exe"});
    SetEnvironmentVariableW(L"VANTREEL_TEST_APPS", nullptr);
    ASSERT_EQ(pinned.size(), 1u);
    EXPECT_EQ(pinned[0], (PinnedApp{L"应用", folder.File(L"Second.EXE"), L"",
                                    NormalizePathKey(folder.File(L"Second.EXE"))}));
}

TEST(DockConfigToJson, MatchesGoldenFileByteForByte) {
    DockConfig config;
    config.pinned = {
        {L"文件资源管理器", L"C:\\windows\\explorer.exe", L"", L"c:\\windows\\explorer.exe"},
        {L"终端", L"C:\\Tools\\wt.exe", L"-p \"Dev\"", L"c:\\tools\\wt.exe"},
    };
    const std::string golden = testfiles::ReadBytes(GoldenPath());
    ASSERT_NE(golden, "<missing>");
    EXPECT_EQ(DockConfig::ToJson(config), golden);
}

TEST(DockConfigToJson, RoundTripKeepsEverySetting) {
    DockConfig config;
    config.iconSize = 60.0f;
    config.magnifyEnabled = config.hideTaskbar = config.useMacIcons = config.showTopBar = false;
    config.topBarReserveSpace = config.topBarOriginalTrayIcons = config.showLunarCalendar = false;
    config.ccShowBrightness = config.ccShowVolume = false;
    config.hideDockOnFullscreen = config.autoStart = config.topBarTrayCollapsed = true;
    config.doNotDisturb = true;
    config.magnifyScale = 1.8f;
    config.magnifySigma = 150.5f;
    config.theme = 1;
    config.glassOpacity = 0.5f;
    config.allAppsTransparency = 0.75f;
    config.clearedNotifWatermark = 18446744073709551615ull;
    config.bottomMargin = 20;
    config.controlCenterTiles = {L"theme_mode", L"wifi"};
    config.pinned = {{L"名 \"q\" \\", L"D:\\游戏\\g.exe", L"--x \"a b\"\t", L"custom.id"}};
    config.hiddenApps = {L"c:\\hidden.exe", L"c:\\hidden.exe"};
    config.hiddenTrayApps = {L"tray\\一.exe"};
    const std::string text = DockConfig::ToJson(config);
    EXPECT_NE(text.find("  \"clearedNotifWatermark\": \"18446744073709551615\",\n"),
              std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    DockConfig back = MustParse(text);
    EXPECT_TRUE(back == config);
    EXPECT_EQ(DockConfig::ToJson(back), text);
}

// Each setting changed alone survives the file and a merge onto a file that
// changed nothing, whichever row of the table it is: a row that reading,
// writing or merging left out would keep its default.
TEST(DockConfigFields, EverySettingAloneRoundTripsAndMerges) {
    const DockConfig base = DockConfig::MakeDefault();
    ASSERT_EQ(DockConfigFields().size(), 25u);
    for (const DockConfigField& field : DockConfigFields()) {
        DockConfig changed = base;
        std::visit(
            [&](auto member) {
                auto& value = changed.*member;
                using Value = std::remove_reference_t<decltype(value)>;
                if constexpr (std::is_same_v<Value, bool>) value = !value;
                if constexpr (std::is_arithmetic_v<Value> && !std::is_same_v<Value, bool>) {
                    value = field.low < field.high ? static_cast<Value>(value == field.low ? field.high : field.low)
                                                   : Value{12345};
                }
                if constexpr (std::is_same_v<Value, Ids>) value = {field.kind == FieldKind::Tiles ? L"hotspot" : L"c:\\x"};
                if constexpr (std::is_same_v<Value, std::vector<PinnedApp>>) value = {{L"n", L"C:\\n", L"", L"c:\\n"}};
            },
            field.member);
        ASSERT_TRUE(FieldDiffers(field, base, changed)) << field.name;
        EXPECT_TRUE(MustParse(DockConfig::ToJson(changed)) == changed) << field.name;
        EXPECT_TRUE(MergeConfigChanges(base, changed, base) == changed) << field.name;
    }
}

TEST(DockConfigFromJson, ListsAndDefaults) {
    DockConfig empty = MustParse(" \r\n{ } trailing text is not read");
    EXPECT_EQ(DockConfig::ToJson(empty), DockConfig::ToJson(DockConfig::MakeDefault()));
    EXPECT_TRUE(MustParse(R"({"pinned": [], "controlCenterTiles": []})").controlCenterTiles.empty());

    // The last of repeated keys wins; lists are filtered, normalised and de-duplicated.
    DockConfig lists = MustParse(
        R"({"controlCenterTiles": ["lock"], "controlCenterTiles": ["WiFi", "wifi", "foo", "hotspot"],
            "hiddenApps": ["C:/A.exe", "c:\\a.exe"], "hiddenTrayApps": ["C:/A.exe", "c:\\a.exe", "B"],
            "iconSize": 40, "iconSize": 50})");
    EXPECT_EQ(lists.controlCenterTiles, (Ids{L"wifi", L"hotspot"}));
    EXPECT_EQ(lists.hiddenApps, (Ids{L"c:\\a.exe", L"c:\\a.exe"}));
    EXPECT_EQ(lists.hiddenTrayApps, (Ids{L"c:\\a.exe", L"b"}));
    EXPECT_EQ(lists.iconSize, 50.0f);

    DockConfig pinned = MustParse(R"({"pinned": [
        {"name": "App", "path": "C:/Program Files/App/App.EXE", "extra": {"x": [1, null]}},
        {}, {"name": "no path", "path": ""},
        {"path": "d:\\x.exe", "appId": "My.App", "args": "-a"}
    ]})");
    ASSERT_EQ(pinned.pinned.size(), 2u);
    EXPECT_EQ(pinned.pinned[0], (PinnedApp{L"App", L"C:/Program Files/App/App.EXE", L"",
                                           L"c:\\program files\\app\\app.exe"}));
    EXPECT_EQ(pinned.pinned[1], (PinnedApp{L"", L"d:\\x.exe", L"-a", L"My.App"}));
}

TEST(DockConfigFromJson, NumbersAreClampedAndHugeOnesSaturate) {
    const std::string huge(400, '9');
    const std::string big(40, '9');
    struct Case { std::string text; float DockConfig::*f; int32_t DockConfig::*i; double expected; };
    const Case cases[] = {
        {R"({"iconSize": 200})", &DockConfig::iconSize, nullptr, 76},
        {R"({"iconSize": 10})", &DockConfig::iconSize, nullptr, 32},
        {"{\"iconSize\": " + huge + "}", &DockConfig::iconSize, nullptr, 76},
        {R"({"magnifyScale": 0.5})", &DockConfig::magnifyScale, nullptr, 1},
        {"{\"magnifySigma\": -" + huge + "}", &DockConfig::magnifySigma, nullptr, 60},
        {R"({"magnifySigma": 1000})", &DockConfig::magnifySigma, nullptr, 220},
        {R"({"glassOpacity": 0.9})", &DockConfig::glassOpacity, nullptr, 0.85f},
        {R"({"allAppsTransparency": -1})", &DockConfig::allAppsTransparency, nullptr, 0},
        {R"({"theme": 7})", nullptr, &DockConfig::theme, 0},
        {R"({"theme": 1.9})", nullptr, &DockConfig::theme, 1},
        {R"({"theme": -1})", nullptr, &DockConfig::theme, 0},
        {R"({"theme": 4294967297})", nullptr, &DockConfig::theme, 0},
        {R"({"bottomMargin": -3})", nullptr, &DockConfig::bottomMargin, 0},
        {"{\"bottomMargin\": " + huge + "}", nullptr, &DockConfig::bottomMargin, 48},
        {R"({"bottomMargin": -99999999999})", nullptr, &DockConfig::bottomMargin, 0},
    };
    for (const Case& c : cases) {
        DockConfig config = MustParse(c.text);
        if (c.f) EXPECT_EQ(config.*c.f, static_cast<float>(c.expected)) << c.text;
        else EXPECT_EQ(config.*c.i, static_cast<int32_t>(c.expected)) << c.text;
    }
    const std::pair<std::string, uint64_t> marks[] = {
        {R"("133456789012345678")", 133456789012345678ull}, {"1234567", 1234567}, {"-5", 0},
        {"12.9", 12}, {"\"" + big + "\"", UINT64_MAX}, {big, UINT64_MAX}, {R"(" 42abc")", 42},
        {R"("")", 0}};
    for (const auto& [value, expected] : marks) {
        EXPECT_EQ(MustParse("{\"clearedNotifWatermark\": " + value + "}").clearedNotifWatermark,
                  expected) << value;
    }
}

TEST(DockConfigFromJson, BadInputFailsAndLeavesOutputUnchanged) {
    const std::string bad[] = {
        "", "   ", "[]", "{", "\xEF\xBB\xBF", "\xEF\xBB{}",
        R"({"iconSize": "48"})", R"({"magnifyEnabled": 1})", R"({"theme": true})",
        R"({"clearedNotifWatermark": true})", R"({"clearedNotifWatermark": 1e5})",
        R"({"controlCenterTiles": "wifi"})", R"({"controlCenterTiles": ["wifi", 3]})",
        R"({"hiddenApps": [null]})", R"({"hiddenTrayApps": {}})", R"({"pinned": ["C:\\a.exe"]})",
        R"({"pinned": [{"path": 5}]})", R"({"pinned": [{"path": "a",}]})", R"({"iconSize": 48,})",
        R"({"iconSize" 48})", R"({iconSize: 48})", R"({"iconSize": +5})",
        R"({"iconSize": 48 "theme": 1})", R"({"unknown": [1,]})", R"({"hiddenApps": ["a",]})",
        "{\"future\": " + std::string(200000, '[') + "}",
    };
    for (const std::string& text : bad) {
        DockConfig out;
        out.iconSize = 33.0f;
        out.pinned = {{L"keep", L"k.exe", L"", L"k.exe"}};
        const DockConfig before = out;
        EXPECT_FALSE(DockConfig::FromJson(text, out)) << text.substr(0, 60);
        EXPECT_TRUE(out == before) << text.substr(0, 60);
    }
    // Unknown values are skipped, and a leading byte-order mark is accepted.
    EXPECT_EQ(MustParse(R"({"future": {"a": [[1], {"b": null}]}, "theme": 2})").theme, 2);
    EXPECT_EQ(MustParse("\xEF\xBB\xBF{\"iconSize\": 60}").iconSize, 60.0f);
}
