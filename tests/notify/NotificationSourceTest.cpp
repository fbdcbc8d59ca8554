// Source names, age texts and what a click on a notification opens.

#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "config/PathText.h"
#include "notify/NotificationItem.h"
#include "notify/NotificationSource.h"
#include "support/TestSupport.h"

using testing_support::TempDir;

namespace {

struct Resolved {
    std::wstring name;
    std::wstring exePath;
    bool operator==(const Resolved&) const = default;
};

void PrintTo(const Resolved& r, std::ostream* os) {
    *os << testing_support::ToUtf8(r.name) << " | " << testing_support::ToUtf8(r.exePath);
}

Resolved Resolve(const std::wstring& appId, const std::wstring& displayName = L"") {
    Resolved out;
    out.exePath = L"stale";
    out.name = ResolveNotificationSourceName(appId, displayName, &out.exePath);
    return out;
}

std::wstring SystemFolder() {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_System, 0, nullptr, &path)) && path) result = path;
    CoTaskMemFree(path);
    return result;
}

constexpr uint64_t kSecond = 10000000ull;

}  // namespace

TEST(NotificationSource, DisplayNamesTableAndIds) {
    EXPECT_EQ(Resolve(L"App.Id", L"My App"), (Resolved{L"My App", L""}));
    // Resource references are no names; the table decides, in its order.
    EXPECT_EQ(Resolve(L"Windows.SystemToast.BluetoothDevice.Explorer", L"ms-resource:AppName"),
              (Resolved{L"蓝牙", L""}));
    EXPECT_EQ(Resolve(L"Windows.Defender.SecurityCenter", L"@{Pkg?ms-resource://x}"),
              (Resolved{L"Windows 安全中心", L""}));
    EXPECT_EQ(Resolve(L"Windows.SystemToast.WindowsUpdate.MoNotification"),
              (Resolved{L"Windows 更新", L""}));
    EXPECT_EQ(Resolve(L"Microsoft.AutoPlay_8wekyb3d8bbwe!App"), (Resolved{L"自动播放", L""}));
    EXPECT_EQ(Resolve(L"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\PowerShell.exe").name,
              L"Windows PowerShell");
    EXPECT_EQ(Resolve(L"Contoso.Notes_8wekyb3d8bbwe!App"), (Resolved{L"Notes", L""}));
    EXPECT_EQ(Resolve(L"_hidden!x"), (Resolved{L"_hidden", L""}));
    EXPECT_EQ(Resolve(L"Vendor."), (Resolved{L"Vendor.", L""}));
    EXPECT_EQ(Resolve(L""), (Resolved{L"系统通知", L""}));
    EXPECT_EQ(Resolve(L"!Only", L"ms-resource:x"), (Resolved{L"系统通知", L""}));
    EXPECT_EQ(ResolveNotificationSourceName(L"Contoso.Notes_x!App", L"", nullptr), L"Notes");
}

TEST(NotificationSource, DesktopExecutables) {
    const std::wstring system = SystemFolder();
    ASSERT_FALSE(system.empty());
    const Resolved notepad = Resolve(L"{1AC14E77-02E7-4E5D-B744-2EB1AE5198B7}\\notepad.exe");
    EXPECT_EQ(notepad.name, L"notepad");
    EXPECT_EQ(NormalizePathKey(notepad.exePath), NormalizePathKey(system + L"\\notepad.exe"));

    // A path that is not there still counts when it looks like one; a bare name does not.
    EXPECT_EQ(Resolve(L"C:\\Nowhere\\Ghost.EXE"), (Resolved{L"Ghost", L"C:\\Nowhere\\Ghost.EXE"}));
    EXPECT_EQ(Resolve(L"ghost.exe"), (Resolved{L"ghost", L""}));
    // Neither the network nor the working folder is asked about a source.
    EXPECT_EQ(Resolve(L"\\\\host\\share\\tool.exe"), (Resolved{L"tool", L""}));
    EXPECT_EQ(Resolve(L"..\\tool.exe"), (Resolved{L"tool", L""}));
    TempDir folder;
    const std::wstring directory = folder.File(L"looks.exe");
    ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
    EXPECT_EQ(Resolve(directory), (Resolved{L"looks", directory}));
    const std::wstring file = folder.File(L"real.exe");
    testing_support::WriteFileBytes(file, "MZ");
    EXPECT_EQ(Resolve(file, L"Real App"), (Resolved{L"Real App", file}));
}

