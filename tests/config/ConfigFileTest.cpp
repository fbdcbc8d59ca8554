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

// The newest dated copy of the file; "<none>" when there is none.
std::string NewestCopy(const std::wstring& path) {
    const std::vector<std::wstring> copies = ConfigCopies(path);
    return copies.empty() ? "<none>" : ReadBytes(copies.front());
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
    const std::string typo = "{\n  \"theme\": 1,\n  \"iconSize\": \"48\"\n}";
    const std::string faultAt = testfiles::Utf8(path_) + ", line 3, column 15";
    const size_t faultsBefore = TimesLogged(faultAt);
    // An empty file keeps nothing worth a copy; each broken one of the same day has its own.
    for (const std::string& text : {std::string(), typo, oversized, typo}) {
        ASSERT_TRUE(WriteBytes(path_, text));
        const size_t before = ParseFailuresLogged();
        const size_t copies = ConfigCopies(path_).size();
        EXPECT_EQ(DockConfig::ToJson(LoadConfig(path_)), DefaultText()) << text.size();
        EXPECT_EQ(ParseFailuresLogged(), before + 1) << text.size();
        EXPECT_TRUE(ReadBytes(path_) == text) << "file changed, size " << text.size();
        ASSERT_EQ(ConfigCopies(path_).size(), copies + (text.empty() ? 0 : 1)) << text.size();
        if (text.empty()) continue;
        EXPECT_TRUE(NewestCopy(path_) == text) << text.size();
        EXPECT_EQ(TimesLogged("Config kept as " + testfiles::Utf8(ConfigCopies(path_).front())), 1u);
    }
    EXPECT_EQ(TimesLogged(faultAt), faultsBefore + 2) << "where the fault is";
    // The copy outlives the save that replaces the broken file.
    DockConfig config = LoadConfig(path_);
    config.theme = 1;
    ASSERT_TRUE(SaveConfig(path_, config));
    EXPECT_EQ(ReadBytes(path_), DockConfig::ToJson(config));
    EXPECT_EQ(NewestCopy(path_), typo);
    for (const std::wstring& copy : ConfigCopies(path_)) DeleteFileW(copy.c_str());
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
    EXPECT_TRUE(ConfigCopies(path_).empty()) << "an unread file is no broken file";

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

    // Still unreadable at the save: kept as a dated copy before it is replaced.
    lock = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ConfigStore locked;
    live = locked.Load(path_);
    EXPECT_FALSE(locked.TakeUnreadFile(live).has_value());
    EXPECT_TRUE(locked.Save(live));
    CloseHandle(lock);
    EXPECT_EQ(NewestCopy(path_), DockConfig::ToJson(user));
}

TEST_F(ConfigFileTest, AFileReadOnlyAtTheFirstSaveIsCutLikeOneReadAtStart) {
    std::string text = "{\"hiddenTrayApps\": [";
    for (int i = 0; i < 330000; ++i) text += (i ? ",\"ap" : "\"ap") + std::to_string(i) + "\"";
    ASSERT_TRUE(WriteBytes(path_, text + "]}"));
    HANDLE lock = OpenWithoutSharing(path_);
    ConfigStore store;
    const DockConfig live = store.Load(path_);
    CloseHandle(lock);
    const std::optional<DockConfig> file = store.TakeUnreadFile(live);
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(store.Save(*file));
    EXPECT_EQ(NewestCopy(path_), text + "]}");
    EXPECT_FALSE(store.TakeNotice().empty());
}

TEST_F(ConfigFileTest, ACutTakesFromTheLongestListsOnlyWhatTheyMustGive) {
    std::string text = R"({"pinned": [{"path": "C:\\a.exe"}], "hiddenApps": ["b", "c"], "hiddenTrayApps": [)";
    for (int i = 0; i < 300000; ++i) text += (i ? ",\"t" : "\"t") + std::to_string(i) + "\"";
    ASSERT_TRUE(WriteBytes(path_, text + "]}"));
    const ConfigLoad load = LoadConfigFile(path_);
    EXPECT_TRUE(load.cut);
    EXPECT_EQ(load.config.pinned.size(), 1u) << "the dock's only pin";
    EXPECT_EQ(load.config.hiddenApps.size(), 2u);
    EXPECT_GT(DockConfig::ToJson(load.config).size() + 16, kCutConfigFileBytes);
    EXPECT_LE(DockConfig::ToJson(load.config).size(), kCutConfigFileBytes);
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
    const std::wstring copy = ConfigCopies(path_).front();
    EXPECT_EQ(store.TakeNotice(), L"列表过长，已截短以便保存；原文件保留为 " + copy.substr(copy.rfind(L'\\') + 1));
    EXPECT_TRUE(store.TakeNotice().empty()) << "told once";
    EXPECT_EQ(ReadBytes(copy), text);
    for (int i = 0; i < 1000; ++i) config.hiddenApps.push_back(L"c:\\program files\\" + std::wstring(100, L'n') + std::to_wstring(i));
    EXPECT_TRUE(store.Save(config));
    ASSERT_TRUE(WriteBytes(path_, "{broken"));
    LoadConfig(path_);
    EXPECT_EQ(ConfigCopies(path_).size(), 2u);
    EXPECT_EQ(ReadBytes(copy), text) << "the user's file outlives a broken one the same day";
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

TEST_F(ConfigFileTest, EveryReplacedFileHasADatedCopyOfItsOwnAndTheNewestFiveStay) {
    SYSTEMTIME at = {2026, 12, 4, 10, 9, 5, 7, 0};
    const std::wstring base = path_ + L".bak-20261210-090507";
    ASSERT_TRUE(WriteBytes(path_ + L".bak-mine", "not a copy of ours"));
    std::wstring copy;
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(WriteBytes(path_, std::to_string(i)));
        ASSERT_TRUE(KeepConfigBackup(path_, copy, &at));
        EXPECT_EQ(copy, i == 1 ? base : base + L"-" + std::to_wstring(i));
    }
    at.wSecond = 6;  // the clock was set back: the copy just made stays all the same
    ASSERT_TRUE(KeepConfigBackup(path_, copy, &at));
    EXPECT_EQ(ConfigCopies(path_), (std::vector<std::wstring>{base + L"-6", base + L"-5", base + L"-4", base + L"-3", copy}));
    EXPECT_EQ(ReadBytes(base + L"-3"), "3");
    EXPECT_TRUE(Exists(path_ + L".bak-mine"));
}
