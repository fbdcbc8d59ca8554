// The tray sources on real processes: the classic toolbars (a stand-in tray
// helper), the registry entries and the window probe.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <unordered_map>

#include "config/PathText.h"
#include "support/TestSupport.h"
#include "support/WindowProgram.h"
#include "system/TrayTestSupport.h"
#include "system/tray/TrayLegacyToolbars.h"
#include "system/tray/TrayMonitor.h"
#include "system/tray/TrayProcesses.h"
#include "system/tray/TrayRegistrySettings.h"
#include "system/tray/TrayWindowProbe.h"

using namespace testing_support;

namespace {

constexpr unsigned kCallback = WM_APP + 1;

class TrayDiscovery : public ::testing::Test {
protected:
    // Starts an owner named name with a message-only window.
    TrayHelperProcess& Owner(const std::wstring& name, const std::wstring& windows = L"m") {
        owners_.push_back(std::make_unique<TrayHelperProcess>());
        std::wstring out = dir_.File(name + L".out");
        EXPECT_TRUE(owners_.back()->Start(CopyTrayOwner(dir_.Path(), name), L"--windows " + windows + L" --out \"" + out + L"\"", out));
        return *owners_.back();
    }
    HWND StartTray(const std::vector<std::wstring>& buttons, const std::wstring& extra = L"") {
        std::wstring out = dir_.File(L"tray" + std::to_wstring(trays_.size()) + L".out");
        std::wstring args = extra + L" --out \"" + out + L"\"";
        for (const std::wstring& b : buttons) args += L" " + b;
        trays_.push_back(std::make_unique<TrayHelperProcess>());
        EXPECT_TRUE(trays_.back()->Start(BinDir() + L"\\fake_tray_gui.exe", args, out));
        return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(ReadTextFile(out), nullptr, 16)));
    }
    std::unordered_map<std::wstring, TrayIconInfo> Read(HWND toolbar, bool overflow) {
        std::unordered_map<std::wstring, TrayIconInfo> byKey;
        ReadTrayToolbarButtons(toolbar, overflow, byKey);
        return byKey;
    }
    std::wstring Key(const std::wstring& name) { return NormalizePathKey(dir_.File(name)); }

    TempDir dir_;
    std::vector<std::unique_ptr<TrayHelperProcess>> owners_;
    std::vector<std::unique_ptr<TrayHelperProcess>> trays_;
};

}  // namespace

TEST_F(TrayDiscovery, ClassicToolbarGivesOneRecordPerExecutable) {
    TrayHelperProcess& first = Owner(L"First.exe");
    TrayHelperProcess& second = Owner(L"Second.exe");
    HWND a = first.Window(L'm'), b = second.Window(L'm');
    ASSERT_TRUE(a && b);
    StartTray({FakeTrayButton(a, 7, kCallback, false, L"First tip\\nline two"),
               FakeTrayButton(a, 8, kCallback, true, L"Other"),
               FakeTrayButton(b, 3, kCallback, true, L"~")});

    std::vector<TrayIconInfo> icons;
    ASSERT_EQ(ReadLegacyTrayToolbars(icons), LegacyTrayRead::Read) << "the overflow toolbar exists";
    ASSERT_EQ(icons.size(), 2u);
    std::sort(icons.begin(), icons.end(), [](auto& x, auto& y) { return x.displayName < y.displayName; });
    EXPECT_EQ(icons[0].displayName, L"First tip");
    EXPECT_EQ(icons[0].key, Key(L"First.exe"));
    EXPECT_EQ(icons[0].pid, first.Pid());
    EXPECT_EQ(icons[0].ownerWindow, a);
    EXPECT_EQ(icons[0].uID, 7u) << "the first of two overflow buttons stays";
    EXPECT_EQ(icons[0].callbackMessage, kCallback);
    EXPECT_EQ(icons[0].onBar, 0) << "overflow buttons are off the bar";
    EXPECT_EQ(icons[1].displayName, L"Second") << "no tooltip: the executable's stem";
    EXPECT_EQ(NormalizePathKey(icons[1].exePath), Key(L"Second.exe"));
}

