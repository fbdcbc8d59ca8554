#include <gtest/gtest.h>

#include "config/Paths.h"
#include "TestFiles.h"
#include "config/PathText.h"

#include <shlobj.h>

#include <string>
#include <thread>
#include <vector>

using testfiles::Exists;
using testfiles::TempFolder;

TEST(NormalizePathKey, LowersAsciiOnlyAndTurnsSlashes) {
    EXPECT_EQ(NormalizePathKey(L"C:/Program Files/App.EXE"), L"c:\\program files\\app.exe");
    const std::wstring nonAscii = L"\u00c4\u00d6 \u00e9 \u0410\u0411 \u4e2d";
    EXPECT_EQ(NormalizePathKey(nonAscii), nonAscii);
    EXPECT_EQ(NormalizePathKey(L" ./A/../B\\ "), L" .\\a\\..\\b\\ ");
    EXPECT_EQ(NormalizePathKey(L"@[`{Z"), L"@[`{z");
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
    // The test folder is writable, so the file belongs beside the executable.
    const std::wstring expected = ExecutableDirectory() + L"\\vantreel.json";
    for (const auto& list : seen) EXPECT_EQ(list, std::vector<std::wstring>(200, expected));
    EXPECT_FALSE(Exists(ExecutableDirectory() + L"\\.vantreel_write_probe"));
}

TEST(ConfigPath, ResolvesBesideExecutableOrInLocalAppData) {
    TempFolder folder;
    const std::wstring beside = folder.File(L"vantreel.json");
    EXPECT_EQ(ResolveConfigPath(folder.Path()), beside);
    EXPECT_FALSE(Exists(folder.File(L".vantreel_write_probe")));

    // A probe held by another caller still shows the folder is writable.
    HANDLE probe = CreateFileW(folder.File(L".vantreel_write_probe").c_str(), GENERIC_WRITE, 0,
                               nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(probe, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ResolveConfigPath(folder.Path()), beside);
    CloseHandle(probe);

    wchar_t local[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local)));
    const std::wstring localConfig = std::wstring(local) + L"\\Vantreel\\vantreel.json";
    EXPECT_EQ(ResolveConfigPath(folder.File(L"no such folder")), localConfig);
    // No executable folder (its path is too long to be told) never gives a
    // name relative to the current folder, even where that folder holds one.
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
    ASSERT_TRUE(testfiles::WriteBytes(folder.File(L"vantreel.json"), "{}"));
    const std::wstring withoutFolder = ResolveConfigPath(L"");
    SetCurrentDirectoryW(previous);
    DeleteFileW(folder.File(L"vantreel.json").c_str());
    EXPECT_EQ(withoutFolder, localConfig);
    EXPECT_NE(GetFileAttributesW((std::wstring(local) + L"\\Vantreel").c_str()) &
                  FILE_ATTRIBUTE_DIRECTORY, 0u);

    // An existing entry wins even when it is a folder.
    const std::wstring other = folder.File(L"sub");
    ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((other + L"\\vantreel.json").c_str(), nullptr));
    EXPECT_EQ(ResolveConfigPath(other), other + L"\\vantreel.json");
}

TEST(CacheDirectory, CreatedOnceAndStable) {
    const std::wstring cache = GetCacheDirectory();
    ASSERT_GE(cache.size(), 15u);
    EXPECT_EQ(cache.substr(cache.size() - 15), L"\\Vantreel\\cache");
    EXPECT_NE(GetFileAttributesW(cache.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetCacheDirectory(), cache);
}
