#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>

#include "TestSupport.h"
#include "apps/IconExtraction.h"
#include "apps/LinkFileCheck.h"
#include "apps/Launch.h"
#include "apps/ShortcutChain.h"
#include "apps/StartMenuScan.h"
#include "config/PathText.h"

namespace {

// Two Programs folders (all users, this user) with shortcuts to real files.
class StartMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        common = temp / L"common";
        user = temp / L"user";
        targets = temp / L"targets";
        MakeDirs(common);
        MakeDirs(user);
        MakeDirs(targets);
    }

    std::wstring Target(const std::wstring& file) {
        const std::wstring path = targets + L"\\" + file;
        if (!FileExists(path)) WriteBytes(path, "MZ");
        return path;
    }

    void Link(const std::wstring& root, const std::wstring& relative, const std::wstring& target,
              const std::wstring& args = L"") {
        const std::wstring path = root + L"\\" + relative;
        MakeDirs(path.substr(0, path.find_last_of(L'\\')));
        ASSERT_TRUE(MakeShortcut(path, target, args)) << relative.c_str();
    }

    std::vector<StartMenuGroup> Walk() {
        std::vector<StartMenuGroup> groups;
        StartMenuGroupIndex index;
        CollectStartMenuShortcutsIn(common, groups, index);
        CollectStartMenuShortcutsIn(user, groups, index);
        return groups;
    }

    static std::vector<std::wstring> Names(const std::vector<InstalledApp>& apps) {
        std::vector<std::wstring> names;
        for (const auto& app : apps) names.push_back(app.name);
        return names;
    }

    ComScope com;
    TempDir temp;
    std::wstring common, user, targets;
};

}  // namespace

TEST_F(StartMenuTest, DisplayNamesOfShortcutsAndFolders) {
    Link(common, L"Contoso Suite\\Contoso Writer.lnk", Target(L"writer.exe"));
    EXPECT_EQ(ShortcutDisplayName(common + L"\\Contoso Suite\\Contoso Writer.lnk"),
              L"Contoso Writer");
    EXPECT_EQ(ShortcutDisplayName(common + L"\\Contoso Suite"), L"Contoso Suite");
    // Without a shell item the stem, then the file name.
    EXPECT_EQ(ShortcutDisplayName(common + L"\\gone\\Ghost.lnk"), L"Ghost");
}

namespace {

std::wstring ShellName(const std::wstring& path) {
    Microsoft::WRL::ComPtr<IShellItem> item;
    PWSTR name = nullptr;
    if (FAILED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_PPV_ARGS(&item))) ||
        FAILED(item->GetDisplayName(SIGDN_NORMALDISPLAY, &name)) || !name) {
        return L"(no shell name)";
    }
    std::wstring result = name;
    CoTaskMemFree(name);
    return result;
}

}  // namespace

