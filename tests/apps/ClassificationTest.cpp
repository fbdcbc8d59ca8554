#include <gtest/gtest.h>

#include "apps/GroupInitial.h"
#include "apps/NameClassification.h"

namespace {

InstalledApp Named(const std::wstring& name) {
    InstalledApp app;
    app.name = name;
    return app;
}

AppCategory Category(const std::wstring& name, const std::wstring& target,
                     const std::wstring& id = L"", const std::wstring& profile = L"") {
    return AppCategoryFor(Named(name), target, id, profile);
}

bool Primary(const std::wstring& name, const std::wstring& target, const std::wstring& id = L"") {
    return IsPrimaryAppEntry(Named(name), target, id);
}

}  // namespace

TEST(GroupInitial, LatinAndFullWidthLettersAndSkippedOpeners) {
    EXPECT_EQ(GroupInitialOfName(L""), L'#');
    EXPECT_EQ(GroupInitialOfName(L"  \t "), L'#');
    EXPECT_EQ(GroupInitialOfName(L"[ zoom]"), L'Z');
    EXPECT_EQ(GroupInitialOfName(L"(\u3010\u300Cfoo"), L'F');
    EXPECT_EQ(GroupInitialOfName(L"Alpha"), L'A');
    EXPECT_EQ(GroupInitialOfName(L"\uFF42ili"), L'B');   // full-width lower-case b
    EXPECT_EQ(GroupInitialOfName(L"\uFF3Aoo"), L'Z');    // full-width upper-case Z
    EXPECT_EQ(GroupInitialOfName(L"7-Zip"), L'#');
    EXPECT_EQ(GroupInitialOfName(L"\u00C9tude"), L'#');  // accented Latin is not A..Z
    EXPECT_EQ(GroupInitialOfName(L"\U0001F600 smile"), L'#');
    EXPECT_EQ(GroupInitialOfName(L"_tool"), L'#');
}

TEST(GroupInitial, HanziByPinyinThroughCodePage936) {
    EXPECT_EQ(GroupInitialOfName(L"\uFF08微信）"), L'W');
    EXPECT_EQ(GroupInitialOfName(L"【网易云音乐】"), L'W');
    EXPECT_EQ(GroupInitialOfName(L"哔哩哔哩"), L'B');  // level-2 hanzi, from the overrides
    EXPECT_EQ(GroupInitialOfName(L"睿频"), L'R');
    EXPECT_EQ(GroupInitialOfName(L"丌"), L'#');        // level-2 hanzi without an override
    // Boundaries of the table: the first code of a letter and the one before it.
    EXPECT_EQ(GroupInitialOfName(L"啊"), L'A');        // B0A1, the first level-1 hanzi
    EXPECT_EQ(GroupInitialOfName(L"芭"), L'B');        // B0C5
    EXPECT_EQ(GroupInitialOfName(L"簿"), L'B');        // B2C0
    EXPECT_EQ(GroupInitialOfName(L"擦"), L'C');        // B2C1
    EXPECT_EQ(GroupInitialOfName(L"匝"), L'Z');        // D4D1
    EXPECT_EQ(GroupInitialOfName(L"座"), L'Z');        // D7F9, the last level-1 hanzi
    EXPECT_EQ(GroupInitialOfName(L"钉钉"), L'D');
    EXPECT_EQ(GroupInitialOfName(L"腾讯会议"), L'T');
}

TEST(Category, FirstMatchingListWinsAndPathsCount) {
    // Media is tested before social, so "qq" inside "qqmusic" does not decide.
    EXPECT_EQ(Category(L"QQ音乐", L"C:\\Program Files\\Tencent\\QQMusic\\QQMusic.exe"),
              AppCategory::Media);
    EXPECT_EQ(Category(L"Outlook", L"C:\\Office\\OUTLOOK.EXE"), AppCategory::Social);
    EXPECT_EQ(Category(L"Microsoft Teams", L"C:\\x\\ms-teams.exe"), AppCategory::Social);
    EXPECT_EQ(Category(L"Notepad++", L"C:\\npp\\npp.exe"), AppCategory::Office);
    EXPECT_EQ(Category(L"Calculator", L"C:\\Windows\\System32\\calc.exe"),
              AppCategory::Development);
    EXPECT_EQ(Category(L"Steam", L"D:\\Steam\\steam.exe"), AppCategory::Games);
    EXPECT_EQ(Category(L"Foo", L"C:\\Foo\\foo.exe"), AppCategory::Other);
    // Words anywhere in the target or the id count.
    EXPECT_EQ(Category(L"Wiki", L"C:\\Knowledge Base\\wiki.exe"), AppCategory::Social);
    EXPECT_EQ(Category(L"Player", L"", L"contoso.spotifyclient_1!app"), AppCategory::Media);
}

