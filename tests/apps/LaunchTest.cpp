#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <functional>
#include <vector>

#include "TestSupport.h"
#include "platform/Log.h"
#include "apps/Launch.h"
#include "apps/LinkFileProperties.h"
#include "apps/LinkText.h"
#include "apps/Shortcut.h"
#include "apps/ShortcutChain.h"
#include "apps/StartMenuScan.h"
#include "dock/PinnedAppFrom.h"
#include "config/PathText.h"
#include "platform/ShellPropertyKeys.h"

namespace {

std::wstring KnownFolder(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring DirKey(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return NormalizePathKey(path);
}

// What the helper program wrote: its arguments and its working directory.
struct LaunchRecord {
    std::vector<std::wstring> args;
    std::wstring cwd;
};

LaunchRecord ParseRecord(const std::wstring& text) {
    LaunchRecord record;
    size_t pos = 0;
    bool inArgs = false;
    while (pos < text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line == L"args:") {
            inArgs = true;
        } else if (line.rfind(L"cwd:", 0) == 0) {
            record.cwd = line.substr(4);
            inArgs = false;
        } else if (inArgs) {
            record.args.push_back(line);
        }
    }
    return record;
}

// Copies the recording helper to a folder of the test's choosing.
std::wstring PlaceHelper(const std::wstring& folder) {
    MakeDirs(folder);
    const std::wstring copy = folder + L"\\record_launch.exe";
    CopyFileW((TestBinDirectory() + L"\\record_launch.exe").c_str(), copy.c_str(), FALSE);
    return copy;
}

// Shell calls recorded instead of made.
struct RecordedOps {
    struct Call {
        std::wstring kind, file, parameters, directory;
    };
    std::vector<Call> calls;
    INT_PTR openResult = 42;
    bool openExStarted = true;
    DWORD openExError = 0;
    bool selectResult = false;

    LaunchOps Ops() {
        LaunchOps ops;
        ops.shellOpen = [this](const std::wstring& file, const std::wstring& parameters) {
            calls.push_back({L"open", file, parameters, L""});
            return openResult;
        };
        ops.shellOpenEx = [this](const std::wstring& file, const std::wstring& parameters,
                                 const std::wstring& directory, DWORD& error) {
            calls.push_back({L"openEx", file, parameters, directory});
            if (!openExStarted) error = openExError;
            return openExStarted;
        };
        ops.selectInFolder = [this](const std::wstring& path) {
            calls.push_back({L"select", path, L"", L""});
            return selectResult;
        };
        return ops;
    }
};

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override { InitializeLog(true); }

    // Runs launch with the recording helper's output going to a file in temp;
    // false when launch fails or the helper never writes its record.
    bool LaunchRecorded(const TempDir& temp, const std::function<bool()>& launch,
                        LaunchRecord& got) {
        const std::wstring record = temp / L"record.txt";
        SetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", record.c_str());
        const bool started = launch();
        SetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", nullptr);
        if (!started || !WaitForFile(record, 20000)) return false;
        got = ParseRecord(ReadUtf16File(record));
        return true;
    }

    ComScope com_;
};

}  // namespace

TEST_F(LaunchTest, ExpandsBracedKnownFolderIdsAndLeavesEverythingElse) {
    const std::wstring windows = KnownFolder(FOLDERID_Windows);
    ASSERT_FALSE(windows.empty());
    const std::wstring id = L"{F38BF404-1D43-42F2-9305-67DE0B28FC23}";
    EXPECT_EQ(ExpandKnownFolderPath(id + L"\\System32\\notepad.exe"),
              windows + L"\\System32\\notepad.exe");
    EXPECT_EQ(ExpandKnownFolderPath(id + L"\\/\\tool.exe"), windows + L"\\tool.exe");
    EXPECT_EQ(ExpandKnownFolderPath(id), windows);

    const std::wstring unknown = L"{00000000-0000-0000-0000-0000000000AB}\\x.exe";
    EXPECT_EQ(ExpandKnownFolderPath(unknown), unknown);
    const std::wstring notAGuid = L"{not-a-guid-but-long-enough-to-try-it}\\x.exe";
    EXPECT_EQ(ExpandKnownFolderPath(notAGuid), notAGuid);
    const std::wstring shortPath = L"{F38BF404-1D43-42F2-9305-67DE0B28FC2}";  // 37 characters
    ASSERT_EQ(shortPath.size(), 37u);
    EXPECT_EQ(ExpandKnownFolderPath(shortPath), shortPath);
    const std::wstring lateBrace = L"{123456}" + std::wstring(40, L'x');
    EXPECT_EQ(ExpandKnownFolderPath(lateBrace), lateBrace);
}

