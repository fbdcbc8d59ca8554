// Which entries the pages show and which letters the index offers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LauncherFixtures.h"
#include "allapps/AllAppsWindow.h"

namespace {

struct Shown {
    std::vector<std::wstring> names;
    std::vector<const InstalledApp*> entries;
};

Shown Filter(AllAppsWindow& apps) {
    apps.ApplyFilterAndLayout();
    Shown shown;
    for (const InstalledApp* entry : apps.visibleEntries) {
        shown.names.push_back(entry->name);
        shown.entries.push_back(entry);
    }
    return shown;
}

using Names = std::vector<std::wstring>;
using Letters = std::vector<uint16_t>;

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override { apps.catalog = FilterFixture(); }
    const InstalledApp& Folder() const { return apps.catalog[2]; }
    AllAppsWindow apps;
};

}  // namespace

TEST_F(FilterTest, BrowsingShowsPrimaryEntriesAndFoldersInCatalogOrder) {
    EXPECT_EQ(Filter(apps).names, (Names{L"Alpha", L"Corp Tools", L"Rechner", L"Calc Helper"}));
    EXPECT_EQ(apps.indexLetters, (Letters{0, 'A', 'C', 'R', 'Z'})) << "the uninstaller marks no letter";

    apps.categoryTab = 1;
    EXPECT_EQ(Filter(apps).names, (Names{L"Alpha", L"Calc Helper"})) << "the folder is not an office entry";
}

TEST_F(FilterTest, ALetterOpensTheFoldersAndDropsDuplicates) {
    apps.categoryTab = 1;
    apps.indexLetter = 'C';
    Shown office = Filter(apps);
    EXPECT_EQ(office.names, (Names{L"Calc Helper", L"Corp Tools"}));
    ASSERT_EQ(office.entries.size(), 2u);
    EXPECT_EQ(office.entries[0], &Folder().children[1]) << "the child, not the top-level twin";
    EXPECT_EQ(office.entries[1], &Folder().children[0]);

    apps.categoryTab = 0;
    Shown all = Filter(apps);
    EXPECT_EQ(all.names, (Names{L"Calc Helper", L"Corp Tools"}));
    ASSERT_EQ(all.entries.size(), 2u);
    EXPECT_EQ(all.entries[0], &Folder().children[1]);
    EXPECT_EQ(all.entries[1], &Folder()) << "the folder tile stands for its namesake";
}

TEST_F(FilterTest, SearchFindsNamesTargetsAndAuxiliaryEntries) {
    apps.openFolder = &Folder();
    apps.searchText = L"CALC";
    Shown calc = Filter(apps);
    EXPECT_EQ(apps.openFolder, nullptr) << "a search searches the whole catalog";
    EXPECT_EQ(calc.names, (Names{L"Calc Helper", L"Rechner"}));
    EXPECT_EQ(calc.entries[0], &Folder().children[1]);
    EXPECT_EQ(apps.indexLetters, (Letters{0, 'C', 'R'}));

    apps.searchText = L"uninst";
    EXPECT_EQ(Filter(apps).names, (Names{L"Beta Uninstall"}));

    apps.searchText = L"nothing like it";
    EXPECT_TRUE(Filter(apps).names.empty());
    EXPECT_EQ(apps.indexLetters, (Letters{0}));
    EXPECT_EQ(apps.pageCount, 1);
}

TEST_F(FilterTest, HiddenEntriesAndTheHiddenView) {
    apps.SetHiddenApps({L"folder:corp tools"});
    EXPECT_EQ(Filter(apps).names, (Names{L"Alpha", L"Rechner", L"Calc Helper"}));

    apps.hiddenView = true;
    Shown hidden = Filter(apps);
    ASSERT_EQ(hidden.entries.size(), 1u);
    EXPECT_EQ(hidden.entries[0], &Folder()) << "one folder tile";

    apps.hiddenView = false;
    apps.SetHiddenApps({L"c:/apps/corp/ZED.lnk"});
    apps.indexLetter = 'Z';
    Filter(apps);
    EXPECT_EQ(apps.indexLetter, 0) << "the letter left with its last app";
    EXPECT_EQ(apps.indexLetters, (Letters{0, 'A', 'C', 'R'}));
}

TEST_F(FilterTest, AnOpenFolderShowsItsVisibleChildrenWithoutAnIndex) {
    apps.SetHiddenApps({L"C:\\Apps\\Corp\\zed.lnk"});
    apps.openFolder = &Folder();
    EXPECT_EQ(Filter(apps).names, (Names{L"Corp Tools", L"Calc Helper"}));
    EXPECT_TRUE(apps.indexLetters.empty());
    apps.hiddenView = true;
    EXPECT_EQ(Filter(apps).names.size(), 3u);
}

TEST(FilterPages, ThirtyOneEntriesMakeTwoPagesAndAShrinkingListClampsThePage) {
    AllAppsWindow apps;
    apps.catalog = NumberedApps(31);
    apps.ApplyFilterAndLayout();
    EXPECT_EQ(apps.pageCount, 2);
    apps.page = 1;
    apps.catalog.resize(20);
    apps.ApplyFilterAndLayout();
    EXPECT_EQ(apps.pageCount, 1);
    EXPECT_EQ(apps.page, 0);
}

TEST(FilterHiddenKeys, SameKeysInAnotherOrderOrCaseChangeNothing) {
    AllAppsWindow apps;
    EXPECT_TRUE(apps.SetHiddenApps({L"C:\\A.lnk", L"folder:x"}));
    apps.ApplyFilterAndLayout();
    EXPECT_FALSE(apps.SetHiddenApps({L"FOLDER:X", L"", L"c:/a.lnk"}));
}

// Names sort in the user's collation: pinyin order under a Chinese locale,
// where code-point order would give the reverse.
TEST(FilterOrder, ChineseNamesSortByPinyinUnderAChineseLocale) {
    wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
    ASSERT_STREQ(locale, L"zh-CN") << "this suite runs with LC_ALL=zh_CN.UTF-8";
    AllAppsWindow apps;
    apps.catalog = {MakeApp(L"中国银行", L"z.lnk", AppCategory::Other, L'Z'),
                    MakeApp(L"微信", L"w.lnk", AppCategory::Other, L'W'),
                    MakeApp(L"百度网盘", L"b.lnk", AppCategory::Other, L'B'),
                    MakeApp(L"阿里旺旺", L"a.lnk", AppCategory::Other, L'A')};
    apps.hiddenView = true;
    apps.SetHiddenApps({L"z.lnk", L"w.lnk", L"b.lnk", L"a.lnk"});
    EXPECT_EQ(Filter(apps).names, (Names{L"阿里旺旺", L"百度网盘", L"微信", L"中国银行"}));
}
