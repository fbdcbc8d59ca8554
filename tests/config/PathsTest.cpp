#include <gtest/gtest.h>

#include "config/Paths.h"
#include "TestFiles.h"

#include <shlobj.h>

#include <string>
#include <thread>
#include <vector>

using testfiles::Exists;
using testfiles::TempFolder;

namespace {

std::wstring LocalAppDataConfig() {
    wchar_t local[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                local))) {
        return {};
    }
    return std::wstring(local) + L"\\Vantreel\\vantreel.json";
}

}  // namespace

TEST(NormalizePathKey, LowersAsciiAndTurnsSlashes) {
    EXPECT_EQ(NormalizePathKey(L"C:/Program Files/App.EXE"), L"c:\\program files\\app.exe");
    const std::wstring nonAscii = L"\u00c4\u00d6 \u00e9 \u0410\u0411 \u4e2d";
    EXPECT_EQ(NormalizePathKey(nonAscii), nonAscii);
    EXPECT_EQ(NormalizePathKey(L" ./A/../B\\ "), L" .\\a\\..\\b\\ ");
    EXPECT_EQ(NormalizePathKey(L"@[`{Z"), L"@[`{z");
    EXPECT_EQ(NormalizePathKey(L""), L"");
}

TEST(ConfigPath, SameAnswerOnEveryThread) {
    std::vector<std::wstring> seen[2];
    std::thread threads[2];
    for (int t = 0; t < 2; ++t) {
        threads[t] = std::thread([&seen, t] {
            for (int i = 0; i < 200; ++i) seen[t].push_back(GetConfigPath());
        });
    }
    for (std::thread& thread : threads) thread.join();
    const std::wstring first = seen[0].front();
    ASSERT_FALSE(first.empty());
    for (const auto& list : seen) {
        ASSERT_EQ(list.size(), 200u);
        for (const std::wstring& path : list) ASSERT_EQ(path, first);
    }
    EXPECT_EQ(GetConfigPath(), first);
    // The test folder is writable, so the file belongs beside the executable.
    EXPECT_EQ(first, ExecutableDirectory() + L"\\vantreel.json");
    EXPECT_FALSE(Exists(ExecutableDirectory() + L"\\.vantreel_write_probe"));
}

TEST(ConfigPath, WritableFolderKeepsConfigBesideExecutable) {
    TempFolder folder;
    EXPECT_EQ(ResolveConfigPath(folder.Path()), folder.File(L"vantreel.json"));
    EXPECT_FALSE(Exists(folder.File(L".vantreel_write_probe")));
}

TEST(ConfigPath, ExistingEntryWinsEvenWhenItIsAFolder) {
    TempFolder folder;
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"vantreel.json").c_str(), nullptr));
    EXPECT_EQ(ResolveConfigPath(folder.Path()), folder.File(L"vantreel.json"));
}

TEST(ConfigPath, ProbeHeldByAnotherCallerStillCountsAsWritable) {
    TempFolder folder;
    HANDLE probe = CreateFileW(folder.File(L".vantreel_write_probe").c_str(), GENERIC_WRITE, 0,
                               nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(probe, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ResolveConfigPath(folder.Path()), folder.File(L"vantreel.json"));
    CloseHandle(probe);
}

TEST(ConfigPath, UnwritableFolderMovesToLocalAppData) {
    TempFolder folder;
    const std::wstring missing = folder.File(L"no such folder");
    const std::wstring expected = LocalAppDataConfig();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ResolveConfigPath(missing), expected);
    const std::wstring vantreelFolder = expected.substr(0, expected.find_last_of(L'\\'));
    EXPECT_NE(GetFileAttributesW(vantreelFolder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(CacheDirectory, CreatedOnceAndStable) {
    const std::wstring cache = GetCacheDirectory();
    ASSERT_FALSE(cache.empty());
    EXPECT_EQ(cache.substr(cache.size() - 15), L"\\Vantreel\\cache");
    EXPECT_NE(GetFileAttributesW(cache.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetCacheDirectory(), cache);
}