TEST_F(LaunchTest, DisplayNamesAreFileStems) {
    EXPECT_EQ(DisplayNameFromPath(L"C:\\Apps\\Foo.Bar.lnk"), L"Foo.Bar");
    EXPECT_EQ(DisplayNameFromPath(L"C:/Apps/tool.exe"), L"tool");
    EXPECT_EQ(DisplayNameFromPath(L"C:\\data\\.profile"), L".profile");
    EXPECT_EQ(DisplayNameFromPath(L"C:\\data\\notes.txt:hidden"), L"notes");
    EXPECT_EQ(DisplayNameFromPath(L"C:run.exe"), L"run");
    EXPECT_EQ(DisplayNameFromPath(L"notepad.exe"), L"notepad");
    EXPECT_EQ(DisplayNameFromPath(L"C:\\"), L"C:\\");
    EXPECT_EQ(DisplayNameFromPath(L"\\\\server\\share"), L"\\\\server\\share");
    EXPECT_EQ(DisplayNameFromPath(L"\\\\server\\share\\Tool.exe"), L"Tool");
    EXPECT_EQ(DisplayNameFromPath(L"shell:AppsFolder\\X!App"), L"X!App");
}

TEST_F(LaunchTest, ExecutablesStartWithArgumentsInTheRightFolder) {
    TempDir temp;
    LaunchRecord got;
    const std::wstring ordinary = PlaceHelper(temp / L"Ordinary App");
    ASSERT_TRUE(LaunchRecorded(
        temp, [&] { return LaunchApp(ordinary, L"--first \"two words\" C:\\x"); }, got));
    EXPECT_EQ(got.args, (std::vector<std::wstring>{L"--first", L"two words", L"C:\\x"}));
    EXPECT_EQ(DirKey(got.cwd), DirKey(temp / L"Ordinary App")) << "its own folder";

    // A packaged executable keeps the caller's folder.
    DeleteFileW((temp / L"record.txt").c_str());
    const std::wstring packaged = PlaceHelper(temp / L"WindowsApps\\Contoso.Tool_1.0_x64__abc");
    const std::wstring elsewhere = temp / L"elsewhere";
    MakeDirs(elsewhere);
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(elsewhere.c_str());
    const bool recorded = LaunchRecorded(temp, [&] { return LaunchApp(packaged, L""); }, got);
    SetCurrentDirectoryW(previous);
    ASSERT_TRUE(recorded);
    EXPECT_TRUE(got.args.empty());
    EXPECT_EQ(DirKey(got.cwd), DirKey(elsewhere));

    // An all-apps file entry starts for real too.
    DeleteFileW((temp / L"record.txt").c_str());
    EXPECT_TRUE(LaunchRecorded(temp, [&] { return LaunchShellApp(ordinary); }, got));

    // One whose shortcut went after the catalog was read starts what the
    // shortcut held: its target, arguments and folder. Recorded elsewhere: the
    // helper above may still hold its record.
    TempDir fresh;
    MakeDirs(temp / L"menu\\Suite");
    ASSERT_TRUE(MakeShortcut(temp / L"menu\\Suite\\Tool.lnk", ordinary, L"--from \"the link\"", elsewhere));
    std::vector<StartMenuGroup> groups;
    StartMenuGroupIndex index;
    CollectStartMenuShortcutsIn(temp / L"menu", groups, index);
    ASSERT_EQ(groups.size(), 1u);
    ASSERT_TRUE(DeleteFileW((temp / L"menu\\Suite\\Tool.lnk").c_str()));
    ASSERT_TRUE(
        LaunchRecorded(fresh, [&] { return StartEntryLaunch(PlanEntryLaunch(groups[0].apps.at(0))); }, got));
    EXPECT_EQ(got.args, (std::vector<std::wstring>{L"--from", L"the link"}));
    EXPECT_EQ(DirKey(got.cwd), DirKey(elsewhere));
    // With the target gone too nothing can start, and nothing is tried.
    InstalledApp gone = groups[0].apps[0];
    gone.targetPath = temp / L"gone.exe";
    EXPECT_FALSE(PlanEntryLaunch(gone));
    EXPECT_NE(ReadDebugLog().find(L"Launch refused: "), std::wstring::npos);
}

