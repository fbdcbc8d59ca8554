#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "apps/IconDiskCache.h"
#include "apps/IconLoader.h"
#include "config/Paths.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::string Header(const char magic[4], uint32_t version, int32_t width, int32_t height) {
    std::string bytes(magic, 4);
    for (uint32_t value : {version, static_cast<uint32_t>(width), static_cast<uint32_t>(height)}) {
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

IconBitmap Pattern(int width, int height) {
    IconBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < bitmap.pixels.size(); ++i) bitmap.pixels[i] = static_cast<uint8_t>(i * 7);
    return bitmap;
}

void SetWriteTime(const std::wstring& path, int64_t ticks) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

}  // namespace

TEST(IconDiskCacheNames, HashAndFileNames) {
    EXPECT_EQ(IconCacheHash(L"abc"), 0xE16801510DB89EFDull);
    EXPECT_EQ(IconCacheHash(L""), 0x14650FB0739D0383ull);
    EXPECT_EQ(IconCacheFilePathIn(L"C:\\cache", L"abc", L"shell:AppsFolder\\x"),
              L"C:\\cache\\iconcache\\E16801510DB89EFD.vti");
    EXPECT_EQ(IconCacheFilePathIn(L"", L"abc", L""), L"");
    // Code units, not bytes: a non-ASCII key hashes each UTF-16 unit once.
    EXPECT_NE(IconCacheHash(L"\u0100"), IconCacheHash(std::wstring(L"\u0001\u0000", 2)));

    const std::wstring cache = GetCacheDirectory();
    ASSERT_FALSE(cache.empty());
    EXPECT_EQ(IconLoader::CacheFilePath(L"abc", L""), cache + L"\\iconcache\\E16801510DB89EFD.vti");

    EXPECT_TRUE(IsDrivePath(L"c:"));
    EXPECT_TRUE(IsDrivePath(L"C:\\a.exe"));
    EXPECT_FALSE(IsDrivePath(L"shell:AppsFolder"));
    EXPECT_FALSE(IsDrivePath(L"SHELL:x"));
    EXPECT_FALSE(IsDrivePath(L"c"));
    EXPECT_FALSE(IsDrivePath(L""));
    EXPECT_FALSE(IsDrivePath(L"\\\\server\\share"));
}

TEST(IconDiskCacheNames, VersionFollowsTheSourceFile) {
    TempDir dir;
    const std::wstring exe = dir.File(L"App.exe");
    WriteFileBytes(exe, "12345");
    SetWriteTime(exe, 133000000000000000ll);
    EXPECT_EQ(IconLoader::MakeVersionedKey(L"k", exe), L"k|133000000000000000|5");
    const std::wstring before = IconCacheFilePathIn(dir.Path(), L"k", exe);

    SetWriteTime(exe, 133000000000000001ll);
    const std::wstring after = IconCacheFilePathIn(dir.Path(), L"k", exe);
    EXPECT_NE(before, after) << "a rebuilt executable gets a new cache file";

    WriteFileBytes(exe, "123456");
    SetWriteTime(exe, 133000000000000001ll);
    EXPECT_NE(IconCacheFilePathIn(dir.Path(), L"k", exe), after) << "the size counts too";

    const std::wstring missing = dir.File(L"Missing.exe");
    EXPECT_EQ(IconLoader::MakeVersionedKey(L"k", missing), L"k");
    EXPECT_EQ(IconCacheFilePathIn(dir.Path(), L"k", missing),
              IconCacheFilePathIn(dir.Path(), L"k", L""));

    // A folder's time moves with its contents; its icon keeps one file.
    EXPECT_EQ(IconLoader::MakeVersionedKey(L"k", dir.Path()), L"k");
    const std::wstring link = dir.File(L"App.lnk");
    WriteFileBytes(link, "L");
    const std::wstring tile = IconLoader::MakeIconKey(link, exe, 48, false, 0);
    const std::wstring file = IconCacheFilePathIn(dir.Path(), tile, exe);
    SetWriteTime(link, 133000000000000002ll);
    EXPECT_NE(IconCacheFilePathIn(dir.Path(), tile, exe), file) << "a shortcut given another icon";
}

