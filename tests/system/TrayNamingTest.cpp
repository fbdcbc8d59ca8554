// Names of mirrored tray icons and the tolerant match of tray item names.
#include <gtest/gtest.h>

#include <windows.h>

#include "support/TestSupport.h"
#include "system/tray/TrayNameCandidates.h"
#include "system/tray/TrayNaming.h"

using namespace testing_support;

TEST(TrayNaming, DisplayNameIsTheFirstLineOrTheStem) {
    EXPECT_EQ(MakeTrayDisplayName(L"First tip \t\r\nline two", L"C:\\x\\a.exe"), L"First tip");
    EXPECT_EQ(MakeTrayDisplayName(L"   ", L"C:\\x\\b.c.exe"), L"b.c");
    EXPECT_EQ(MakeTrayDisplayName(L"  \nSecond", L"C:/x/Foo.exe"), L"Foo") << "a blank first line falls back";
    EXPECT_EQ(MakeTrayDisplayName(L"  lead", L""), L"  lead") << "leading blanks stay";
    EXPECT_EQ(MakeTrayDisplayName(L"", L""), L"\u5E94\u7528");
    EXPECT_EQ(TrayExeStem(L"C:\\x\\.hidden"), L".hidden");
    EXPECT_EQ(TrayExeStem(L"C:tool.exe"), L"tool");
    EXPECT_EQ(TrayExeStem(L"C:\\x\\a.exe:stream"), L"a");
}

TEST(TrayNaming, NormalizeFoldsBlanksAndCase) {
    EXPECT_EQ(NormalizeTrayName(L"  Foo \t Bar  "), L"foo bar");
    EXPECT_EQ(NormalizeTrayName(L"\r\n"), L"");
}

TEST(TrayNaming, MatchNeedsASeparatorAfterTheShorterName) {
    EXPECT_TRUE(MatchTrayName(L"WeChat (3)", {L"wechat"}));
    EXPECT_TRUE(MatchTrayName(L"Foo-Bar", {L"x", L"foo"}));
    EXPECT_TRUE(MatchTrayName(L"Foo\uFF08\u6D4B\u8BD5\uFF09", {L"foo"}));
    EXPECT_TRUE(MatchTrayName(L"foo", {L"Foo \u00B7 Sync"})) << "the item may be the shorter one";
    EXPECT_TRUE(MatchTrayName(L"  Foo   Bar ", {L"foo bar"}));
    EXPECT_FALSE(MatchTrayName(L"WeChatHelper", {L"WeChat"}));
    EXPECT_FALSE(MatchTrayName(L"Foo2", {L"Foo"}));
    EXPECT_FALSE(MatchTrayName(L"F", {L"F", L"f"})) << "a one-letter item never matches";
    EXPECT_FALSE(MatchTrayName(L"F (1)", {L"F"})) << "a one-letter candidate is skipped";
    EXPECT_FALSE(MatchTrayName(L"Foo", {}));
}

TEST(TrayNaming, CandidatesComeInOrderAndVersionNamesAreCached) {
    TempDir dir;
    std::wstring path = dir.File(L"my-tool_x.y.exe");
    ASSERT_TRUE(CopyFileW((BinDir() + L"\\tray_versioned.exe").c_str(), path.c_str(), FALSE));

    NotifyIconSetting setting;
    setting.exePath = path;
    setting.tooltips = {L"Tip one", L"Tip two"};
    std::vector<std::wstring> expected = {L"Tip one",
                                          L"Tip two",
                                          L"my-tool_x.y",
                                          L"my tool x y",
                                          L"Versioned Tray Tool",
                                          L"Versioned Suite",
                                          L"versioned",
                                          L"tray_versioned.exe"};
    EXPECT_EQ(GetTrayNameCandidates(setting), expected);

    // The file loses its version resource; the names read before stay.
    ASSERT_TRUE(CopyFileW((BinDir() + L"\\tray_owner_gui.exe").c_str(), path.c_str(), FALSE));
    std::vector<std::wstring> names = {L"kept"};
    GetFileVersionName(path, names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"kept", L"Versioned Tray Tool", L"Versioned Suite", L"versioned",
                                                L"tray_versioned.exe"}));

    std::vector<std::wstring> none;
    GetFileVersionName(dir.File(L"unversioned.exe"), none);
    GetFileVersionName(BinDir() + L"\\tray_owner_gui.exe", none);
    EXPECT_TRUE(none.empty());
}
