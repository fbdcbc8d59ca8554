#include <gtest/gtest.h>

#include "config/DockConfig.h"
#include "config/Paths.h"
#include "TestFiles.h"

#include <string>

namespace {

DockConfig MustParse(std::string_view text) {
    DockConfig config;
    EXPECT_TRUE(DockConfig::FromJson(text, config)) << text;
    return config;
}

std::vector<std::wstring> Tiles(std::initializer_list<const wchar_t*> ids) {
    return std::vector<std::wstring>(ids.begin(), ids.end());
}

// The checked-in file lives in the source tree; the test runs from build/bin.
std::wstring GoldenPath(const wchar_t* name) {
    const std::wstring relative = std::wstring(L"tests\\config\\golden\\") + name;
    std::wstring folder = ExecutableDirectory();
    while (!folder.empty()) {
        std::wstring candidate = folder + L"\\" + relative;
        if (testfiles::Exists(candidate)) return candidate;
        size_t cut = folder.find_last_of(L"\\/");
        if (cut == std::wstring::npos) break;
        folder.resize(cut);
    }
    // Source path as the compiler saw it; a Unix path is reached through drive Z.
    std::string source = __FILE__;
    std::wstring path(source.begin(), source.end());
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) if (c == L'/') c = L'\\';
    return path.substr(0, path.find_last_of(L'\\')) + L"\\golden\\" + name;
}

}  // namespace

TEST(DockConfigDefaults, MakeDefaultPinsInstalledApps) {
    EXPECT_TRUE(DockConfig().pinned.empty());
    DockConfig made = DockConfig::MakeDefault();
    DockConfig expectedPinned;
    DockConfig::ResetPinnedToDefaults(expectedPinned);
    ASSERT_EQ(made.pinned.size(), expectedPinned.pinned.size());
    // The prefix always has explorer.exe; the rest depends on what is installed.
    ASSERT_FALSE(made.pinned.empty());
    EXPECT_EQ(made.pinned[0].name, L"文件资源管理器");
    EXPECT_EQ(made.pinned[0].appId, NormalizePathKey(made.pinned[0].path));
    EXPECT_TRUE(made.pinned[0].args.empty());
}

TEST(DockConfigDefaults, AddDefaultPinnedAppTakesFirstExistingFile) {
    testfiles::TempFolder folder;
    ASSERT_TRUE(testfiles::WriteBytes(folder.File(L"Second.EXE"), "x"));
    CreateDirectoryW(folder.File(L"first.exe").c_str(), nullptr);  // a folder never counts
    SetEnvironmentVariableW(L"VANTREEL_TEST_APPS", folder.Path().c_str());

    std::vector<PinnedApp> pinned;
    AddDefaultPinnedApp(pinned, L"应用", {L"", L"%VANTREEL_TEST_APPS%\\first.exe",
                                           L"%VANTREEL_TEST_APPS%\\Second.EXE",
                                           L"%VANTREEL_TEST_APPS%\\Second.EXE"});
    ASSERT_EQ(pinned.size(), 1u);
    EXPECT_EQ(pinned[0].name, L"应用");
    EXPECT_EQ(pinned[0].path, folder.File(L"Second.EXE"));
    EXPECT_EQ(pinned[0].args, L"");
    EXPECT_EQ(pinned[0].appId, NormalizePathKey(folder.File(L"Second.EXE")));

    AddDefaultPinnedApp(pinned, L"none", {L"%VANTREEL_TEST_APPS%\\missing.exe"});
    EXPECT_EQ(pinned.size(), 1u);
    SetEnvironmentVariableW(L"VANTREEL_TEST_APPS", nullptr);
}