TEST(IconDiskCacheFiles, WritesExactBytesAndReadsThemBack) {
    TempDir dir;
    const std::wstring file = dir.File(L"iconcache\\0000000000000001.vti");
    IconBitmap bitmap = Pattern(2, 1);
    WriteIconCacheFileAt(file, bitmap);
    ASSERT_TRUE(FileExists(file)) << "the folder is created on the way";
    EXPECT_FALSE(FileExists(file + L".tmp"));
    std::vector<uint8_t> bytes = ReadFileBytes(file);
    std::string expected = Header("VTI1", 1, 2, 1);
    expected.append(bitmap.pixels.begin(), bitmap.pixels.end());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);

    IconBitmap back;
    ASSERT_TRUE(ReadIconCacheFileAt(file, back));
    EXPECT_EQ(back.width, 2);
    EXPECT_EQ(back.height, 1);
    EXPECT_EQ(back.pixels, bitmap.pixels);

    // An unusable bitmap writes nothing.
    const std::wstring other = dir.File(L"iconcache\\0000000000000002.vti");
    WriteIconCacheFileAt(other, IconBitmap{});
    EXPECT_FALSE(FileExists(other));
    IconBitmap missing;
    EXPECT_FALSE(ReadIconCacheFileAt(other, missing));
}

TEST(IconDiskCacheFiles, DamagedFilesAreRejectedAndDeleted) {
    TempDir dir;
    struct Damaged {
        const char* what;
        std::string bytes;
    };
    const std::string fourPixels(16, '\x7F');
    const Damaged cases[] = {
        {"version 2", Header("VTI1", 2, 2, 2) + fourPixels},
        {"width 0", Header("VTI1", 1, 0, 2) + fourPixels},
        {"width 513", Header("VTI1", 1, 513, 1) + std::string(513 * 4, '\x01')},
        {"height -1", Header("VTI1", 1, 2, -1) + fourPixels},
        {"wrong magic", Header("VTI2", 1, 2, 2) + fourPixels},
        {"one byte short", Header("VTI1", 1, 2, 2) + fourPixels.substr(1)},
        {"short header", std::string("VTI1\x01", 5)},
    };
    for (const Damaged& c : cases) {
        const std::wstring file = dir.File(L"bad.vti");
        WriteFileBytes(file, c.bytes);
        IconBitmap out = Pattern(3, 3);
        EXPECT_FALSE(ReadIconCacheFileAt(file, out)) << c.what;
        EXPECT_FALSE(FileExists(file)) << c.what;
        EXPECT_EQ(out.width, 0) << c.what;
        EXPECT_TRUE(out.pixels.empty()) << c.what;
    }

    const std::wstring big = dir.File(L"big.vti");
    WriteFileBytes(big, Header("VTI1", 1, 512, 512) + std::string(512 * 512 * 4, '\x05') + "tail");
    IconBitmap out;
    ASSERT_TRUE(ReadIconCacheFileAt(big, out));
    EXPECT_EQ(out.width, 512);
    EXPECT_EQ(out.pixels.size(), 1048576u);
    EXPECT_TRUE(FileExists(big));
}

