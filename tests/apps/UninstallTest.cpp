// Uninstall registrations written into the real registry (this user's
// Uninstall key) and commands recorded instead of started.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "apps/Uninstall.h"
#include "platform/MissingFlags.h"

namespace {

constexpr wchar_t kUserUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kTestRoot[] = L"Software\\VantreelTests\\Uninstall";

struct Started {
    std::wstring verb, file, parameters;
};

class UninstallRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
        SetUninstallShellStarterForTesting([this](const wchar_t* verb, const std::wstring& file,
                                                  const std::wstring& parameters, ProcessHandle*) {
            started.push_back({verb, file, parameters});
            if (failNext > 0) {
                --failNext;
                SetLastError(lastError);
                return false;
            }
            return true;
        });
    }
    void TearDown() override {
        SetUninstallShellStarterForTesting(nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
        for (const auto& name : userEntries) {
            RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kUserUninstall) + L"\\" + name).c_str());
        }
    }

    // One registration under the test key (or this user's real Uninstall key).
    void Entry(const std::wstring& subkey, const std::wstring& display, const std::wstring& location,
               const std::wstring& icon, const std::wstring& command, bool userKey = false, DWORD type = REG_SZ) {
        std::wstring path = std::wstring(userKey ? kUserUninstall : kTestRoot) + L"\\" + subkey;
        if (userKey) userEntries.push_back(subkey);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        auto set = [&](const wchar_t* name, const std::wstring& value, DWORD valueType) {
            if (value.empty()) return;
            RegSetValueExW(key, name, 0, valueType, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        };
        set(L"DisplayName", display, REG_SZ);
        set(L"InstallLocation", location, REG_SZ);
        set(L"DisplayIcon", icon, REG_SZ);
        set(L"UninstallString", command, type);
        RegCloseKey(key);
    }

    std::wstring Find(const std::wstring& nameKey, const std::wstring& directoryKey) {
        return FindUninstallString(HKEY_CURRENT_USER, kTestRoot, nameKey, directoryKey);
    }

    std::vector<Started> started;
    int failNext = 0;
    DWORD lastError = ERROR_FILE_NOT_FOUND;
    std::vector<std::wstring> userEntries;
};

}  // namespace

TEST(UninstallProtection, SystemComponentsAreNeverOffered) {
    EXPECT_TRUE(IsProtectedSystemApp(L"Tool", L"C:\\Windows\\System32\\tool.exe", L""));
    EXPECT_FALSE(IsProtectedSystemApp(L"App", L"C:\\Program Files\\WindowsApps\\x\\app.exe", L"")) << "package folder";
    EXPECT_TRUE(IsProtectedSystemApp(L"Edge", L"D:\\Apps\\MSEDGE.EXE", L""));
    EXPECT_TRUE(IsProtectedSystemApp(L"Terminal", L"", L"Microsoft.WindowsTerminal_8wekyb3d8bbwe!App"));
    EXPECT_TRUE(IsProtectedSystemApp(L"Microsoft Store", L"", L""));
    EXPECT_TRUE(IsProtectedSystemApp(L"设置", L"", L""));
    EXPECT_FALSE(IsProtectedSystemApp(L"设置助手", L"", L"")) << "names are compared whole";
    EXPECT_FALSE(IsProtectedSystemApp(L"Contoso", L"C:\\Program Files\\Contoso\\contoso.exe", L"contoso.app"));
}

TEST_F(UninstallRegistry, ExactNameWinsOverAnEarlierLocationMatch) {
    Entry(L"a", L"Contoso Suite", L"c:\\program files\\contoso", L"", L"loc.exe");
    Entry(L"b", L"Contoso", L"", L"", L"exact.exe");
    EXPECT_EQ(Find(L"contoso", L"c:\\program files\\contoso"), L"exact.exe");
}

