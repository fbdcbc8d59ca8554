#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "render/LuminanceTestSupport.h"
#include "render/WallpaperLumaCache.h"
#include "render/WallpaperLuminance.h"
#include "support/TestSupport.h"

using namespace luminance_testing;
using namespace testing_support;

namespace {

constexpr uint64_t kStamp = 133444555666777888ull;

// A real wallpaper (a non-ASCII name, so the UTF-8 path is exercised) with a
// known time stamp, and a cache folder of the test's own.
class WallpaperCache : public ::testing::Test {
protected:
    void SetUp() override {
        image_ = images_.File(L"Desk 壁纸.bmp");
        WriteBmp(image_, 32, 18, [](int, int) { return Rgb{90, 90, 90}; });
        ASSERT_TRUE(SetLastWriteTime(image_, kStamp));
        wallpaper_ = std::make_unique<ScopedWallpaper>(image_);
        ASSERT_TRUE(wallpaper_->Applied());
        system_ = RealWallpaperSystem();
        system_.cacheDirectory = [this] { return cache_.Path(); };
        std::wstring path;
        ASSERT_TRUE(GetWallpaperPathAndStamp(path, stamp_, system_));
    }
    void TearDown() override { wallpaper_.reset(); }

    std::wstring CacheFile() const { return cache_.File(L"wallpaper.luma"); }
    void WriteCache(const std::string& bytes) { WriteFileBytes(CacheFile(), bytes); }
    std::string Line(const std::string& value, const std::wstring& path) const {
        return std::to_string(stamp_) + "|" + value + "|" + ToUtf8(path) + "\r\n";
    }

    TempDir images_;
    TempDir cache_;
    std::wstring image_;
    std::unique_ptr<ScopedWallpaper> wallpaper_;
    WallpaperSystem system_;
    uint64_t stamp_ = 0;
};

}  // namespace

TEST_F(WallpaperCache, RoundTripsThroughTheFile) {
    EXPECT_EQ(GetWallpaperLumaCachePath(system_), CacheFile());
    EXPECT_EQ(LoadWallpaperLumaCache(system_), -1.0f) << "no file yet";

    SaveWallpaperLumaCache(0.61236f, system_);
    const std::vector<uint8_t> bytes = ReadFileBytes(CacheFile());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "\xEF\xBB\xBF" + Line("0.6124", image_));
    EXPECT_NEAR(LoadWallpaperLumaCache(system_), 0.6124f, 1e-6);

    // Saving again replaces the line; the ends of the range are valid.
    SaveWallpaperLumaCache(1.0f, system_);
    EXPECT_EQ(LoadWallpaperLumaCache(system_), 1.0f);
    SaveWallpaperLumaCache(0.0f, system_);
    EXPECT_EQ(LoadWallpaperLumaCache(system_), 0.0f);
}

TEST_F(WallpaperCache, ValuesOutsideTheRangeAreNotSaved) {
    SaveWallpaperLumaCache(1.2f, system_);
    SaveWallpaperLumaCache(-0.1f, system_);
    EXPECT_FALSE(FileExists(CacheFile()));
}

TEST_F(WallpaperCache, AChangedWallpaperFileInvalidatesTheEntry) {
    SaveWallpaperLumaCache(0.3f, system_);
    ASSERT_NEAR(LoadWallpaperLumaCache(system_), 0.3f, 1e-6);
    ASSERT_TRUE(SetLastWriteTime(image_, kStamp + 1));
    EXPECT_EQ(LoadWallpaperLumaCache(system_), -1.0f);

    // Another picture of the same size copied over it and given its time.
    SaveWallpaperLumaCache(0.3f, system_);
    WriteBmp(image_, 32, 18, [](int, int) { return Rgb{250, 250, 250}; });
    ASSERT_TRUE(SetLastWriteTime(image_, kStamp + 1));
    EXPECT_EQ(LoadWallpaperLumaCache(system_), -1.0f);
}

TEST_F(WallpaperCache, ThePathMustMatchExactlyIncludingLetterCase) {
    WriteCache(Line("0.5000", image_));
    EXPECT_EQ(LoadWallpaperLumaCache(system_), 0.5f) << "a line without byte-order mark is read";

    std::wstring upper = image_;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    ASSERT_NE(upper, image_);
    WriteCache(Line("0.5000", upper));
    EXPECT_EQ(LoadWallpaperLumaCache(system_), -1.0f);

    WriteCache(Line("0.5000", image_ + L"x"));
    EXPECT_EQ(LoadWallpaperLumaCache(system_), -1.0f);
}

TEST_F(WallpaperCache, MalformedLinesReadAsUnknown) {
    const std::string stamp = std::to_string(stamp_);
    const std::string path = ToUtf8(image_);
    const std::vector<std::string> lines = {
        Line("1.2000", image_),
        Line("-0.0100", image_),
        Line("nan", image_),
        stamp + "|0.5000\r\n",
        stamp + "|0.5000|\r\n",
        stamp + "|abc|" + path + "\r\n",
        "-" + stamp + "|0.5000|" + path + "\r\n",
        "99999999999999999999999|0.5000|" + path + "\r\n",
        "",
        "\xEF\xBB\xBF",
        stamp + "|0.5000|" + path.substr(0, path.size() - 2) + "\xFF\xFE\r\n",
    };
    for (const std::string& line : lines) {
        WriteCache(line);
        EXPECT_EQ(LoadWallpaperLumaCache(system_), -1.0f) << line;
    }
}

TEST_F(WallpaperCache, OverLongLinesAreRejectedWithoutHarm) {
    // A path far beyond any buffer a reader might use.
    WriteCache(Line("0.5000", image_ + std::wstring(100000, L'a')));
    EXPECT_EQ(LoadWallpaperLumaCache(system_), -1.0f);
    // The right entry padded with spaces to an absurd length.
    WriteCache(std::to_string(stamp_) + "|0.5000|" + ToUtf8(image_) + std::string(5000, ' '));
    EXPECT_EQ(LoadWallpaperLumaCache(system_), -1.0f);
    // A valid first line is still read when garbage follows it.
    WriteCache(Line("0.4000", image_) + std::string(100000, 'z'));
    EXPECT_NEAR(LoadWallpaperLumaCache(system_), 0.4f, 1e-6);
}

TEST_F(WallpaperCache, NoCacheFolderMeansNoCache) {
    system_.cacheDirectory = [] { return std::wstring(); };
    EXPECT_EQ(GetWallpaperLumaCachePath(system_), L"");
    SaveWallpaperLumaCache(0.5f, system_);
    EXPECT_EQ(LoadWallpaperLumaCache(system_), -1.0f);
    EXPECT_FALSE(FileExists(CacheFile()));
}

TEST(WallpaperLumaFile, ParsesTheLongestValidEntry) {
    const std::wstring longest = L"C:\\" + std::wstring(MAX_PATH - 1 - 3, L'\x58C1');
    const auto entry = ParseWallpaperLumaFile(FormatWallpaperLumaFile(
        18446744073709551615ull, 0.12344f, longest));
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->stamp, 18446744073709551615ull);
    EXPECT_DOUBLE_EQ(entry->luminance, 0.1234);
    EXPECT_EQ(entry->path, longest);

    EXPECT_FALSE(ParseWallpaperLumaFile(FormatWallpaperLumaFile(1, 0.5f, longest + L"x")));
}