TEST(DockConfigClamp, RangesAndLists) {
    DockConfig config;
    config.iconSize = 200.0f;
    config.magnifyScale = 0.5f;
    config.magnifySigma = 1000.0f;
    config.theme = 3;
    config.glassOpacity = 0.9f;
    config.allAppsTransparency = -1.0f;
    config.bottomMargin = -3;
    config.controlCenterTiles = Tiles({L"wifi", L"foo", L"WiFi", L"wifi", L"hotspot"});
    config.pinned = {{L"a", L"", L"", L""}, {L"b", L"C:\\b.exe", L"", L"c:\\b.exe"}};
    config.hiddenApps = {L"C:/A.exe", L"c:\\a.exe"};
    config.hiddenTrayApps = {L"C:/A.exe", L"c:\\a.exe", L"B"};
    DockConfig::Clamp(config);
    EXPECT_EQ(config.iconSize, 76.0f);
    EXPECT_EQ(config.magnifyScale, 1.0f);
    EXPECT_EQ(config.magnifySigma, 220.0f);
    EXPECT_EQ(config.theme, 0);
    EXPECT_EQ(config.glassOpacity, 0.85f);
    EXPECT_EQ(config.allAppsTransparency, 0.0f);
    EXPECT_EQ(config.bottomMargin, 0);
    EXPECT_EQ(config.controlCenterTiles, Tiles({L"wifi", L"hotspot"}));
    ASSERT_EQ(config.pinned.size(), 1u);
    EXPECT_EQ(config.pinned[0].name, L"b");
    EXPECT_EQ(config.hiddenApps, Tiles({L"c:\\a.exe", L"c:\\a.exe"}));
    EXPECT_EQ(config.hiddenTrayApps, Tiles({L"c:\\a.exe", L"b"}));

    config.theme = -1;
    config.iconSize = 10.0f;
    DockConfig::Clamp(config);
    EXPECT_EQ(config.theme, 0);
    EXPECT_EQ(config.iconSize, 32.0f);
}

TEST(DockConfigToJson, MatchesGoldenFileByteForByte) {
    DockConfig config;
    config.pinned = {
        {L"文件资源管理器", L"C:\\windows\\explorer.exe", L"", L"c:\\windows\\explorer.exe"},
        {L"终端", L"C:\\Tools\\wt.exe", L"-p \"Dev\"", L"c:\\tools\\wt.exe"},
    };
    const std::string golden = testfiles::ReadBytes(GoldenPath(L"default.json"));
    ASSERT_NE(golden, "<missing>") << "golden file not found";
    EXPECT_EQ(DockConfig::ToJson(config), golden);
}