TEST_F(LaunchTest, MissingTargetFailsAndIsLogged) {
    TempDir temp;
    const std::wstring missing = temp / L"no such folder\\missing.exe";
    EXPECT_FALSE(LaunchApp(missing, L""));
    EXPECT_NE(ReadDebugLog().find(L"LaunchApp failed (3) for " + missing), std::wstring::npos);
    EXPECT_FALSE(LaunchApp(L"", L"ignored"));
}

TEST_F(LaunchTest, DockItemRouting) {
    RecordedOps rec;
    // Shell paths go to File Explorer, arguments or not.
    EXPECT_TRUE(LaunchApp(L"Shell:Downloads", L"--ignored", rec.Ops()));
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].file, L"explorer.exe");
    EXPECT_EQ(rec.calls[0].parameters, L"Shell:Downloads");

    // File Explorer with arguments starts through the extended call with them.
    rec.calls.clear();
    EXPECT_TRUE(LaunchApp(L"C:\\Windows\\Explorer.EXE", L"/select,C:\\x", rec.Ops()));
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].kind, L"openEx");
    EXPECT_EQ(rec.calls[0].parameters, L"/select,C:\\x");

    // Without arguments it opens plainly; when that fails, the extended call follows.
    rec.calls.clear();
    rec.openResult = 2;
    EXPECT_TRUE(LaunchApp(L"explorer.exe", L"", rec.Ops()));
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_EQ(rec.calls[0].kind, L"open");
    EXPECT_EQ(rec.calls[0].parameters, L"");
    EXPECT_EQ(rec.calls[1].kind, L"openEx");

    // A shell path that explorer cannot open is a failure.
    rec.calls.clear();
    EXPECT_FALSE(LaunchApp(L"::{645FF040-5081-101B-9F08-00AA002F954E}", L"", rec.Ops()));

    // A failed start is logged with the error the shell left, even none at all.
    for (DWORD error : {DWORD{ERROR_ACCESS_DENIED}, DWORD{0}}) {
        rec.openExStarted = false;
        rec.openExError = error;
        EXPECT_FALSE(LaunchApp(L"C:\\Tools\\Denied.exe", L"", rec.Ops()));
        EXPECT_NE(ReadDebugLog().find(L"LaunchApp failed (" + std::to_wstring(error) +
                                      L") for C:\\Tools\\Denied.exe"),
                  std::wstring::npos)
            << error;
    }
}

TEST_F(LaunchTest, EnvironmentVariablesAreExpandedAndProgramsStartInTheirFolder) {
    RecordedOps rec;
    EXPECT_TRUE(LaunchApp(L"%SystemRoot%\\notepad.exe", L"", rec.Ops()));
    EXPECT_TRUE(LaunchShellApp(L"%SystemRoot%\\notepad.exe", rec.Ops()));
    ASSERT_EQ(rec.calls.size(), 2u);
    for (const auto& call : rec.calls) EXPECT_EQ(DirKey(call.directory), DirKey(KnownFolder(FOLDERID_Windows)));
}

