#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "apps/AppCatalog.h"
#include "config/PathText.h"

namespace {

InstalledApp Member(const std::wstring& name, bool primary = true) {
    InstalledApp app;
    app.name = name;
    app.nameKey = NormalizePathKey(name);
    app.isPrimary = primary;
    return app;
}

InstalledApp Entry(const std::wstring& name, wchar_t initial) {
    InstalledApp app = Member(name);
    app.initial = initial;
    return app;
}

std::vector<std::wstring> Names(const std::vector<InstalledApp>& apps) {
    std::vector<std::wstring> names;
    for (const auto& app : apps) names.push_back(app.name);
    return names;
}

const InstalledApp* Find(const std::vector<InstalledApp>& apps, const std::wstring& name) {
    auto it = std::find_if(apps.begin(), apps.end(),
                           [&](const InstalledApp& a) { return a.name == name; });
    return it == apps.end() ? nullptr : &*it;
}

class CatalogTest : public ::testing::Test {
protected:
    void SetUp() override {
        sources.commonPrograms = temp / L"common";
        sources.userPrograms = temp / L"user";
        targets = temp / L"targets";
        MakeDirs(sources.commonPrograms);
        MakeDirs(sources.userPrograms);
        MakeDirs(targets);
        sources.appsFolder = [this] { return appsItems; };
    }

    std::wstring Target(const std::wstring& file) {
        const std::wstring path = targets + L"\\" + file;
        if (!FileExists(path)) WriteBytes(path, "MZ");
        return path;
    }

    void Link(const std::wstring& root, const std::wstring& relative, const std::wstring& target) {
        const std::wstring path = root + L"\\" + relative;
        MakeDirs(path.substr(0, path.find_last_of(L'\\')));
        ASSERT_TRUE(MakeShortcut(path, target));
    }

    ComScope com;
    TempDir temp;
    std::wstring targets;
    CatalogSources sources;
    std::vector<AppsFolderItem> appsItems;
};

}  // namespace

TEST(Representative, ScoresAndTies) {
    // Foo 100 + 35 = 135 beats Foo Manager 60 + 35 + 25 = 120.
    std::vector<InstalledApp> members = {Member(L"Foo Manager"), Member(L"Foo")};
    EXPECT_EQ(RepresentativeScore(L"foo", members[0]), 120);
    EXPECT_EQ(RepresentativeScore(L"foo", members[1]), 135);
    EXPECT_EQ(ChooseRepresentative(L"Foo", members), 1u);

    // Several bonus or penalty words count once.
    EXPECT_EQ(RepresentativeScore(L"bar", Member(L"Settings Manager")), 60);
    EXPECT_EQ(RepresentativeScore(L"bar", Member(L"Debug x86 samples")), 15);
    EXPECT_EQ(RepresentativeScore(L"", Member(L"Tool", false)), 0);

    // "x86" costs 20 points; otherwise equal members keep the earlier one.
    EXPECT_EQ(ChooseRepresentative(L"Suite", {Member(L"Tool x86"), Member(L"Tool")}), 1u);
    EXPECT_EQ(ChooseRepresentative(L"Suite", {Member(L"Alpha"), Member(L"Beta")}), 0u);
    EXPECT_EQ(ChooseRepresentative(L"Suite", {Member(L"Alpha", false), Member(L"Beta")}), 1u);
    // Scores below zero still choose someone.
    EXPECT_EQ(ChooseRepresentative(L"Suite", {Member(L"wow debug", false)}), 0u);
}

