#include <gtest/gtest.h>

#include <windows.h>

#include "app/Prefetch.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

void WriteUtf16(const std::wstring& path, const std::wstring& text) {
    WriteFileBytes(path, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
}

void SetWriteTime(const std::wstring& path, uint64_t ticks) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

}  // namespace

TEST(Prefetch, RecentListGivesAtMost64IconFiles) {
    TempDir cache;
    std::wstring text;
    for (int i = 0; i < 100; ++i) text += L"C:\\icons\\" + std::to_wstring(i) + L".vti\r\n";
    text += L"\r\n\n";
    WriteUtf16(cache.File(L"icon-recent.txt"), L"\r\n" + text);
    CreateDirectoryW(cache.File(L"iconcache").c_str(), nullptr);
    WriteFileBytes(cache.File(L"iconcache\\A.vti"), "x");

    auto list = StartupPrefetchList(L"C:\\app\\vantreel.json", cache.Path());
    ASSERT_EQ(list.size(), 3u + 64u);
    EXPECT_EQ(list[0], L"C:\\app\\vantreel.json");
    EXPECT_EQ(list[1], cache.File(L"wallpaper.luma"));
    EXPECT_EQ(list[2], cache.File(L"catalog.bin"));
    EXPECT_EQ(list[3], L"C:\\icons\\0.vti") << "an empty first line is skipped";
    EXPECT_EQ(list.back(), L"C:\\icons\\63.vti");
}

TEST(Prefetch, WithoutARecentListTheNewest16IconFiles) {
    TempDir cache;
    CreateDirectoryW(cache.File(L"iconcache").c_str(), nullptr);
    for (int i = 0; i < 20; ++i) {
        std::wstring file = cache.File(L"iconcache\\" + std::to_wstring(i) + L".vti");
        WriteFileBytes(file, "VTI1");
        SetWriteTime(file, 133000000000000000ull + static_cast<uint64_t>(i) * 10000000ull);
    }
    auto list = StartupPrefetchList(L"", cache.Path());
    ASSERT_EQ(list.size(), 2u + 16u);
    EXPECT_EQ(list[2], cache.File(L"iconcache\\19.vti")) << "newest first";
    EXPECT_EQ(list.back(), cache.File(L"iconcache\\4.vti"));
}

TEST(Prefetch, NoCacheFolderMeansOnlyTheConfiguration) {
    EXPECT_EQ(StartupPrefetchList(L"C:\\x\\vantreel.json", L""), (std::vector<std::wstring>{L"C:\\x\\vantreel.json"}));
}

TEST(Prefetch, ListFileLimitsAndEmptyFiles) {
    TempDir dir;
    WriteUtf16(dir.File(L"big.txt"), std::wstring(40000, L'a'));
    EXPECT_TRUE(ReadPathListFile(dir.File(L"big.txt")).empty()) << "over 65535 bytes is ignored as a whole";
    EXPECT_TRUE(ReadPathListFile(dir.File(L"missing.txt")).empty());
    WriteUtf16(dir.File(L"crlf.txt"), L"a\r\n\r\nb\nc");
    EXPECT_EQ(ReadPathListFile(dir.File(L"crlf.txt")), (std::vector<std::wstring>{L"a", L"b", L"c"}));

    WriteFileBytes(dir.File(L"empty.bin"), "");
    WriteFileBytes(dir.File(L"full.bin"), std::string(5000, 'z'));
    EXPECT_EQ(PrefetchFiles({dir.File(L"empty.bin"), L"", dir.File(L"full.bin"), dir.File(L"missing.bin")}), 1)
        << "empty and missing files are skipped";
    EXPECT_TRUE(DeleteFileW(dir.File(L"full.bin").c_str())) << "nothing is left open";
}