TEST_F(LaunchTest, ShortcutChainsThatLoopOrRunPastEightShortcutsAreRefused) {
    TempDir temp;
    auto link = [&](int i) { return temp / (std::to_wstring(i) + L".lnk"); };
    for (int i = 8; i >= 0; --i) ASSERT_TRUE(MakeShortcut(link(i), i == 8 ? L"C:\\x.exe" : link(i + 1)));
    EXPECT_EQ(FollowShortcutChain(link(1)).end, ShortcutChainEnd::Program);
    EXPECT_EQ(FollowShortcutChain(link(0)).end, ShortcutChainEnd::TooLong);
    ASSERT_TRUE(MakeShortcut(link(8), link(7)));
    EXPECT_FALSE(LaunchShellApp(link(7))) << "7 -> 8 -> 7, and the program lives on";
    EXPECT_FALSE(LaunchApp(link(8), L""));
    EXPECT_NE(ReadDebugLog().find(L"Shortcut refused: " + link(7) + L" leads back to"), std::wstring::npos);
    ASSERT_TRUE(MakeShortcut(link(8), link(8)));
    EXPECT_EQ(FollowShortcutChain(link(8)).end, ShortcutChainEnd::Loop) << "a shortcut to itself";
}

TEST_F(LaunchTest, ALauncherShortcutPinsAsItsTargetWithItsArguments) {
    TempDir temp;
    InstalledApp app;
    app.shortcutPath = temp / L"Notes.lnk";
    ASSERT_TRUE(MakeShortcut(app.shortcutPath, temp / L"notes.exe", L"--open x"));
    EXPECT_EQ(PinnedAppFromInstalledApp(app).args, L"--open x");
}

TEST_F(LaunchTest, WorkingDirectoryRules) {
    TempDir temp;
    EXPECT_EQ(LaunchWorkingDirectory(temp / L"tool.exe"), temp.Path());
    EXPECT_EQ(LaunchWorkingDirectory(temp / L"gone\\tool.exe"), L"");
    EXPECT_EQ(LaunchWorkingDirectory(temp / L"WINDOWSAPPS\\tool.exe"), L"");
    EXPECT_EQ(LaunchWorkingDirectory(L"mailto:someone@example.com"), L"");
    EXPECT_EQ(LaunchWorkingDirectory(L"notepad.exe"), L"");
}

TEST_F(LaunchTest, ShellAppIdentifiersAreClassifiedInOrder) {
    RecordedOps rec;
    TempDir temp;
    const std::wstring file = temp / L"doc!1.txt";
    ASSERT_TRUE(WriteBytes(file, "x"));

    // A separator without an existing file is neither.
    EXPECT_FALSE(LaunchShellApp(L"a\\b", rec.Ops()));
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_NE(ReadDebugLog().find(L"LaunchShellApp: 'a\\b' is neither a file nor an AppsFolder id"),
              std::wstring::npos);

    // "!" names an application; a bare word does too.
    EXPECT_TRUE(LaunchShellApp(L"X!App", rec.Ops()));
    EXPECT_TRUE(LaunchShellApp(L"Microsoft.WindowsCalculator_8wekyb3d8bbwe", rec.Ops()));
    EXPECT_FALSE(LaunchShellApp(L"C:\\Games\\Wow!\\gone.exe", rec.Ops())) << "a missing path, '!' or not";
    EXPECT_NE(ReadDebugLog().find(L"'C:\\Games\\Wow!\\gone.exe' is neither a file"), std::wstring::npos);
    // A separator with "!" is still an id when no such file exists.
    EXPECT_TRUE(LaunchShellApp(L"Contoso/Tool!App", rec.Ops()));
    // An existing file wins over "!".
    EXPECT_TRUE(LaunchShellApp(file, rec.Ops()));
    // Shell paths go to explorer as they are.
    EXPECT_TRUE(LaunchShellApp(L"shell:::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", rec.Ops()));
    ASSERT_EQ(rec.calls.size(), 5u);
    EXPECT_EQ(rec.calls[0].parameters, L"shell:AppsFolder\\X!App");
    EXPECT_EQ(rec.calls[0].file, L"explorer.exe");
    EXPECT_EQ(rec.calls[1].parameters,
              L"shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe");
    EXPECT_EQ(rec.calls[2].parameters, L"shell:AppsFolder\\Contoso/Tool!App");
    EXPECT_EQ(rec.calls[3].kind, L"openEx");
    EXPECT_EQ(rec.calls[3].file, file);
    EXPECT_EQ(rec.calls[3].directory, L"");
    EXPECT_EQ(rec.calls[4].parameters, L"shell:::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");

    rec.calls.clear();
    rec.openResult = 5;
    EXPECT_FALSE(LaunchShellApp(L"Y!App", rec.Ops()));
    EXPECT_NE(ReadDebugLog().find(L"LaunchShellApp: explorer could not open 'shell:AppsFolder\\Y!App'"),
              std::wstring::npos);
    rec.openExStarted = false;
    rec.openExError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(LaunchShellApp(file, rec.Ops()));
    EXPECT_NE(ReadDebugLog().find(L"LaunchShellApp: cannot run '" + file + L"' (err=5)"),
              std::wstring::npos);
    EXPECT_FALSE(LaunchShellApp(L"", rec.Ops()));
}