TEST(DockConfigToJson, NumbersListsAndWatermark) {
    DockConfig config;
    config.iconSize = 64.0f;
    config.magnifySigma = 110.0f;
    config.magnifyScale = 1.5f;
    config.glassOpacity = 0.0f;
    config.theme = 2;
    config.bottomMargin = 48;
    config.clearedNotifWatermark = 18446744073709551615ull;
    config.controlCenterTiles.clear();
    config.hiddenApps = {L"c:\\a.exe"};
    config.hiddenTrayApps = {L"x", L"y"};
    const std::string text = DockConfig::ToJson(config);
    EXPECT_NE(text.find("  \"iconSize\": 64.0,\n"), std::string::npos);
    EXPECT_NE(text.find("  \"magnifyScale\": 1.50,\n"), std::string::npos);
    EXPECT_NE(text.find("  \"glassOpacity\": 0.00,\n"), std::string::npos);
    EXPECT_NE(text.find("  \"theme\": 2,\n"), std::string::npos);
    EXPECT_NE(text.find("  \"clearedNotifWatermark\": \"18446744073709551615\",\n"),
              std::string::npos);
    EXPECT_NE(text.find("  \"controlCenterTiles\": [\n  ],\n  \"pinned\": [\n  ],\n"),
              std::string::npos);
    EXPECT_NE(text.find("  \"hiddenApps\": [\n    \"c:\\\\a.exe\"\n  ],\n"), std::string::npos);
    EXPECT_NE(text.find("  \"hiddenTrayApps\": [\n    \"x\",\n    \"y\"\n  ]\n}\n"),
              std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(DockConfigToJson, RoundTripKeepsEverySetting) {
    DockConfig config;
    config.iconSize = 60.0f;
    config.magnifyEnabled = false;
    config.magnifyScale = 1.8f;
    config.magnifySigma = 150.5f;
    config.theme = 1;
    config.glassOpacity = 0.5f;
    config.allAppsTransparency = 0.75f;
    config.hideTaskbar = false;
    config.hideDockOnFullscreen = true;
    config.autoStart = true;
    config.useMacIcons = false;
    config.showTopBar = false;
    config.topBarReserveSpace = false;
    config.topBarTrayCollapsed = true;
    config.topBarOriginalTrayIcons = false;
    config.showLunarCalendar = false;
    config.doNotDisturb = true;
    config.clearedNotifWatermark = 133456789012345678ull;
    config.bottomMargin = 20;
    config.controlCenterTiles = Tiles({L"theme_mode", L"wifi"});
    config.ccShowBrightness = false;
    config.ccShowVolume = false;
    config.pinned = {{L"名 \"q\" \\", L"D:\\游戏\\g.exe", L"--x \"a b\"\t", L"custom.id"}};
    config.hiddenApps = {L"c:\\hidden.exe", L"c:\\hidden.exe"};
    config.hiddenTrayApps = {L"tray\\一.exe"};

    DockConfig back = MustParse(DockConfig::ToJson(config));
    EXPECT_TRUE(back == config);
    EXPECT_EQ(DockConfig::ToJson(back), DockConfig::ToJson(config));
    EXPECT_EQ(back.clearedNotifWatermark, config.clearedNotifWatermark);
    ASSERT_EQ(back.pinned.size(), 1u);
    EXPECT_EQ(back.pinned[0].name, config.pinned[0].name);
    EXPECT_EQ(back.pinned[0].path, config.pinned[0].path);
    EXPECT_EQ(back.pinned[0].args, config.pinned[0].args);
    EXPECT_EQ(back.pinned[0].appId, L"custom.id");
    EXPECT_EQ(back.hiddenApps, config.hiddenApps);
    EXPECT_EQ(back.hiddenTrayApps, config.hiddenTrayApps);
}

TEST(DockConfigFromJson, EmptyObjectGivesDefaults) {
    DockConfig config = MustParse(" \r\n{ } trailing text is not read");
    DockConfig expected = DockConfig::MakeDefault();
    EXPECT_EQ(DockConfig::ToJson(config), DockConfig::ToJson(expected));
    EXPECT_FALSE(config.pinned.empty());
}

TEST(DockConfigFromJson, PinnedAndTileLists) {
    DockConfig none = MustParse(R"({"pinned": []})");
    EXPECT_TRUE(none.pinned.empty());

    DockConfig tiles = MustParse(R"({"controlCenterTiles": ["WiFi", "wifi", "foo", "hotspot"]})");
    EXPECT_EQ(tiles.controlCenterTiles, Tiles({L"wifi", L"hotspot"}));

    DockConfig empty = MustParse(R"({"controlCenterTiles": []})");
    EXPECT_TRUE(empty.controlCenterTiles.empty());

    DockConfig twice = MustParse(
        R"({"controlCenterTiles": ["lock"], "controlCenterTiles": ["snip"],
            "hiddenApps": ["A"], "hiddenApps": ["a", ""],
            "hiddenTrayApps": ["T"], "hiddenTrayApps": ["t", "U"],
            "iconSize": 40, "iconSize": 50})");
    EXPECT_EQ(twice.controlCenterTiles, Tiles({L"snip"}));
    EXPECT_EQ(twice.hiddenApps, Tiles({L"a", L"a"}));
    EXPECT_EQ(twice.hiddenTrayApps, Tiles({L"t", L"u"}));
    EXPECT_EQ(twice.iconSize, 50.0f);

    DockConfig pinned = MustParse(R"({"pinned": [
        {"name": "App", "path": "C:/Program Files/App/App.EXE", "extra": {"x": [1, null]}},
        {},
        {"name": "no path", "path": ""},
        {"path": "d:\\x.exe", "appId": "My.App", "args": "-a"}
    ]})");
    ASSERT_EQ(pinned.pinned.size(), 2u);
    EXPECT_EQ(pinned.pinned[0].name, L"App");
    EXPECT_EQ(pinned.pinned[0].appId, L"c:\\program files\\app\\app.exe");
    EXPECT_EQ(pinned.pinned[0].path, L"C:/Program Files/App/App.EXE");
    EXPECT_EQ(pinned.pinned[1].appId, L"My.App");
    EXPECT_EQ(pinned.pinned[1].args, L"-a");
}

TEST(DockConfigFromJson, NumbersAreClampedAndSaturated) {
    EXPECT_EQ(MustParse(R"({"iconSize": 200})").iconSize, 76.0f);
    EXPECT_EQ(MustParse(R"({"theme": 7})").theme, 0);
    EXPECT_EQ(MustParse(R"({"theme": 1.9})").theme, 1);
    EXPECT_EQ(MustParse(R"({"theme": -0.9})").theme, 0);
    EXPECT_EQ(MustParse(R"({"bottomMargin": -3})").bottomMargin, 0);
    EXPECT_EQ(MustParse(R"({"bottomMargin": 99999999999})").bottomMargin, 48);
    EXPECT_EQ(MustParse(R"({"bottomMargin": -99999999999})").bottomMargin, 0);
    EXPECT_EQ(MustParse(R"({"theme": 4294967297})").theme, 0);
    const std::string huge(400, '9');
    DockConfig big = MustParse("{\"iconSize\": " + huge + ", \"magnifySigma\": -" + huge +
                               ", \"bottomMargin\": " + huge + "}");
    EXPECT_EQ(big.iconSize, 76.0f);
    EXPECT_EQ(big.magnifySigma, 60.0f);
    EXPECT_EQ(big.bottomMargin, 48);
    EXPECT_EQ(MustParse(R"({"glassOpacity": 0.5})").glassOpacity, 0.5f);
}