TEST(Category, TheUsersOwnProfileFolderIsNoKeyword) {
    const std::wstring target = L"C:\\Users\\Tim\\AppData\\Local\\Programs\\Foo\\foo.exe";
    const std::wstring link =
        L"C:\\Users\\Tim\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Foo.lnk";
    EXPECT_EQ(Category(L"Foo", target, link, L"c:\\users\\tim"), AppCategory::Other);
    // Without the profile known, the account name would decide.
    EXPECT_EQ(Category(L"Foo", target, link, L""), AppCategory::Social);
    // Only the profile folder is blanked: a keyword below it still counts.
    EXPECT_EQ(Category(L"Foo", L"C:\\Users\\Tim\\Apps\\vlc\\foo.exe", L"", L"c:\\users\\tim"),
              AppCategory::Media);
    // A name that is a keyword still counts.
    EXPECT_EQ(Category(L"TIM", target, link, L"c:\\users\\tim"), AppCategory::Social);
}

TEST(Primary, MainProgramsToolsInstallersAndDocs) {
    EXPECT_TRUE(Primary(L"Windows Terminal", L"C:\\x\\wt.exe"));
    EXPECT_TRUE(Primary(L"File Explorer", L"C:\\Windows\\explorer.exe"));
    EXPECT_TRUE(Primary(L"Contoso", L"C:\\Contoso\\Contoso.EXE"));
    // A main program is primary even where its file name holds an installer word.
    EXPECT_TRUE(Primary(L"Visual Studio", L"C:\\VS\\devenv.exe"));

    EXPECT_FALSE(Primary(L"", L"C:\\x\\foo.exe"));
    EXPECT_FALSE(Primary(L"Contoso Setup", L"C:\\Contoso\\setup.exe"));
    EXPECT_FALSE(Primary(L"Contoso", L"C:\\Contoso\\AutoUpdate.exe"));
    EXPECT_FALSE(Primary(L"Contoso", L"C:\\Contoso\\unins000.exe"));
    EXPECT_FALSE(Primary(L"Remove Contoso", L"C:\\Contoso\\uninstall.dat"));
    EXPECT_FALSE(Primary(L"卸载 Contoso", L"C:\\Contoso\\c.exe"));
    EXPECT_FALSE(Primary(L"Build", L"C:\\Tools\\build.BAT"));
    EXPECT_FALSE(Primary(L"Python 3.12 Module Docs", L"C:\\Python\\pythonw.exe"));
    EXPECT_FALSE(Primary(L"Command Prompt", L"C:\\Windows\\System32\\cmd.exe"));
    EXPECT_FALSE(Primary(L"Registry", L"C:\\Windows\\regedit.exe"));
    EXPECT_FALSE(Primary(L"Feedback", L"", L"Microsoft.WindowsFeedbackHub_8wekyb3d8bbwe!App"));
    // System-tool file names only matter for executables.
    EXPECT_TRUE(Primary(L"Contoso Console", L"shell:AppsFolder\\Contoso!console"));
}

TEST(Filters, UninstallersAndDocumentation) {
    EXPECT_TRUE(IsUninstallerName(L"uninstall contoso", L"c.exe"));
    EXPECT_TRUE(IsUninstallerName(L"contoso", L"unins000.exe"));
    EXPECT_FALSE(IsUninstallerName(L"contoso", L"unin"));
    EXPECT_FALSE(IsUninstallerName(L"contoso", L"contoso.exe"));

    EXPECT_TRUE(IsDocumentationShortcut(L"", L"C:\\x.exe"));
    EXPECT_TRUE(IsDocumentationShortcut(L"Contoso Help", L"C:\\x.exe"));
    EXPECT_TRUE(IsDocumentationShortcut(L"Contoso", L"C:\\x\\site.URL"));
    EXPECT_TRUE(IsDocumentationShortcut(L"Guide", L"C:\\x\\guide.pdf"));
    EXPECT_TRUE(IsDocumentationShortcut(L"Contoso", L"C:\\x\\unins000.exe"));
    EXPECT_TRUE(IsDocumentationShortcut(L"What Is New", L"C:\\x\\x.exe"));
    EXPECT_FALSE(IsDocumentationShortcut(L"Contoso", L"C:\\x\\contoso.exe"));
    EXPECT_FALSE(IsDocumentationShortcut(L"Notes", L"C:\\x\\notes.md"));
}