TEST(NotificationSource, RelativeTimes) {
    const uint64_t now = 133000000000000000ull;
    const auto age = [now](uint64_t seconds) { return FormatRelativeTime(now - seconds * kSecond, now); };
    EXPECT_EQ(age(59), L"刚刚");
    EXPECT_EQ(age(60), L"1 分钟前");
    EXPECT_EQ(age(3599), L"59 分钟前");
    EXPECT_EQ(age(3600), L"1 小时前");
    EXPECT_EQ(age(86399), L"23 小时前");
    EXPECT_EQ(age(47 * 3600), L"昨天");
    EXPECT_EQ(age(48 * 3600), L"2 天前");
    EXPECT_EQ(age(29 * 86400), L"29 天前");
    EXPECT_EQ(age(30 * 86400), L"较早");
    EXPECT_EQ(FormatRelativeTime(0, now), L"刚刚");
    EXPECT_EQ(FormatRelativeTime(now + kSecond * 3600, now), L"刚刚");
    EXPECT_EQ(FormatRelativeTime(now, now), L"刚刚");
}

TEST(NotificationActivation, ChoosesByTheItem) {
    std::vector<std::wstring> calls;
    NotificationActivationOps ops;
    ops.isExistingFile = [](const std::wstring& path) { return path == L"C:\\app\\there.exe"; };
    ops.shellOpen = [&](const std::wstring& target) { calls.push_back(L"open " + target); };
    ops.launchPackagedApp = [&](const std::wstring& id) { calls.push_back(L"launch " + id); };
    ops.sendWinKeyChord = [&](uint16_t key) {
        calls.push_back(L"win+" + std::wstring(1, static_cast<wchar_t>(key)));
        return 4u;
    };
    const auto activate = [&](NotificationItem item) {
        calls.clear();
        item.Activate(ops);
        return calls.size() == 1 ? calls[0] : L"calls: " + std::to_wstring(calls.size());
    };
    NotificationItem item;
    item.appId = L"Contoso.Notes_8wekyb3d8bbwe!App";
    item.isPackaged = true;
    EXPECT_EQ(activate(item), L"launch Contoso.Notes_8wekyb3d8bbwe!App");
    item.exePath = L"C:\\app\\there.exe";
    EXPECT_EQ(activate(item), L"open C:\\app\\there.exe");
    item.exePath = L"C:\\app\\gone.exe";
    EXPECT_EQ(activate(item), L"launch Contoso.Notes_8wekyb3d8bbwe!App");
    item.isPackaged = false;
    item.appId = L"Windows.Defender.SecurityCenter";
    EXPECT_EQ(activate(item), L"open windowsdefender:");
    item.appId = L"Windows.SystemToast.WindowsUpdate.Mo";
    EXPECT_EQ(activate(item), L"open ms-settings:windowsupdate");
    item.appId = L"C:\\tools\\thing.exe";
    EXPECT_EQ(activate(item), L"win+N");
    item.isPackaged = true;
    item.appId.clear();
    EXPECT_EQ(activate(item), L"win+N");
    EXPECT_EQ(ChooseNotificationActivation(item, false).kind,
              NotificationActivationKind::OpenSystemPanel);
}

TEST(NotificationActivation, StartsTheExecutable) {
    TempDir folder;
    const std::wstring exe = folder.File(L"record_launch.exe");
    ASSERT_TRUE(CopyFileW((testing_support::BinDir() + L"\\record_launch.exe").c_str(), exe.c_str(),
                          FALSE));
    const std::wstring record = folder.File(L"record.txt");
    SetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", record.c_str());
    NotificationItem item;
    item.exePath = exe;
    item.appId = L"Windows.Defender.Ignored";  // the executable comes first
    item.Activate();
    bool appeared = false;
    for (int i = 0; i < 200 && !appeared; ++i) {
        appeared = testing_support::FileExists(record);
        if (!appeared) Sleep(50);
    }
    SetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", nullptr);
    EXPECT_TRUE(appeared);
}
