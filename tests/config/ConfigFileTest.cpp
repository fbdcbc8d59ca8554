#include <gtest/gtest.h>

#include "config/ConfigFile.h"
#include "TestFiles.h"

#include <string>

using testfiles::Exists;
using testfiles::ReadBytes;
using testfiles::TempFolder;
using testfiles::WriteBytes;

namespace {

constexpr const char* kParseFailed = "Config parse failed, falling back to defaults";

std::wstring LogPath() { return ExecutableDirectory() + L"\\vantreel.log"; }

size_t CountInLog(const std::string& needle) {
    const std::string log = ReadBytes(LogPath());
    size_t count = 0;
    for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

std::string DefaultText() { return DockConfig::ToJson(DockConfig::MakeDefault()); }

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override { InitializeLog(true); }
    void TearDown() override { InitializeLog(false); }
    TempFolder folder_;
};

}  // namespace

TEST_F(ConfigFileTest, MissingFileIsCreatedWithDefaults) {
    const std::wstring path = folder_.File(L"not yet\\there\\vantreel.json");
    DockConfig config = LoadConfig(path);
    EXPECT_EQ(DockConfig::ToJson(config), DefaultText());
    EXPECT_EQ(ReadBytes(path), DefaultText());
    EXPECT_FALSE(Exists(path + L".tmp"));
}

TEST_F(ConfigFileTest, ValidFileLoads) {
    const std::wstring path = folder_.File(L"vantreel.json");
    ASSERT_TRUE(WriteBytes(path, R"({"theme": 2, "pinned": [], "hiddenApps": ["X"]})"));
    DockConfig config = LoadConfig(path);
    EXPECT_EQ(config.theme, 2);
    EXPECT_TRUE(config.pinned.empty());
    EXPECT_EQ(config.hiddenApps, std::vector<std::wstring>{L"x"});
}

TEST_F(ConfigFileTest, BrokenEmptyOrOversizedFileGivesDefaultsAndStays) {
    const std::wstring path = folder_.File(L"vantreel.json");
    const std::string valid = R"({"theme": 2})";
    const std::string oversized = valid + std::string(0x400000 - valid.size(), ' ');
    const std::string largest = valid + std::string(0x3FFFFF - valid.size(), ' ');
    for (const std::string& text : {std::string(), std::string("{\"iconSize\": \"48\"}"),
                                    std::string("not json"), oversized}) {
        ASSERT_TRUE(WriteBytes(path, text));
        const size_t before = CountInLog(kParseFailed);
        DockConfig config = LoadConfig(path);
        EXPECT_EQ(DockConfig::ToJson(config), DefaultText()) << text.size();
        EXPECT_EQ(CountInLog(kParseFailed), before + 1) << text.size();
        EXPECT_TRUE(ReadBytes(path) == text) << "file changed, size " << text.size();
    }
    // The size limit is 0x3FFFFF bytes, not 4 MiB.
    ASSERT_TRUE(WriteBytes(path, largest));
    EXPECT_EQ(LoadConfig(path).theme, 2);
}

TEST_F(ConfigFileTest, FileHeldOpenWithoutSharingIsNotOverwritten) {
    const std::wstring path = folder_.File(L"vantreel.json");
    const std::string text = R"({"theme": 2, "iconSize": 40})";
    ASSERT_TRUE(WriteBytes(path, text));
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    DockConfig config = LoadConfig(path);
    CloseHandle(lock);
    EXPECT_EQ(DockConfig::ToJson(config), DefaultText());
    EXPECT_EQ(ReadBytes(path), text);
    EXPECT_FALSE(Exists(path + L".tmp"));
}

TEST_F(ConfigFileTest, FolderInPlaceOfFileIsLeftAlone) {
    const std::wstring path = folder_.File(L"vantreel.json");
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    DockConfig config = LoadConfig(path);
    EXPECT_EQ(DockConfig::ToJson(config), DefaultText());
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(ConfigFileTest, SaveReplacesFileAndLeavesNoTemporary) {
    const std::wstring path = folder_.File(L"deep\\er\\vantreel.json");
    DockConfig config;
    config.theme = 1;
    config.pinned = {{L"记事本", L"C:\\windows\\notepad.exe", L"", L"c:\\windows\\notepad.exe"}};
    ASSERT_TRUE(SaveConfig(path, config));
    EXPECT_EQ(ReadBytes(path), DockConfig::ToJson(config));
    EXPECT_FALSE(Exists(path + L".tmp"));

    // A temporary left behind by a crashed save is simply replaced.
    ASSERT_TRUE(WriteBytes(path + L".tmp", "stale"));
    config.theme = 2;
    ASSERT_TRUE(SaveConfig(path, config));
    EXPECT_EQ(ReadBytes(path), DockConfig::ToJson(config));
    EXPECT_FALSE(Exists(path + L".tmp"));
    EXPECT_EQ(LoadConfig(path).theme, 2);
}

TEST_F(ConfigFileTest, FailedSaveKeepsOldFileWhole) {
    const std::wstring path = folder_.File(L"vantreel.json");
    DockConfig old;
    old.theme = 1;
    ASSERT_TRUE(SaveConfig(path, old));
    const std::string oldText = ReadBytes(path);

    // The temporary cannot be created.
    ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    DockConfig next;
    next.theme = 2;
    EXPECT_FALSE(SaveConfig(path, next));
    EXPECT_EQ(ReadBytes(path), oldText);
    RemoveDirectoryW((path + L".tmp").c_str());

    // The old file is held open by someone who forbids every sharing, so it
    // cannot be replaced: the save reports failure and the old text stays whole.
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveConfig(path, next));
    CloseHandle(lock);
    EXPECT_EQ(ReadBytes(path), oldText);
    EXPECT_FALSE(Exists(path + L".tmp"));
    EXPECT_TRUE(SaveConfig(path, next));
    EXPECT_EQ(ReadBytes(path), DockConfig::ToJson(next));
}