TEST_F(LaunchTest, OpenFileLocationFallsBackToTheFolder) {
    TempDir temp;
    RecordedOps rec;
    OpenFileLocation(temp / L"deleted.exe", rec.Ops());
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_EQ(rec.calls[0].kind, L"select");
    EXPECT_EQ(rec.calls[1].kind, L"open");
    EXPECT_EQ(rec.calls[1].file, temp.Path());

    rec.calls.clear();
    OpenFileLocation(temp / L"gone\\deleted.exe", rec.Ops());
    EXPECT_EQ(rec.calls.size(), 1u);

    rec.calls.clear();
    rec.selectResult = true;
    OpenFileLocation(temp / L"there.exe", rec.Ops());
    EXPECT_EQ(rec.calls.size(), 1u);
    OpenFileLocation(L"", rec.Ops());
    EXPECT_EQ(rec.calls.size(), 1u);
}

TEST_F(LaunchTest, ResolvesPlainFilesAndShortcuts) {
    EXPECT_FALSE(ResolveShortcut(L"").has_value());

    const auto plain = ResolveShortcut(L"C:\\Tools\\My App.EXE");
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->displayName, L"My App");
    EXPECT_EQ(plain->targetPath, L"C:\\Tools\\My App.EXE");
    EXPECT_EQ(plain->arguments, L"");
    EXPECT_EQ(plain->appUserModelId, L"c:\\tools\\my app.exe");

    TempDir temp;
    const std::wstring target = temp / L"Tool.exe";
    ASSERT_TRUE(WriteBytes(target, "MZ"));
    const std::wstring link = temp / L"My Tool.lnk";
    ASSERT_TRUE(MakeShortcut(link, target, L"--fast"));
    const auto info = ResolveShortcut(link);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->displayName, L"My Tool");
    EXPECT_EQ(NormalizePathKey(info->targetPath), NormalizePathKey(target));
    EXPECT_EQ(info->arguments, L"--fast");
    EXPECT_EQ(info->appUserModelId, NormalizePathKey(info->targetPath));

    // A broken shortcut file keeps itself as its target.
    const std::wstring broken = temp / L"Broken.lnk";
    ASSERT_TRUE(WriteBytes(broken, "not a link"));
    const auto fallback = ResolveShortcut(broken);
    ASSERT_TRUE(fallback.has_value());
    EXPECT_EQ(fallback->targetPath, broken);
    EXPECT_EQ(fallback->appUserModelId, NormalizePathKey(broken));
}