TEST_F(TrayDiscovery, BarButtonWinsInEitherOrderAndShellOwnersAreSkipped) {
    TrayHelperProcess& owner = Owner(L"Merge.exe");
    HWND w = owner.Window(L'm');
    // A stand-in taskbar of another test may still be going away: the shell's
    // is explorer's, which a prefix just started makes in its own time.
    HWND shell = nullptr;
    testing_support::WaitFor([&] {
        while ((shell = FindWindowExW(nullptr, shell, L"Shell_TrayWnd", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(shell, &pid);
            if (IsShellProcess(NormalizePathKey(ProcessImagePath(pid)))) break;
        }
        return shell != nullptr;
    });
    ASSERT_TRUE(shell) << "explorer's own taskbar window";
    HWND hiddenFirst = StartTray({FakeTrayButton(w, 1, kCallback, true, L"Hidden"),
                                  FakeTrayButton(w, 2, kCallback, false, L"Shown"),
                                  FakeTrayButton(shell, 1, kCallback, false, L"Shell")});
    auto read = Read(hiddenFirst, false);
    ASSERT_EQ(read.size(), 1u) << "explorer's icons never make records";
    EXPECT_EQ(read.begin()->second.uID, 2u);
    EXPECT_EQ(read.begin()->second.onBar, 1);
    EXPECT_EQ(read.begin()->second.displayName, L"Shown");

    HWND shownFirst = StartTray({FakeTrayButton(w, 2, kCallback, false, L"Shown"),
                                 FakeTrayButton(w, 1, kCallback, false, L"Later")});
    EXPECT_EQ(Read(shownFirst, false).begin()->second.uID, 2u) << "of two on the bar the first stays";
    EXPECT_EQ(Read(shownFirst, true).begin()->second.onBar, 0) << "nothing in the overflow is on the bar";
}

TEST_F(TrayDiscovery, HungTrayHostStillSelectsTheLegacyPathAndFails) {
    TrayHelperProcess& owner = Owner(L"Hung.exe");
    StartTray({FakeTrayButton(owner.Window(L'm'), 1, kCallback, false, L"Tip")}, L"--stop-pumping");
    std::vector<TrayIconInfo> icons(1);
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(ReadLegacyTrayToolbars(icons), LegacyTrayRead::Failed);
    EXPECT_LT(GetTickCount64() - start, 1000u);

    // A pass over it fails and keeps the list it had while the owner runs.
    TraySources sources = SystemTraySources(nullptr);
    std::wstring logged;
    sources.log = [&](const std::wstring& line) { logged += line + L"\n"; };
    TrayState state;
    state.icons.resize(1);
    state.icons[0].key = Key(L"Hung.exe");
    TraySuppression suppression;
    TrayPassMemory memory;
    memory.lastSummary = L"Hung[bar] ";
    EXPECT_FALSE(RunTrayPass(memory, sources, state, suppression));
    EXPECT_EQ(state.icons.size(), 1u);
    EXPECT_NE(logged.find(L"(ok=0)"), std::wstring::npos) << logged;
    EXPECT_EQ(logged.find(L"0 live icons"), std::wstring::npos) << logged;
}

TEST_F(TrayDiscovery, LateToolbarAnswersAlwaysFindTheirPage) {
    TrayHelperProcess& owner = Owner(L"Late.exe");
    HWND w = owner.Window(L'm');
    HWND toolbar =
        StartTray({FakeTrayButton(w, 1, kCallback, false, L"One"), FakeTrayButton(w, 2, kCallback, true, L"Two")},
                  L"--late-answers 400");
    for (int pass = 0; pass < 5; ++pass) {
        std::vector<TrayIconInfo> icons;
        EXPECT_EQ(ReadLegacyTrayToolbars(icons), LegacyTrayRead::Failed) << "an answer after 150 ms is too late";
        Sleep(600);
    }
    PostMessageW(GetParent(toolbar), WM_CLOSE, 0, 0);
    ASSERT_TRUE(trays_.back()->WaitExit(5000));
    DWORD code = 0;
    GetExitCodeProcess(trays_.back()->Handle(), &code);
    EXPECT_EQ(code, 0u) << "late answers that found their page released";
}

namespace {

class NotifyIconEntries {
public:
    ~NotifyIconEntries() {
        for (const std::wstring& name : names_)
            RegDeleteKeyW(HKEY_CURRENT_USER, (L"Control Panel\\NotifyIconSettings\\" + name).c_str());
    }
    HKEY Add(const std::wstring& name) {
        names_.push_back(name);
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, (L"Control Panel\\NotifyIconSettings\\" + name).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
        return key;
    }
    void Entry(const std::wstring& name, const std::wstring& path, const wchar_t* tip, const DWORD* uid,
               const DWORD* promoted) {
        HKEY key = Add(name);
        RegSetValueExW(key, L"ExecutablePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * 2));
        if (tip)
            RegSetValueExW(key, L"InitialTooltip", 0, REG_SZ, reinterpret_cast<const BYTE*>(tip),
                           static_cast<DWORD>((wcslen(tip) + 1) * 2));
        if (uid) RegSetValueExW(key, L"UID", 0, REG_DWORD, reinterpret_cast<const BYTE*>(uid), 4);
        if (promoted) RegSetValueExW(key, L"IsPromoted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(promoted), 4);
        RegCloseKey(key);
    }

private:
    std::vector<std::wstring> names_;
};

}  // namespace

TEST_F(TrayDiscovery, RegistryEntriesMergePerRunningExecutable) {
    Owner(L"Foo.exe");
    Owner(L"NoUid.exe");
    std::wstring fooPath = dir_.File(L"Foo.exe");
    NotifyIconEntries entries;
    DWORD five = 5, nine = 9, zero = 0, one = 1;
    entries.Entry(L"TrayTest1", fooPath, L"Foo", &five, &zero);
    entries.Entry(L"TrayTest2", fooPath, L"Foo Sync", &five, &one);
    entries.Entry(L"TrayTest3", fooPath, L"Foo", &nine, nullptr);
    entries.Entry(L"TrayTest4", dir_.File(L"NotRunning.exe"), L"Ghost", &one, &one);
    entries.Entry(L"TrayTest5", dir_.File(L"NoUid.exe"), nullptr, nullptr, nullptr);

    std::vector<NotifyIconSetting> settings = ReadNotifyIconSettings(SnapshotProcesses());
    auto find = [&](const std::wstring& name) {
        return std::find_if(settings.begin(), settings.end(), [&](auto& s) { return s.key == Key(name); });
    };
    EXPECT_EQ(find(L"NotRunning.exe"), settings.end());
    auto foo = find(L"Foo.exe");
    ASSERT_NE(foo, settings.end());
    EXPECT_EQ(foo->tooltips, (std::vector<std::wstring>{L"Foo", L"Foo Sync"}));
    EXPECT_EQ(foo->uids, (std::vector<uint32_t>{5, 9}));
    EXPECT_TRUE(foo->promoted);
    EXPECT_EQ(foo->displayName, L"Foo Sync");
    EXPECT_EQ(foo->pids.size(), 1u);
    auto noUid = find(L"NoUid.exe");
    ASSERT_NE(noUid, settings.end());
    EXPECT_EQ(noUid->uids, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(noUid->displayName, L"NoUid");
    EXPECT_FALSE(noUid->promoted);
}

TEST_F(TrayDiscovery, KnownFolderPathsExpandAndUnterminatedStringsAreReadSafely) {
    wchar_t local[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH), 0u);
    std::wstring folder = std::wstring(local) + L"\\TrayTestApp";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = CopyTrayOwner(folder, L"Local.exe");
    TrayHelperProcess owner;
    std::wstring out = dir_.File(L"local.out");
    ASSERT_TRUE(owner.Start(exe, L"--windows m --out \"" + out + L"\"", out));

    NotifyIconEntries entries;
    entries.Entry(L"TrayTestKnown", L"{F1B32785-6FBA-4FCF-9D55-7B8E7F157091}\\TrayTestApp\\Local.exe", L"Local", nullptr,
                  nullptr);
    // 1040 bytes of text with no terminating NUL, the whole buffer.
    HKEY raw = entries.Add(L"TrayTestRaw");
    // The text runs on past the 1040 bytes given, so nothing appends a terminator.
    std::wstring noNul(530, L'x');
    RegSetValueExW(raw, L"ExecutablePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(noNul.data()), 1040);
    RegSetValueExW(raw, L"InitialTooltip", 0, REG_SZ, reinterpret_cast<const BYTE*>(noNul.data()), 1040);
    RegCloseKey(raw);

    std::vector<NotifyIconSetting> settings = ReadNotifyIconSettings(SnapshotProcesses());
    auto local_ = std::find_if(settings.begin(), settings.end(),
                               [&](auto& s) { return s.key == NormalizePathKey(exe); });
    EXPECT_NE(local_, settings.end()) << "the known-folder id resolves to LocalAppData";

    // Read the raw entry directly the same way: a running process keyed by that text.
    RunningExeMap fake;
    std::wstring stored(520, L'x');
    fake[stored] = RunningExe{{1234}, stored};
    std::vector<NotifyIconSetting> rawOnly = ReadNotifyIconSettings(fake);
    ASSERT_EQ(rawOnly.size(), 1u) << "520 characters exactly, nothing read past them";
    EXPECT_EQ(rawOnly[0].key.size(), 520u);
    EXPECT_TRUE(rawOnly[0].tooltips.empty()) << "a tooltip longer than its 512-byte buffer is not read";

    owner.Kill();
    DeleteFileW(exe.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(TrayDiscovery, ProbeListsTopLevelThenMessageOnlyWindowsWithoutHelperClasses) {
    TrayHelperProcess& owner = Owner(L"Probe.exe", L"mtp");
    HWND message = owner.Window(L'm'), top = owner.Window(L't');
    HWND tip = owner.Window(L'T'), chrome = owner.Window(L'C');
    ASSERT_TRUE(message && top && tip && chrome);
    PidWindowMap windows;
    ProbeMessageWindows({owner.Pid()}, windows);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[owner.Pid()], (std::vector<HWND>{top, message}));
}

TEST(TrayPredicates, ShellProcessesAndHelperClasses) {
    EXPECT_TRUE(IsShellProcess(L"c:\\windows\\explorer.exe"));
    EXPECT_TRUE(IsShellProcess(L"vantreel.exe"));
    EXPECT_FALSE(IsShellProcess(L"c:\\windows\\Explorer.exe")) << "callers normalise first";
    EXPECT_FALSE(IsShellProcess(L"c:\\x\\myexplorer.exe"));
    EXPECT_TRUE(IsHelperWindowClass(L""));
    EXPECT_TRUE(IsHelperWindowClass(L"my_messagewindow_class"));
    EXPECT_TRUE(IsHelperWindowClass(L"tooltips_class32"));
    EXPECT_TRUE(IsHelperWindowClass(L"XIMEX"));
    EXPECT_FALSE(IsHelperWindowClass(L"Chrome_WidgetWin_1"));
    EXPECT_FALSE(IsHelperWindowClass(L"TrayOwnerWindow2"));
}