// Names are worked out without the shell except where a desktop.ini can rename
// the item; they must be what the shell says, either way.
TEST_F(StartMenuTest, DisplayNamesEqualTheShellsOnPlainFoldersAndDesktopIniStillRenames) {
    const std::vector<std::wstring> plain = {L"Vendor\\Plain.lnk",       L"Vendor\\Two.Dots 1.2.lnk",
                                             L"Vendor\\UPPER CASE.LNK",  L"Vendor 2.0\\名前 ünïcode.lnk",
                                             L"Vendor 2.0\\Sub\\x.exe.lnk", L"Vendor\\ spaced .lnk"};
    for (const auto& relative : plain) Link(common, relative, Target(L"plain.exe"));
    for (const auto& relative : plain) {
        const std::wstring path = common + L"\\" + relative;
        EXPECT_EQ(ShortcutDisplayName(path), ShellName(path)) << relative.c_str();
    }
    for (const wchar_t* folder : {L"Vendor", L"Vendor 2.0", L"Vendor 2.0\\Sub"}) {
        const std::wstring path = common + L"\\" + folder;
        EXPECT_EQ(ShortcutDisplayName(path), ShellName(path)) << folder;
    }

    // A localized name: the shell is asked, and a shell that reads the
    // section gives the localized name; the walk shows the same name.
    Link(common, L"Local\\Writer.lnk", Target(L"writer.exe"));
    Link(common, L"Local\\Other.lnk", Target(L"other.exe"));
    WriteBytes(common + L"\\Local\\desktop.ini",
               "[LocalizedFileNames]\r\nWriter.lnk=Localized Writer\r\n");
    const std::wstring named = common + L"\\Local\\Writer.lnk";
    EXPECT_EQ(ShortcutDisplayName(named), ShellName(named));
    int asked = 0;
    const std::wstring localized = ShortcutDisplayName(named, [&](const std::wstring& path) {
        ++asked;
        EXPECT_EQ(path, named);
        return std::wstring(L"Localized Writer");
    });
    EXPECT_EQ(localized, L"Localized Writer");
    EXPECT_EQ(asked, 1);
    // Not named in the section: the file name, without asking.
    EXPECT_EQ(ShortcutDisplayName(common + L"\\Local\\Other.lnk", [&](const std::wstring&) {
                  ++asked;
                  return std::wstring(L"wrong");
              }),
              L"Other");
    EXPECT_EQ(asked, 1);
}

TEST_F(StartMenuTest, GroupsMergeAcrossBothFoldersWithFilters) {
    Link(common, L"Contoso\\Contoso.lnk", Target(L"contoso.exe"));
    Link(common, L"Contoso\\Contoso Help.lnk", Target(L"contoso.exe"), L"--help");
    Link(common, L"Contoso\\Contoso Guide.lnk", Target(L"guide.pdf"));
    Link(common, L"Contoso\\Remove Contoso.lnk", Target(L"unins000.exe"));
    Link(common, L"Contoso\\Deep\\Er\\Contoso Tools.lnk", Target(L"tools.exe"));
    Link(common, L"Startup\\Starter.lnk", Target(L"starter.exe"));
    Link(common, L"Loose.lnk", Target(L"loose.exe"));
    Link(user, L"contoso\\CONTOSO.lnk", Target(L"other.exe"));
    Link(user, L"contoso\\Contoso Reports.lnk", Target(L"reports.exe"));
    Link(user, L"contoso\\Deep\\Reports Copy.lnk", Target(L"reports.exe"));
    Link(user, L"contoso\\Reports Wide.lnk", Target(L"reports.exe"), L"--wide");
    Link(user, L"STARTUP\\Late.lnk", Target(L"late.exe"));
    Link(user, L"启动\\Early.lnk", Target(L"early.exe"));
    Link(user, L"Fabrikam\\Notes A.lnk", Target(L"notes.md"));
    Link(user, L"Fabrikam\\Notes B.lnk", Target(L"notes.md"));

    const std::vector<StartMenuGroup> groups = Walk();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].folderName, L"Contoso");  // the all-users folder named it first
    EXPECT_EQ(groups[1].folderName, L"Fabrikam");

    std::vector<std::wstring> names = Names(groups[0].apps);
    ASSERT_EQ(names.size(), 4u) << testing::PrintToString(names);
    // All-users members come first, whatever order each folder enumerates in.
    std::vector<std::wstring> first(names.begin(), names.begin() + 2);
    std::sort(first.begin(), first.end());
    EXPECT_EQ(first, (std::vector<std::wstring>{L"Contoso", L"Contoso Tools"}));
    const std::vector<std::wstring> rest(names.begin() + 2, names.end());
    // One of the two identical "reports.exe" shortcuts, and the one with arguments.
    EXPECT_EQ(std::count(rest.begin(), rest.end(), L"Reports Wide"), 1);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), L"Contoso Reports") +
                  std::count(rest.begin(), rest.end(), L"Reports Copy"),
              1);

    // Shortcuts to the same non-executable target are both kept.
    EXPECT_EQ(groups[1].apps.size(), 2u);

    const InstalledApp& contoso = *std::find_if(
        groups[0].apps.begin(), groups[0].apps.end(),
        [](const InstalledApp& a) { return a.name == L"Contoso"; });
    EXPECT_EQ(contoso.launchId, common + L"\\Contoso\\Contoso.lnk");
    EXPECT_EQ(contoso.shortcutPath, contoso.launchId);
    EXPECT_EQ(NormalizePathKey(contoso.targetPath), NormalizePathKey(targets + L"\\contoso.exe"));
    EXPECT_EQ(contoso.nameKey, L"contoso");
    EXPECT_EQ(contoso.initial, L'C');
    EXPECT_TRUE(contoso.isPrimary);
    EXPECT_FALSE(contoso.isFolder);
}