TEST(DockConfigFromJson, Watermark) {
    EXPECT_EQ(MustParse(R"({"clearedNotifWatermark": "133456789012345678"})").clearedNotifWatermark,
              133456789012345678ull);
    EXPECT_EQ(MustParse(R"({"clearedNotifWatermark": 1234567})").clearedNotifWatermark, 1234567u);
    EXPECT_EQ(MustParse(R"({"clearedNotifWatermark": -5})").clearedNotifWatermark, 0u);
    EXPECT_EQ(MustParse(R"({"clearedNotifWatermark": 12.9})").clearedNotifWatermark, 12u);
}

TEST(DockConfigFromJson, WatermarkSaturates) {
    const std::string huge(40, '9');
    EXPECT_EQ(MustParse("{\"clearedNotifWatermark\": \"" + huge + "\"}").clearedNotifWatermark,
              UINT64_MAX);
    EXPECT_EQ(MustParse("{\"clearedNotifWatermark\": " + huge + "}").clearedNotifWatermark,
              UINT64_MAX);
    EXPECT_EQ(MustParse(R"({"clearedNotifWatermark": " 42abc"})").clearedNotifWatermark, 42u);
    EXPECT_EQ(MustParse(R"({"clearedNotifWatermark": ""})").clearedNotifWatermark, 0u);
}

TEST(DockConfigFromJson, BadInputFailsAndLeavesOutputUnchanged) {
    const std::string_view bad[] = {
        "",
        "   ",
        "[]",
        "{",
        R"({"iconSize": "48"})",
        R"({"magnifyEnabled": 1})",
        R"({"theme": true})",
        R"({"clearedNotifWatermark": true})",
        R"({"clearedNotifWatermark": 1e5})",
        R"({"controlCenterTiles": "wifi"})",
        R"({"controlCenterTiles": ["wifi", 3]})",
        R"({"hiddenApps": [null]})",
        R"({"hiddenTrayApps": {}})",
        R"({"pinned": ["C:\\a.exe"]})",
        R"({"pinned": [{"path": 5}]})",
        R"({"pinned": [{"path": "a",}]})",
        R"({"iconSize": 48,})",
        R"({"iconSize" 48})",
        R"({iconSize: 48})",
        R"({"iconSize": 1e5})",
        R"({"iconSize": +5})",
        R"({"iconSize": 48 "theme": 1})",
        R"({"unknown": [1,]})",
        R"({"unknown": 'x'})",
        R"({"hiddenApps": ["a",]})",
    };
    for (std::string_view text : bad) {
        DockConfig out;
        out.iconSize = 33.0f;
        out.pinned = {{L"keep", L"k.exe", L"", L"k.exe"}};
        EXPECT_FALSE(DockConfig::FromJson(text, out)) << text;
        EXPECT_EQ(out.iconSize, 33.0f) << text;
        ASSERT_EQ(out.pinned.size(), 1u) << text;
        EXPECT_EQ(out.pinned[0].name, L"keep") << text;
    }
}

TEST(DockConfigFromJson, DeeplyNestedUnknownValueFailsCleanly) {
    std::string text = "{\"future\": " + std::string(200000, '[') + "}";
    DockConfig out;
    out.theme = 2;
    EXPECT_FALSE(DockConfig::FromJson(text, out));
    EXPECT_EQ(out.theme, 2);

    DockConfig ok = MustParse(R"({"future": {"a": [[1], {"b": null}]}, "theme": 2})");
    EXPECT_EQ(ok.theme, 2);
}

TEST(DockConfigFromJson, LeadingByteOrderMarkIsAccepted) {
    DockConfig config;
    ASSERT_TRUE(DockConfig::FromJson("\xEF\xBB\xBF{\"iconSize\": 60}", config));
    EXPECT_EQ(config.iconSize, 60.0f);
    EXPECT_FALSE(DockConfig::FromJson("\xEF\xBB\xBF", config)) << "a mark alone is still empty";
    EXPECT_FALSE(DockConfig::FromJson("\xEF\xBB{}", config));
}