TEST_F(LaunchTest, ShortcutApplicationIdComesFromTheFilesPropertyBlock) {
    TempDir temp;
    const std::wstring link = temp / L"Store App.lnk";
    ASSERT_TRUE(MakeShortcut(link, L"C:\\Windows\\explorer.exe"));
    std::string bytes = ReadBytes(link);
    ASSERT_GE(bytes.size(), 80u);
    // Put the property block in front of the terminal block.
    ASSERT_EQ(bytes.substr(bytes.size() - 4), std::string(4, '\0'));
    bytes.insert(bytes.size() - 4,
                 MakeLinkPropertyStoreBlock(kPKEY_AppUserModel_ID.fmtid, kPKEY_AppUserModel_ID.pid,
                                            L"Contoso.PhotoLab_8wekyb3d8bbwe!App"));
    ASSERT_TRUE(WriteBytes(link, bytes));

    const auto info = ResolveShortcut(link);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->appUserModelId, L"contoso.photolab_8wekyb3d8bbwe!app");
    EXPECT_EQ(NormalizePathKey(info->targetPath), L"c:\\windows\\explorer.exe");
}

TEST_F(LaunchTest, LinkPropertyParserRejectsMalformedBlocks) {
    TempDir temp;
    const std::wstring link = temp / L"x.lnk";
    ASSERT_TRUE(MakeShortcut(link, L"C:\\Windows\\explorer.exe"));
    const std::string base = ReadBytes(link);
    const std::string block = MakeLinkPropertyStoreBlock(kPKEY_AppUserModel_ID.fmtid, 5, L"A!B");
    auto parse = [](const std::string& bytes) {
        return AppUserModelIdFromLinkBytes(std::span<const uint8_t>(
            reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    };
    std::string good = base;
    good.insert(good.size() - 4, block);
    EXPECT_EQ(parse(good), L"A!B");
    // Another property id of the same set is not the id.
    std::string otherId = base;
    otherId.insert(otherId.size() - 4, MakeLinkPropertyStoreBlock(kPKEY_AppUserModel_ID.fmtid, 6, L"A!B"));
    EXPECT_EQ(parse(otherId), L"");
    // Every truncation inside the block parses without reading past its end.
    for (size_t cut = 0; cut + 4 < good.size(); ++cut) {
        EXPECT_EQ(parse(good.substr(0, cut)), L"") << cut;
    }
    // A block claiming more bytes than exist.
    std::string lying = good;
    const size_t at = good.size() - 4 - block.size();
    lying[at + 3] = '\x7F';
    EXPECT_EQ(parse(lying), L"");
}

TEST(LinkText, LongTextIsReadWholeNotCut) {
    // A shell link copies its text like lstrcpyn: cut to the buffer, terminated.
    const std::wstring stored = L"C:\\" + std::wstring(700, L'p') + L"\\tool.exe";
    int calls = 0;
    auto fill = [&](const std::wstring& text) {
        return [&calls, text](wchar_t* buffer, int capacity) -> HRESULT {
            ++calls;
            lstrcpynW(buffer, text.c_str(), capacity);
            return S_OK;
        };
    };
    std::wstring out;
    ASSERT_TRUE(ReadWholeLinkText(MAX_PATH, fill(stored), out));
    EXPECT_EQ(out, stored);
    EXPECT_EQ(calls, 3);  // 260, 520, 1040

    // Exactly one short of the first buffer still needs a second look.
    calls = 0;
    const std::wstring edge(259, L'e');
    ASSERT_TRUE(ReadWholeLinkText(MAX_PATH, fill(edge), out));
    EXPECT_EQ(out, edge);
    EXPECT_EQ(calls, 2);

    // Text that fills even the largest buffer is refused, never taken cut.
    EXPECT_FALSE(ReadWholeLinkText(MAX_PATH, fill(std::wstring(70000, L'z')), out));
    EXPECT_FALSE(ReadWholeLinkText(MAX_PATH, [](wchar_t*, int) { return E_FAIL; }, out));
}