TEST_F(StartMenuTest, MissingRootsContributeNothing) {
    std::vector<StartMenuGroup> groups;
    StartMenuGroupIndex index;
    CollectStartMenuShortcutsIn(temp / L"absent", groups, index);
    CollectStartMenuShortcutsIn(L"", groups, index);
    EXPECT_TRUE(groups.empty());
}

// 110 bytes whose LinkInfo claims 0xFFFFFFFF: the shell commits what a link
// claims before it reads, so reading, drawing or starting it must not reach it.
TEST_F(StartMenuTest, AMalformedLinkIsTargetlessAndCostsNoMoreThanAGoodOne) {
    Link(common, L"Suite\\One.lnk", Target(L"one.exe"));
    Link(common, L"Suite\\Two.lnk", Target(L"two.exe"));
    const std::wstring broken = common + L"\\Suite\\Broken.lnk";
    std::string bytes(110, '\0');
    bytes[0] = 0x4C;
    std::memcpy(&bytes[4], &CLSID_ShellLink, sizeof(GUID));
    bytes[20] = 0x02;
    bytes.replace(0x4C, 4, 4, '\xFF');
    ASSERT_TRUE(WriteBytes(broken, bytes));
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
    PROCESS_MEMORY_COUNTERS before = {}, after = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    const std::vector<StartMenuGroup> groups = Walk();
    IconBitmap icon;
    EXPECT_FALSE(ExtractShellItemImage(factory.Get(), L"", broken, 48, true, icon) || ExtractFileIcon(factory.Get(), broken, icon));
    EXPECT_FALSE(ShortcutChainIsSafe(broken));
    EXPECT_FALSE(LaunchApp(broken, L""));
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    EXPECT_LT(after.PeakPagefileUsage - before.PagefileUsage, SIZE_T(256) << 20);
    EXPECT_LT(after.PeakWorkingSetSize - before.WorkingSetSize, SIZE_T(256) << 20);
    ASSERT_EQ(groups.size(), 1u);
    ASSERT_EQ(groups[0].apps.size(), 3u);
    EXPECT_EQ(std::count_if(groups[0].apps.begin(), groups[0].apps.end(),
                            [&](const InstalledApp& app) { return app.targetPath == broken; }), 1);
    // Mended in place, it is judged again.
    EXPECT_FALSE(IsLinkFileSound(broken));
    ASSERT_TRUE(MakeShortcut(broken, Target(L"three.exe")));
    EXPECT_TRUE(IsLinkFileSound(broken));
}

