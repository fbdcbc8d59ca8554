#include <gtest/gtest.h>

#include "config/ConfigFile.h"
#include "config/ConfigMerge.h"
#include "config/ConfigStore.h"
#include "TestFiles.h"

#include <string>

using testfiles::Exists;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

namespace {

size_t TimesLogged(const std::string& needle) {
    const std::string log = ReadBytes(ExecutableDirectory() + L"\\vantreel.log");
    size_t count = 0;
    for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

size_t ParseFailuresLogged() { return TimesLogged("Config parse failed, falling back to defaults"); }

std::string DefaultText() { return DockConfig::ToJson(DockConfig::MakeDefault()); }

HANDLE OpenWithoutSharing(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A copy made on an earlier day gives way to a new one.
void MadeYesterday(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME time = {};
    GetSystemTimeAsFileTime(&time);
    const uint64_t yesterday = ((uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime) - 864000000000ull;
    time = {static_cast<DWORD>(yesterday), static_cast<DWORD>(yesterday >> 32)};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override { InitializeLog(true); }
    void TearDown() override { InitializeLog(false); }
    testfiles::TempFolder folder_;
    const std::wstring path_ = folder_.File(L"vantreel.json");
};

}  // namespace

TEST_F(ConfigFileTest, MissingFileIsCreatedWithDefaults) {
    const std::wstring path = folder_.File(L"not yet\\there\\vantreel.json");
    EXPECT_EQ(DockConfig::ToJson(LoadConfig(path)), DefaultText());
    EXPECT_EQ(ReadBytes(path), DefaultText());
    EXPECT_FALSE(Exists(path + L".tmp"));

    ASSERT_TRUE(WriteBytes(path, R"({"theme": 2, "hiddenApps": ["X"]})"));
    DockConfig config = LoadConfig(path);
    EXPECT_EQ(config.theme, 2);
    EXPECT_EQ(config.hiddenApps, std::vector<std::wstring>{L"x"});
}

TEST_F(ConfigFileTest, UnusableFileGivesDefaultsAndStaysAsItIs) {
    const std::string valid = R"({"theme": 2})";
    const std::string oversized = valid + std::string(0x400000 - valid.size(), ' ');
    const std::wstring backup = path_ + L".bak";
    const std::string typo = "{\"iconSize\": \"48\"}";
    ASSERT_TRUE(WriteBytes(backup, "an older copy"));
    // An empty file keeps nothing worth an older copy's place.
    for (const std::string& text : {std::string(), typo, oversized}) {
        ASSERT_TRUE(WriteBytes(path_, text));
        const size_t before = ParseFailuresLogged();
        const size_t keptBefore = TimesLogged("Config kept as " + testfiles::Utf8(backup));
        MadeYesterday(backup);
        EXPECT_EQ(DockConfig::ToJson(LoadConfig(path_)), DefaultText()) << text.size();
        EXPECT_EQ(ParseFailuresLogged(), before + 1) << text.size();
        EXPECT_TRUE(ReadBytes(path_) == text) << "file changed, size " << text.size();
        EXPECT_TRUE(ReadBytes(backup) == (text.empty() ? "an older copy" : text)) << text.size();
        EXPECT_EQ(TimesLogged("Config kept as " + testfiles::Utf8(backup)),
                  keptBefore + (text.empty() ? 0 : 1))
            << text.size();
    }
    // The copy outlives the save that replaces the broken file.
    ASSERT_TRUE(WriteBytes(path_, typo));
    MadeYesterday(backup);
    DockConfig config = LoadConfig(path_);
    config.theme = 1;
    ASSERT_TRUE(SaveConfig(path_, config));
    EXPECT_EQ(ReadBytes(path_), DockConfig::ToJson(config));
    EXPECT_EQ(ReadBytes(backup), typo);
    DeleteFileW(backup.c_str());
    // The size limit is 0x3FFFFF bytes, not 4 MiB.
    ASSERT_TRUE(WriteBytes(path_, oversized.substr(0, kMaxConfigFileBytes)));
    EXPECT_EQ(LoadConfig(path_).theme, 2);

    // A file held open without sharing is neither read nor overwritten.
    const std::string text = R"({"theme": 2, "iconSize": 40})";
    ASSERT_TRUE(WriteBytes(path_, text));
    HANDLE lock = OpenWithoutSharing(path_);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    config = LoadConfig(path_);
    CloseHandle(lock);
    EXPECT_EQ(DockConfig::ToJson(config), DefaultText());
    EXPECT_EQ(ReadBytes(path_), text);
    EXPECT_FALSE(Exists(path_ + L".tmp"));
    EXPECT_FALSE(Exists(backup)) << "an unread file is no broken file";

    // Nor is a folder in place of the file.
    const std::wstring folderPath = folder_.File(L"folder.json");
    ASSERT_TRUE(CreateDirectoryW(folderPath.c_str(), nullptr));
    EXPECT_EQ(DockConfig::ToJson(LoadConfig(folderPath)), DefaultText());
    EXPECT_NE(GetFileAttributesW(folderPath.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(ConfigFileTest, SaveReplacesWholeFileOrNothing) {
    DockConfig config;
    config.theme = 1;
    config.pinned = {{L"记事本", L"C:\\windows\\notepad.exe", L"", L"c:\\windows\\notepad.exe"}};
    const std::wstring deep = folder_.File(L"deep\\er\\vantreel.json");
    ASSERT_TRUE(SaveConfig(deep, config));
    EXPECT_EQ(ReadBytes(deep), DockConfig::ToJson(config));
    EXPECT_FALSE(Exists(deep + L".tmp"));

    // A temporary left behind by a crashed save is simply replaced.
    ASSERT_TRUE(WriteBytes(deep + L".tmp", "stale"));
    config.theme = 2;
    ASSERT_TRUE(SaveConfig(deep, config));
    EXPECT_FALSE(Exists(deep + L".tmp"));
    EXPECT_EQ(LoadConfig(deep).theme, 2);

    ASSERT_TRUE(SaveConfig(path_, config));
    const std::string oldText = ReadBytes(path_);
    DockConfig next;
    next.theme = 0;
    // The temporary cannot be created.
    ASSERT_TRUE(CreateDirectoryW((path_ + L".tmp").c_str(), nullptr));
    EXPECT_FALSE(SaveConfig(path_, next));
    EXPECT_EQ(ReadBytes(path_), oldText);
    RemoveDirectoryW((path_ + L".tmp").c_str());
    // The old file is held open without sharing, so it cannot be replaced.
    HANDLE lock = OpenWithoutSharing(path_);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveConfig(path_, next));
    CloseHandle(lock);
    EXPECT_EQ(ReadBytes(path_), oldText);
    EXPECT_FALSE(Exists(path_ + L".tmp"));
    EXPECT_TRUE(SaveConfig(path_, next));
    EXPECT_EQ(ReadBytes(path_), DockConfig::ToJson(next));

    // A text the next start would refuse to read is never written.
    DockConfig huge = next;
    huge.hiddenApps.assign(300, std::wstring(15000, L'h'));
    ASSERT_GT(DockConfig::ToJson(huge).size(), kMaxConfigFileBytes);
    const size_t refused = TimesLogged("Config save refused: ");
    EXPECT_FALSE(SaveConfig(path_, huge));
    EXPECT_EQ(TimesLogged("Config save refused: "), refused + 1);
    EXPECT_EQ(ReadBytes(path_), DockConfig::ToJson(next));
    EXPECT_FALSE(Exists(path_ + L".tmp"));
}

TEST_F(ConfigFileTest, LongHiddenTrayListLoadsWithoutDuplicates) {
    // 300,000 entries in about 3 MB; every key comes once in upper and once in
    // lower case, so half of them are duplicates after normalising.
    constexpr int kHalf = 150000;
    std::string text = "{\"hiddenTrayApps\": [";
    text.reserve(3300000);
    for (int i = 0; i < 2 * kHalf; ++i) {
        text += i < kHalf ? "\"K" : "\"k";
        text += std::to_string(i % kHalf);
        text += i + 1 < 2 * kHalf ? "\"," : "\"]}";
    }
    ASSERT_LT(text.size(), kMaxConfigFileBytes);
    ASSERT_TRUE(WriteBytes(path_, text));

    // How long the load takes is bench/config_load's figure.
    const DockConfig config = LoadConfig(path_);
    ASSERT_EQ(config.hiddenTrayApps.size(), static_cast<size_t>(kHalf));
    EXPECT_EQ(config.hiddenTrayApps.front(), L"k0");
    EXPECT_EQ(config.hiddenTrayApps.back(), L"k" + std::to_wstring(kHalf - 1));

    DockConfig doubled = config;
    doubled.hiddenTrayApps.insert(doubled.hiddenTrayApps.end(), config.hiddenTrayApps.begin(),
                                  config.hiddenTrayApps.end());
    DockConfig::Clamp(doubled);
    EXPECT_EQ(doubled.hiddenTrayApps, config.hiddenTrayApps);
}

TEST_F(ConfigFileTest, AFileLockedAtStartKeepsTheUsersKeysThroughTheFirstSave) {
    DockConfig user;
    user.iconSize = 40;
    user.pinned = {{L"记事本", L"C:\\windows\\notepad.exe", L"", L"c:\\windows\\notepad.exe"}};
    user.clearedNotifWatermark = 133444555666777888ull;
    ASSERT_TRUE(SaveConfig(path_, user));
    const size_t failed = TimesLogged("Config open failed (error 32), using defaults");
    HANDLE lock = OpenWithoutSharing(path_);
    ConfigStore store;
    DockConfig live = store.Load(path_);
    CloseHandle(lock);
    EXPECT_EQ(TimesLogged("Config open failed (error 32), using defaults"), failed + 1);
    live.hideTaskbar = !live.hideTaskbar;
    const std::optional<DockConfig> file = store.TakeUnreadFile(live);
    ASSERT_TRUE(file.has_value());
    ASSERT_TRUE(store.Save(*file));
    user.hideTaskbar = live.hideTaskbar;
    EXPECT_EQ(ReadBytes(path_), DockConfig::ToJson(user));

    // Still unreadable at the save: kept as ".bak" before it is replaced.
    lock = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ConfigStore locked;
    live = locked.Load(path_);
    EXPECT_FALSE(locked.TakeUnreadFile(live).has_value());
    EXPECT_TRUE(locked.Save(live));
    CloseHandle(lock);
    EXPECT_EQ(ReadBytes(path_ + L".bak"), DockConfig::ToJson(user));
}

TEST_F(ConfigFileTest, ACutLeavesRoomForAThousandMoreHiddenAppsAndSaysSo) {
    // The pinned entries hold most bytes and the hidden keys most entries.
    std::string text = "{\"pinned\": [";
    for (int i = 0; i < 1800; ++i) {
        text += "{\"path\": \"C:\\\\a" + std::to_string(i) + ".exe\", \"args\": \"" + std::string(1500, 'x') + "\"},";
    }
    text.back() = ']';
    text += ", \"hiddenApps\": [";
    for (int i = 0; i < 100000; ++i) text += "\"app" + std::to_string(100000 + i) + "\",";
    text.back() = ']';
    text += "}";
    ASSERT_LT(text.size(), kMaxConfigFileBytes);
    ASSERT_TRUE(WriteBytes(path_, text));
    ConfigStore store;
    DockConfig config = store.Load(path_);
    EXPECT_FALSE(store.TakeNotice().empty());
    EXPECT_TRUE(store.TakeNotice().empty()) << "told once";
    EXPECT_EQ(ReadBytes(path_ + L".bak"), text);
    for (int i = 0; i < 1000; ++i) config.hiddenApps.push_back(L"c:\\program files\\" + std::wstring(100, L'n') + std::to_wstring(i));
    EXPECT_TRUE(store.Save(config));
    ASSERT_TRUE(WriteBytes(path_, "{broken"));
    LoadConfig(path_);
    EXPECT_EQ(ReadBytes(path_ + L".bak"), text) << "the user's file outlives a broken one the same day";
}

TEST(ConfigMerge, ADragMadeWhileTheFileWasLockedKeepsItsOrder) {
    const auto pins = [](std::wstring names) {
        DockConfig config;
        for (wchar_t c : names) config.pinned.push_back({{c}, {c}, L"", {c}});
        return config;
    };
    EXPECT_EQ(MergeConfigChanges(pins(L"abc"), pins(L"cab"), pins(L"abcd")).pinned, pins(L"cabd").pinned);
    EXPECT_EQ(MergeConfigChanges(pins(L"abc"), pins(L"cae"), pins(L"xabcd")).pinned, pins(L"caxde").pinned);
    EXPECT_EQ(MergeConfigChanges(pins(L"abc"), pins(L"abce"), pins(L"cba")).pinned, pins(L"cbae").pinned);
}