TEST_F(UninstallRegistry, LocationsMatchWholeFoldersAndTheMostSpecificWins) {
    Entry(L"a", L"Broad", L"c:\\program files", L"", L"broad.exe");
    Entry(L"b", L"Fabrikam", L"c:\\program files\\fabrikam\\", L"", L"fabrikam.exe");
    Entry(L"c", L"Fabrikam Tools", L"c:\\program files\\fabrikam\\tools", L"", L"tools.exe");
    Entry(L"d", L"Fabrikam Root", L"c:\\program files\\fabrikam", L"", L"fabrikam2.exe");
    Entry(L"e", L"Icon", L"", L"c:\\tools\\widget\\widget.exe,0", L"icon.exe");
    Entry(L"f", L"NoCommand", L"c:\\tools\\widget", L"", L"");
    Entry(L"g", L"Foo", L"c:\\program files\\foo", L"c:\\tools\\widgets\\w.exe", L"foo.exe");
    EXPECT_EQ(Find(L"other", L"c:\\program files\\fabrikam\\bin"), L"fabrikam2.exe")
        << "a trailing backslash still names its folder; of equals the later wins";
    EXPECT_EQ(Find(L"other", L"c:\\program files\\fabrikam\\tools\\bin"), L"tools.exe") << "the longer location";
    EXPECT_EQ(Find(L"other", L"c:\\program files\\foobar\\bin"), L"") << "folder boundaries, and never the broad one";
    EXPECT_EQ(Find(L"other", L"c:\\program files\\contoso"), L"") << "a container folder matches nothing";
    EXPECT_EQ(Find(L"other", L"c:\\tools\\widget"), L"icon.exe") << "icon path with an index";
    EXPECT_EQ(Find(L"other", L"c:\\tools\\widg"), L"") << "the icon's folder must be the directory";
    EXPECT_EQ(Find(L"other", L"c:\\short"), L"") << "10 characters never match by location";
}

TEST_F(UninstallRegistry, NamesMatchWholeOrAsWords) {
    Entry(L"a", L"Ab Studio", L"", L"", L"ab.exe");
    Entry(L"b", L"Novation Studio", L"", L"", L"novation.exe");
    Entry(L"c", L"Paint Studio Pro", L"", L"", L"paint.exe");
    Entry(L"d", L"云音乐播放器", L"", L"", L"music.exe");
    EXPECT_EQ(Find(L"ab", L""), L"") << "two characters match by exact name only";
    EXPECT_EQ(Find(L"nova", L""), L"") << "not inside a word";
    EXPECT_EQ(Find(L"paint studio", L""), L"paint.exe");
    EXPECT_EQ(Find(L"studio", L""), L"ab.exe") << "the first containment";
    EXPECT_EQ(Find(L"paint studio pro 2024", L""), L"paint.exe") << "the name may contain the registration's";
    EXPECT_EQ(Find(L"云音乐", L""), L"music.exe");
}

TEST_F(UninstallRegistry, AChangedRegistryIsReadAgain) {
    Entry(L"a", L"Contoso", L"", L"", L"first.exe");
    EXPECT_EQ(Find(L"contoso", L""), L"first.exe");
    Entry(L"a", L"Contoso", L"", L"", L"second.exe");
    EXPECT_EQ(Find(L"contoso", L""), L"second.exe") << "a changed value";
    Entry(L"b", L"Fabrikam", L"", L"", L"fabrikam.exe");
    EXPECT_EQ(Find(L"fabrikam", L""), L"fabrikam.exe") << "a new registration";
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
    EXPECT_EQ(Find(L"contoso", L""), L"") << "the key is gone";
}