TEST_F(StartMenuTest, FallbackWalksEverythingButDropsUninstallersAndDuplicates) {
    Link(common, L"Loose.lnk", Target(L"loose.exe"));
    Link(common, L"Startup\\Starter.lnk", Target(L"starter.exe"));
    Link(common, L"Suite\\Deep\\Helpful Readme.lnk", Target(L"readme.txt"));
    Link(common, L"Suite\\Uninstall Suite.lnk", Target(L"remove.exe"));
    Link(user, L"loose.lnk", Target(L"loose2.exe"));        // same name: dropped
    Link(user, L"Loose Again.lnk", Target(L"loose.exe"));   // same exe: dropped
    Link(user, L"Own.lnk", Target(L"own.exe"));

    std::unordered_set<std::wstring> nameKeys, exeTargets;
    std::vector<InstalledApp> out;
    ScanStartMenuFallbackIn(common, nameKeys, exeTargets, out);
    ScanStartMenuFallbackIn(user, nameKeys, exeTargets, out);

    std::vector<std::wstring> names = Names(out);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Helpful Readme", L"Loose", L"Own", L"Starter"}));
    for (const auto& app : out) {
        // Plain links have no id of their own: the launch id is the target's key.
        EXPECT_EQ(app.launchId, NormalizePathKey(app.targetPath));
        EXPECT_NE(app.shortcutPath.find(app.name + L".lnk"), std::wstring::npos) << "it starts through it";
    }
    EXPECT_TRUE(nameKeys.count(L"uninstall suite") == 0);
    EXPECT_TRUE(exeTargets.count(NormalizePathKey(targets + L"\\own.exe") + L"|") == 1);
}

TEST_F(StartMenuTest, FolderMembersAreClassifiedByTheirShortcutPath) {
    // Neither the name nor the target says "steam"; the Start-menu folder does.
    Link(common, L"Steam\\Launcher.lnk", Target(L"launcher.exe"));
    Link(common, L"Contoso\\Launcher Two.lnk", Target(L"launcher2.exe"));
    const std::vector<StartMenuGroup> groups = Walk();
    ASSERT_EQ(groups.size(), 2u);
    for (const auto& group : groups) {
        ASSERT_EQ(group.apps.size(), 1u);
        if (group.folderName == L"Steam") {
            EXPECT_EQ(group.apps[0].category, AppCategory::Games);
        } else {
            EXPECT_EQ(group.apps[0].category, AppCategory::Other);
        }
    }
}

TEST_F(StartMenuTest, OneProgramStartedTwoWaysIsTwoEntriesAndAnUpdaterStartIsItsProgram) {
    Link(user, L"Browser.lnk", Target(L"browser.exe"));
    Link(user, L"Browser Profile 2.lnk", Target(L"browser.exe"), L"--profile-directory=\"Profile 2\"");
    Link(user, L"Workspace.lnk", Target(L"Update.exe"), L"--processStart \"slack.exe\"");
    std::unordered_set<std::wstring> nameKeys, exeTargets;
    std::vector<InstalledApp> out;
    ScanStartMenuFallbackIn(user, nameKeys, exeTargets, out);
    std::sort(out.begin(), out.end(), [](const InstalledApp& a, const InstalledApp& b) { return a.name < b.name; });
    ASSERT_EQ(Names(out), (std::vector<std::wstring>{L"Browser", L"Browser Profile 2", L"Workspace"}));
    EXPECT_EQ(out[1].launchId, user + L"\\Browser Profile 2.lnk");
    EXPECT_TRUE(out[2].isPrimary);
    EXPECT_EQ(out[2].category, AppCategory::Social);
}

TEST_F(StartMenuTest, AFolderTheWalkCannotEnterLeavesOutOnlyItself) {
    std::vector<std::wstring> deep = {common + L"\\Suite", common + L"\\Suite\\Deep"};
    while (deep.back().size() <= MAX_PATH) deep.push_back(deep.back() + L"\\" + std::wstring(50, L'd'));
    for (const std::wstring& folder : deep) ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr));
    Link(common, L"Suite\\Reader.lnk", Target(L"reader.exe"));
    Link(common, L"Suite\\Writer.lnk", Target(L"writer.exe"));
    const std::vector<StartMenuGroup> groups = Walk();
    for (auto folder = deep.rbegin(); folder != deep.rend(); ++folder) RemoveDirectoryW((L"\\\\?\\" + *folder).c_str());
    EXPECT_EQ(Names(groups.at(0).apps), (std::vector<std::wstring>{L"Reader", L"Writer"}));  // in folder order
}