TEST(DisplayOrder, LettersThenHashAndCaseIgnoredWithinABucket) {
    std::vector<InstalledApp> apps = {Entry(L"7-Zip", L'#'), Entry(L"zeta", L'Z'),
                                      Entry(L"beta", L'B'),  Entry(L"Alpha", L'A'),
                                      Entry(L"Bravo", L'B'), Entry(L"(odd)", L'?'),
                                      Entry(L"abc", L'A')};
    SortAppsForDisplay(apps.begin(), apps.end());
    const std::vector<std::wstring> names = Names(apps);
    EXPECT_EQ(std::vector<std::wstring>(names.begin(), names.begin() + 5),
              (std::vector<std::wstring>{L"abc", L"Alpha", L"beta", L"Bravo", L"zeta"}));
    // '#' and anything else share the last bucket.
    std::vector<std::wstring> tail(names.begin() + 5, names.end());
    std::sort(tail.begin(), tail.end());
    EXPECT_EQ(tail, (std::vector<std::wstring>{L"(odd)", L"7-Zip"}));

    EXPECT_FALSE(InstalledAppLess(Entry(L"same", L'S'), Entry(L"SAME", L'S')));
    EXPECT_FALSE(InstalledAppLess(Entry(L"SAME", L'S'), Entry(L"same", L'S')));
    // Names alone, without buckets.
    std::vector<InstalledApp> byName = {Entry(L"b", L'#'), Entry(L"A", L'Z')};
    SortAppsByName(byName.begin(), byName.end());
    EXPECT_EQ(Names(byName), (std::vector<std::wstring>{L"A", L"b"}));
}

TEST_F(CatalogTest, FolderEntriesAndAppsFolderMerge) {
    const std::wstring common = sources.commonPrograms, user = sources.userPrograms;
    Link(common, L"Foo\\Foo Manager.lnk", Target(L"foomgr.exe"));
    Link(common, L"Foo\\Foo.lnk", Target(L"foo.exe"));
    Link(user, L"Foo\\Foo Zeta.lnk", Target(L"foozeta.exe"));
    Link(user, L"Foo\\Foo Alpha.lnk", Target(L"fooalpha.exe"));
    Link(common, L"Solo\\Solo.lnk", Target(L"solo.exe"));                 // one app: no folder
    Link(common, L"Pair\\Pair.lnk", Target(L"pair.exe"));                 // app + uninstaller
    Link(common, L"Pair\\Uninstall Pair.lnk", Target(L"unins000.exe"));

    appsItems = {
        {L"foo manager", L"{id}\\Foo\\Foo Manager.lnk", Target(L"foomgr.exe")},  // member's name
        {L"Renamed", L"renamed", Target(L"FOO.EXE")},           // member's target
        {L"Solo", L"{id}\\Solo\\Solo.lnk", Target(L"solo.exe")},
        {L"Pair", L"{id}\\Pair\\Pair.lnk", Target(L"pair.exe")},
        {L"Uninstall Zeta", L"unz", L"C:\\Zeta\\zeta.exe"},       // dropped, target remembered
        {L"Zeta", L"zeta", L"C:\\ZETA\\Zeta.exe"},                // same exe: duplicate
        {L"Photos", L"Contoso.PhotoLab_8wekyb3d8bbwe!App", L""},
        {L"Beta", L"beta1", L"C:\\Beta\\beta.exe"},
        {L"BETA", L"beta2", L"C:\\Beta\\other.exe"},              // same name: dropped
        {L"", L"nameless", L"C:\\n.exe"},
        {L"No Parsing Name", L"", L"C:\\p.exe"},
    };
    const std::vector<InstalledApp> catalog = EnumerateInstalledApps(sources);
    EXPECT_EQ(Names(catalog),
              (std::vector<std::wstring>{L"Beta", L"Foo", L"Pair", L"Photos", L"Solo"}));

    const InstalledApp* foo = Find(catalog, L"Foo");
    ASSERT_NE(foo, nullptr);
    EXPECT_TRUE(foo->isFolder);
    EXPECT_TRUE(foo->isPrimary);
    EXPECT_EQ(foo->nameKey, L"foo");
    EXPECT_EQ(foo->initial, L'F');
    // Representative first, the rest by name.
    EXPECT_EQ(Names(foo->children),
              (std::vector<std::wstring>{L"Foo", L"Foo Alpha", L"Foo Manager", L"Foo Zeta"}));
    EXPECT_EQ(foo->launchId, foo->children[0].launchId);
    EXPECT_EQ(foo->targetPath, foo->children[0].targetPath);
    for (const InstalledApp& child : foo->children) EXPECT_TRUE(child.children.empty());

    const InstalledApp* photo = Find(catalog, L"Photos");
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->targetPath, L"shell:AppsFolder\\Contoso.PhotoLab_8wekyb3d8bbwe!App");
    EXPECT_EQ(photo->launchId, L"Contoso.PhotoLab_8wekyb3d8bbwe!App");
    EXPECT_EQ(photo->category, AppCategory::Media);
    EXPECT_EQ(photo->initial, L'P');
    EXPECT_FALSE(photo->isFolder);
    EXPECT_EQ(Find(catalog, L"Beta")->launchId, L"beta1");
}