TEST(UninstallCommands, SplittingAndMsiexec) {
    auto quoted = SplitUninstallCommand(L"  \"C:\\Program Files\\App\\unins000.exe\"   /SILENT");
    EXPECT_EQ(quoted.program, L"C:\\Program Files\\App\\unins000.exe");
    EXPECT_EQ(quoted.parameters, L"/SILENT");
    auto msi = SplitUninstallCommand(L"MsiExec.exe /I{1234-ABCD}");
    EXPECT_EQ(msi.program, L"MsiExec.exe");
    EXPECT_EQ(msi.parameters, L"/X{1234-ABCD}");
    EXPECT_EQ(SplitUninstallCommand(L"msiexec /quiet /i{1}").parameters, L"/quiet /X{1}");
    EXPECT_EQ(SplitUninstallCommand(L"msiexec /quiet").parameters, L"/quiet");
    auto unquoted = SplitUninstallCommand(L"C:\\Program Files\\App\\u.exe /x");
    EXPECT_EQ(unquoted.program, L"C:\\Program") << "split at the first blank";
    EXPECT_EQ(SplitUninstallCommand(L"\"unclosed").program, L"");
    EXPECT_EQ(SplitUninstallCommand(L"\"").program, L"");
    EXPECT_FALSE(RunUninstallCommand(L"   "));
}

TEST_F(UninstallRegistry, UninstallTriesThePlacesThenTheSettingsPage) {
    Entry(L"VantreelTestContoso", L"Contoso Uninstall Test", L"", L"", L"\"C:\\contoso\\unins.exe\" /S", true);
    EXPECT_TRUE(CanUninstallApp(L"Contoso Uninstall Test", L"C:\\contoso\\contoso.exe", L"c:\\x.lnk"));
    EXPECT_TRUE(UninstallApp(L"Contoso Uninstall Test", L"C:\\contoso\\contoso.exe"));
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].verb, L"open");
    EXPECT_EQ(started[0].file, L"C:\\contoso\\unins.exe");
    EXPECT_EQ(started[0].parameters, L"/S");

    // Needs elevation: asked again with "runas".
    started.clear();
    failNext = 1;
    lastError = ERROR_ELEVATION_REQUIRED;
    EXPECT_TRUE(UninstallApp(L"Contoso Uninstall Test", L"C:\\contoso\\contoso.exe"));
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1].verb, L"runas");

    // A packaged app without a registration: offered, and the settings page opens.
    started.clear();
    EXPECT_TRUE(CanUninstallApp(L"Zz Packaged Test", L"shell:AppsFolder\\Zz!App", L"zz.packaged_123!App"));
    EXPECT_FALSE(CanUninstallApp(L"Zz Unregistered Test", L"C:\\zz\\zz.exe", L"c:\\zz.lnk"));
    EXPECT_TRUE(UninstallApp(L"Zz Packaged Test", L"shell:AppsFolder\\Zz!App"));
    ASSERT_FALSE(started.empty());
    EXPECT_EQ(started.back().file, L"ms-settings:appsfeatures");
}

TEST_F(UninstallRegistry, ExpandableCommandsAreExpanded) {
    SetEnvironmentVariableW(L"VANTREEL_TEST_DIR", L"C:\\expanded");
    Entry(L"a", L"Expand", L"", L"", L"%VANTREEL_TEST_DIR%\\u.exe /x", false, REG_EXPAND_SZ);
    EXPECT_EQ(Find(L"expand", L""), L"C:\\expanded\\u.exe /x");
    std::wstring huge = L"%VANTREEL_TEST_DIR%\\" + std::wstring(520, L'a');
    Entry(L"b", L"Huge", L"", L"", huge, false, REG_EXPAND_SZ);
    EXPECT_EQ(Find(L"huge", L""), huge) << "an expansion too long for 520 characters runs unexpanded";

    // Stored bytes that end in half a character and no terminator: the half is
    // dropped and nothing past the value is read.
    Entry(L"c", L"Odd", L"", L"", L"placeholder");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kTestRoot) + L"\\c").c_str(), 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    const std::wstring text = L"%VANTREEL_TEST_DIR%\\odd.exe /x";
    std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    bytes += 'Z';
    ASSERT_EQ(bytes.size() % 2, 1u);
    EXPECT_EQ(RegSetValueExW(key, L"UninstallString", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(Find(L"odd", L""), L"C:\\expanded\\odd.exe /x");
}