// The prune logs, so it runs in a helper copied beside its own log file.
class IconDiskCachePrune : public ::testing::Test {
protected:
    void SetUp() override {
        helper = tools.File(L"icon_log_helper.exe");
        ASSERT_TRUE(CopyFileW((BinDir() + L"\\icon_log_helper.exe").c_str(), helper.c_str(), FALSE));
    }
    // count files whose write times rise with their number (file 0 oldest).
    static void MakeFiles(const TempDir& dir, int count) {
        for (int i = 0; i < count; ++i) {
            const std::wstring file = dir.File(std::to_wstring(i) + L".vti");
            WriteFileBytes(file, "x");
            SetWriteTime(file, 130000000000000000ll + 10000000ll * i);
        }
    }
    DWORD Prune(const std::wstring& folder) {
        ProcessResult result = RunProcess(helper, L"prune \"" + folder + L"\"", tools.Path());
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut);
        return result.exitCode;
    }
    std::string LogText() {
        auto bytes = ReadFileBytes(tools.File(L"vantreel.log"));
        return std::string(bytes.begin(), bytes.end());
    }
    TempDir tools;
    std::wstring helper;
};

TEST_F(IconDiskCachePrune, MoreThan800FilesArePrunedTo600OldestFirst) {
    TempDir dir;
    MakeFiles(dir, 801);
    CreateDirectoryW(dir.File(L"sub").c_str(), nullptr);  // folders do not count
    EXPECT_EQ(Prune(dir.Path()), 201u);
    for (int i = 0; i < 801; ++i) {
        EXPECT_EQ(FileExists(dir.File(std::to_wstring(i) + L".vti")), i >= 201) << i;
    }
    EXPECT_NE(LogText().find("] IconLoader: pruned 201 cached icon files\r\n"), std::string::npos);
}

TEST_F(IconDiskCachePrune, Exactly800FilesStay) {
    TempDir dir;
    MakeFiles(dir, 800);
    EXPECT_EQ(Prune(dir.Path()), 0u);
    EXPECT_TRUE(FileExists(dir.File(L"0.vti")));
    EXPECT_TRUE(FileExists(dir.File(L"799.vti")));
    EXPECT_EQ(LogText().find("pruned"), std::string::npos);
    EXPECT_EQ(PruneIconCacheFolder(dir.File(L"missing")), 0u);
}

TEST(IconRecentList, KeepsFirstTouchOrderAndAtMost64) {
    std::vector<std::wstring> recent;
    TouchRecentPath(recent, L"a");
    TouchRecentPath(recent, L"b");
    TouchRecentPath(recent, L"a");
    TouchRecentPath(recent, L"");
    TouchRecentPath(recent, L"A");
    EXPECT_EQ(recent, (std::vector<std::wstring>{L"a", L"b", L"A"}));

    recent.clear();
    for (int i = 0; i < 65; ++i) TouchRecentPath(recent, L"p" + std::to_wstring(i));
    ASSERT_EQ(recent.size(), 64u);
    EXPECT_EQ(recent.front(), L"p1");
    EXPECT_EQ(recent.back(), L"p64");

    IconLoader loader;
    loader.TouchRecent(L"x");
    loader.TouchRecent(L"x");
    loader.TouchRecent(L"");
    EXPECT_EQ(loader.RecentPaths(), std::vector<std::wstring>{L"x"});
}

TEST(IconRecentList, FileIsUtf16WithCrLfAndNoBom) {
    TempDir dir;
    const std::wstring file = dir.File(L"icon-recent.txt");
    WriteRecentListFile(dir.Path(), {L"C:\\a.vti", L"D:\\图.vti", L"e"});
    std::vector<uint8_t> bytes = ReadFileBytes(file);
    const std::wstring expected = L"C:\\a.vti\r\nD:\\图.vti\r\ne\r\n";
    ASSERT_EQ(bytes.size(), expected.size() * 2);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(bytes[2 * i], expected[i] & 0xFF) << i;
        EXPECT_EQ(bytes[2 * i + 1], expected[i] >> 8) << i;
    }
    WriteRecentListFile(dir.Path(), {});
    EXPECT_EQ(ReadFileBytes(file).size(), bytes.size()) << "an empty list leaves the old file";
    WriteRecentListFile(dir.Path(), {L"z"});
    EXPECT_EQ(ReadFileBytes(file).size(), 6u) << "rewritten, not appended";
}