TEST_F(CatalogTest, FolderCategoryFollowsItsNameAndRepresentative) {
    Link(sources.commonPrograms, L"Steam Tools\\Launcher.lnk", Target(L"launcher.exe"));
    Link(sources.commonPrograms, L"Steam Tools\\Music Box.lnk", Target(L"box.exe"));
    const std::vector<InstalledApp> catalog = EnumerateInstalledApps(sources);
    ASSERT_EQ(catalog.size(), 1u);
    EXPECT_EQ(catalog[0].category, AppCategory::Games);
    const InstalledApp* box = Find(catalog[0].children, L"Music Box");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->category, AppCategory::Media);
}

TEST_F(CatalogTest, FallbackRunsWhenTheAppsFolderGivesNothing) {
    Link(sources.commonPrograms, L"Loose.lnk", Target(L"loose.exe"));
    Link(sources.userPrograms, L"Solo\\Solo.lnk", Target(L"solo.exe"));
    std::vector<InstalledApp> catalog = EnumerateInstalledApps(sources);
    EXPECT_EQ(Names(catalog), (std::vector<std::wstring>{L"Loose", L"Solo"}));

    sources.appsFolder = [] { return std::optional<std::vector<AppsFolderItem>>(); };
    for (int i = 0; i < 28; ++i) Link(sources.commonPrograms, std::to_wstring(i) + L".lnk", Target(std::to_wstring(i)));
    for (std::wstring name : {L"One", L"Two", L"Three"}) Link(sources.userPrograms, L"Suite\\" + name + L".lnk", Target(name));
    catalog = EnumerateInstalledApps(sources);
    EXPECT_EQ(catalog.size(), 31u) << "30 shortcuts and the folder (its members inside), the Apps folder unreadable";

    // An Apps-folder item alone also keeps the fallback away.
    CatalogSources appsOnly;
    appsOnly.commonPrograms = sources.commonPrograms;
    appsOnly.appsFolder = [] {
        return std::vector<AppsFolderItem>{{L"Calc", L"calc!app", L""}};
    };
    EXPECT_EQ(Names(EnumerateInstalledApps(appsOnly)), (std::vector<std::wstring>{L"Calc"}));

    CatalogSources nothing;
    EXPECT_TRUE(EnumerateInstalledApps(nothing).empty());
}

TEST_F(CatalogTest, RealSystemCatalogIsWellFormed) {
    // Whatever this machine's Start menu and Apps folder hold (under Wine the Apps
    // folder may not enumerate at all), every entry obeys the catalog's shape.
    const std::vector<InstalledApp> catalog = EnumerateInstalledApps();
    for (size_t i = 0; i < catalog.size(); ++i) {
        const InstalledApp& app = catalog[i];
        EXPECT_FALSE(app.name.empty());
        EXPECT_EQ(app.nameKey, NormalizePathKey(app.name));
        EXPECT_TRUE((app.initial >= L'A' && app.initial <= L'Z') || app.initial == L'#');
        EXPECT_FALSE(app.targetPath.empty());
        if (app.isFolder) {
            EXPECT_GE(app.children.size(), 2u);
        } else {
            EXPECT_TRUE(app.children.empty());
        }
        if (i > 0) {
            EXPECT_FALSE(InstalledAppLess(app, catalog[i - 1]));
        }
    }
}

namespace {

void MoveWriteTime(const std::wstring& path, int seconds) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME time = {};
    GetFileTime(file, nullptr, nullptr, &time);
    ULARGE_INTEGER value = {{time.dwLowDateTime, time.dwHighDateTime}};
    value.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000ull;
    time = {value.LowPart, value.HighPart};
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

}  // namespace

// A catalog rebuilt with the readings of earlier builds equals one built from
// nothing, whatever happened to the shortcuts in between; unchanged shortcuts
// are not opened again.
TEST_F(CatalogTest, RebuildWithKeptReadingsEqualsBuildFromNothing) {
    const std::wstring common = sources.commonPrograms, user = sources.userPrograms;
    for (int i = 0; i < 40; ++i) {
        Link(i % 2 ? common : user, L"Suite " + std::to_wstring(i % 5) + L"\\App " + std::to_wstring(i) + L".lnk",
             Target(L"app" + std::to_wstring(i) + L".exe"));
    }
    CatalogSources kept = sources;
    kept.readings = std::make_shared<ShortcutReadings>();
    auto fromNothing = [this] { return EnumerateInstalledApps(sources); };

    EXPECT_EQ(EnumerateInstalledApps(kept), fromNothing());
    EXPECT_EQ(kept.readings->OpenedCount(), 40u);
    EXPECT_EQ(EnumerateInstalledApps(kept), fromNothing());
    EXPECT_EQ(kept.readings->OpenedCount(), 0u);

    // Added, removed, renamed, given a new target, and touched.
    Link(common, L"Suite 1\\Added.lnk", Target(L"added.exe"));
    ASSERT_TRUE(DeleteFileW((user + L"\\Suite 0\\App 0.lnk").c_str()));
    ASSERT_TRUE(MoveFileW((common + L"\\Suite 1\\App 1.lnk").c_str(), (common + L"\\Suite 1\\Renamed.lnk").c_str()));
    const std::wstring retargeted = user + L"\\Suite 2\\App 2.lnk";
    Link(user, L"Suite 2\\App 2.lnk", Target(L"elsewhere.exe"));
    MoveWriteTime(retargeted, 5);
    MoveWriteTime(common + L"\\Suite 3\\App 3.lnk", 7);
    const std::vector<InstalledApp> rebuilt = EnumerateInstalledApps(kept);
    EXPECT_EQ(rebuilt, fromNothing());
    // The new, renamed, rewritten and touched ones; nothing else.
    EXPECT_EQ(kept.readings->OpenedCount(), 4u);
    EXPECT_EQ(kept.readings->Size(), 40u);
    const InstalledApp* suite2 = Find(rebuilt, L"Suite 2");
    ASSERT_NE(suite2, nullptr);
    const InstalledApp* app2 = Find(suite2->children, L"App 2");
    ASSERT_NE(app2, nullptr);
    EXPECT_EQ(app2->targetPath, targets + L"\\elsewhere.exe");
}

TEST_F(CatalogTest, AppsFolderItemsOfOneProgramWithOtherArgumentsAreBothListed) {
    const std::wstring games = Target(L"games.exe");
    appsItems = {{L"Games", L"games", games}, {L"Dota 2", L"dota", games, L"-applaunch 570"},
                 {L"Games Again", L"again", games}};
    const std::vector<InstalledApp> apps = EnumerateInstalledApps(sources);
    ASSERT_EQ(Names(apps), (std::vector<std::wstring>{L"Dota 2", L"Games"}));
    EXPECT_EQ(StartPathOf(apps[0]), L"shell:AppsFolder\\dota");  // its link, with the arguments
}
