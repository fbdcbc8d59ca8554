#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "IconTestDevice.h"
#include "apps/IconDiskCache.h"
#include "apps/IconLoader.h"
#include "apps/IconRendering.h"

namespace {

IconBitmap Solid(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
    IconBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    for (int i = 0; i < width * height; ++i) bitmap.pixels.insert(bitmap.pixels.end(), {b, g, r, 255});
    return bitmap;
}

std::wstring Key(int n) { return L"C:\\Apps\\App" + std::to_wstring(n) + L".exe"; }

}  // namespace

TEST(IconLoaderKeys, KeysFollowTheirForms) {
    EXPECT_EQ(IconLoader::MakeRequestKey(L"C:/Tools/App.exe", 54, true), L"c:\\tools\\app.exe@54#mac");
    EXPECT_EQ(IconLoader::MakeIconKey(L"c:\\tools\\app.exe", L"", 200, false, 3),
              L"shell:c:\\tools\\app.exe@160#win#f3");
    EXPECT_EQ(IconLoader::MakeIconKey(L"c:\\tools\\app.exe", L"", 200, false, 0),
              L"shell:c:\\tools\\app.exe@160#win");
    EXPECT_EQ(IconLoader::MakeIconKey(L"c:\\tools\\app.exe", L"", 48, true, 1),
              L"shell:c:\\tools\\app.exe@48#mac");
    EXPECT_EQ(IconLoader::MakeIconKey(L"", L"D:/X/Y.EXE", 48, false, 2), L"shell:d:\\x\\y.exe@48#win#f2");
    EXPECT_EQ(IconLoader::MakeIconKey(L"Microsoft.App_x!App", L"D:\\y.exe", 48, false, 0),
              L"shell:microsoft.app_x!app@48#win");
    // Every size is clamped to 32..160 before it enters a key.
    EXPECT_EQ(IconLoader::MakeRequestKey(L"a", 20, false), IconLoader::MakeRequestKey(L"a", 32, false));
    EXPECT_EQ(IconLoader::MakeRequestKey(L"a", -5, false), L"a@32#win");
    EXPECT_EQ(IconLoader::MakeRequestKey(L"a", 161, false), L"a@160#win");
    EXPECT_EQ(IconLoader::MakeRequestKey(L"a", 160, false), L"a@160#win");
    EXPECT_EQ(ExtractionPixelSize(48, true), 32);
    EXPECT_EQ(ExtractionPixelSize(60, true), 38);
    EXPECT_EQ(ExtractionPixelSize(160, true), 102);
    EXPECT_EQ(ExtractionPixelSize(60, false), 60);
    EXPECT_EQ(ExtractionPixelSize(10, false), 32);
}

TEST(IconLoaderMemory, SurfaceCacheEvictsTheLeastRecentlyUsed) {
    IconTestHost host;
    IconLoader loader;
    loader.host = &host;
    std::vector<IconSurfaceRef> surfaces;
    for (int n = 0; n < 256; ++n) {
        surfaces.push_back(std::make_shared<IconSurface>());
        loader.PutSurface(IconLoader::MakeRequestKey(Key(n), 48, false), surfaces.back());
    }
    EXPECT_EQ(loader.SurfaceCount(), 256u);
    // A hit makes entry 0 the most recently used.
    EXPECT_EQ(loader.GetIconSurface(Key(0), Key(0), L"", 48, false), surfaces[0]);

    loader.PutSurface(L"extra", std::make_shared<IconSurface>());
    EXPECT_EQ(loader.SurfaceCount(), 256u);
    EXPECT_TRUE(loader.HasSurface(IconLoader::MakeRequestKey(Key(0), 48, false)));
    EXPECT_FALSE(loader.HasSurface(IconLoader::MakeRequestKey(Key(1), 48, false)))
        << "the least recently used entry leaves";
    EXPECT_TRUE(loader.HasSurface(L"extra"));

    // Replacing keeps the count and makes the entry the most recent.
    auto replacement = std::make_shared<IconSurface>();
    loader.PutSurface(IconLoader::MakeRequestKey(Key(2), 48, false), replacement);
    EXPECT_EQ(loader.SurfaceCount(), 256u);
    loader.PutSurface(L"extra2", std::make_shared<IconSurface>());
    EXPECT_TRUE(loader.HasSurface(IconLoader::MakeRequestKey(Key(2), 48, false)));
    EXPECT_FALSE(loader.HasSurface(IconLoader::MakeRequestKey(Key(3), 48, false)));
    EXPECT_EQ(loader.GetIconSurface(Key(2), L"", L"", 48, false), replacement);

    loader.ClearMemoryCaches();
    EXPECT_EQ(loader.SurfaceCount(), 0u);
    EXPECT_EQ(loader.surfaceIndex.size(), 0u);
}

TEST(IconLoaderMemory, NothingWithoutAHost) {
    IconLoader loader;
    loader.pixels[IconLoader::MakeRequestKey(Key(1), 48, false)] = Solid(48, 48, 1, 2, 3);
    EXPECT_EQ(loader.GetIconSurface(Key(1), Key(1), L"", 48, false), nullptr);
    EXPECT_EQ(loader.GetIconSurfaceSync(Key(1), L"", L"", 48, false, 0), nullptr);
    EXPECT_EQ(loader.GetLaunchpadSurface(48, true), nullptr);
}

TEST(IconLoaderRequests, RequestAsyncQueuesOnlyWhatIsNeeded) {
    IconLoader loader;
    loader.RequestAsync(L"item", L"", L"Name", 48, false);
    EXPECT_EQ(loader.QueuedCount(), 0u);
    EXPECT_EQ(loader.WorkerCount(), 0u) << "an empty path starts nothing";

    const std::wstring key = IconLoader::MakeRequestKey(L"Item", 20, false);
    loader.pendingKeys.insert(key);
    loader.RequestAsync(L"Item", L"C:\\other.exe", L"Other", 32, false);
    EXPECT_EQ(loader.QueuedCount(), 0u) << "a pending key is not queued again";
    EXPECT_EQ(loader.WorkerCount(), 0u);
    loader.pendingKeys.clear();

    loader.pixels[key] = Solid(32, 32, 1, 1, 1);
    loader.RequestAsync(L"item", L"C:\\other.exe", L"", 32, false);
    EXPECT_EQ(loader.PendingCount(), 0u) << "pixels already in memory";

    loader.Stop();
    loader.pixels.clear();
    loader.RequestAsync(L"item", L"C:\\other.exe", L"", 32, false);
    EXPECT_EQ(loader.QueuedCount(), 0u) << "nothing after Stop";
    EXPECT_EQ(loader.PendingCount(), 0u);
    EXPECT_EQ(loader.WorkerCount(), 0u) << "Stop is not undone by a request";
}

class IconLoaderSurfaces : public ::testing::Test {
protected:
    void SetUp() override {
        if (!device.Ready()) GTEST_SKIP() << "no Direct2D device";
        graphics.dwrite = device.DWrite();
        loader.host = &host;
        loader.graphics = &graphics;
    }
    IconTestDevice device;
    IconTestHost host{&device};
    IconGraphics graphics;
    IconLoader loader;
};

TEST_F(IconLoaderSurfaces, BuiltinGlyphsWinInMacStyle) {
    const std::wstring notepad = L"C:\\Windows\\notepad.exe";
    const IconBitmap red = Solid(32, 32, 0, 0, 255);
    loader.pixels[IconLoader::MakeRequestKey(notepad, 48, true)] = red;
    loader.pixels[IconLoader::MakeRequestKey(notepad, 48, false)] = red;

    IconSurfaceRef mac = loader.GetIconSurface(notepad, notepad, L"Notepad", 48, true);
    ASSERT_NE(mac, nullptr);
    PixelImage glyph = host.Pixels(mac);
    Pixel band = glyph.At(24, 8);
    EXPECT_GT(band.g, 150) << "the notepad's yellow band, not the red pixels";

    IconSurfaceRef plain = loader.GetIconSurface(notepad, notepad, L"Notepad", 48, false);
    ASSERT_NE(plain, nullptr);
    PixelImage pixels = host.Pixels(plain);
    EXPECT_EQ(pixels.At(10, 10).r, 255);
    EXPECT_EQ(pixels.At(10, 10).g, 0);
    EXPECT_EQ(pixels.At(40, 40).r, 255) << "32 x 32 pixels fill a 48 x 48 surface";

    EXPECT_EQ(loader.GetIconSurface(notepad, notepad, L"", 48, true), mac) << "cached";
}

TEST_F(IconLoaderSurfaces, DiskCacheFillsThePixelStoreAndTheRecentList) {
    const std::wstring item = L"C:\\NoSuchFolder\\DiskOnly.exe";
    const std::wstring key = IconLoader::MakeRequestKey(item, 40, false);
    const std::wstring file = IconLoader::CacheFilePath(key, item);
    IconLoader::WriteCacheFile(key, item, Solid(40, 40, 255, 0, 0));
    ASSERT_TRUE(IconLoader::HasCacheFile(key, item));

    IconSurfaceRef surface = loader.GetIconSurface(item, item, L"", 40, false);
    DeleteFileW(file.c_str());
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(host.Pixels(surface).At(20, 20).b, 255);
    EXPECT_EQ(loader.pixels.count(key), 1u);
    EXPECT_EQ(loader.RecentPaths(), std::vector<std::wstring>{file});
    EXPECT_EQ(loader.GetIconSurface(item, item, L"", 40, false), surface);

    // Nowhere to be found: null, so the caller queues a request.
    EXPECT_EQ(loader.GetIconSurface(L"C:\\NoSuchFolder\\Other.exe", L"C:\\NoSuchFolder\\Other.exe",
                                    L"", 40, false),
              nullptr);
}

TEST_F(IconLoaderSurfaces, TilesWithCountsShareThePixelsAndCarryABadge) {
    const std::wstring id = L"C:\\Tools\\Tile.exe";
    loader.pixels[IconLoader::MakeIconKey(id, L"", 64, false, 0)] = Solid(64, 64, 0, 200, 0);
    IconSurfaceRef single = loader.GetIconSurfaceSync(id, L"Tile", L"", 64, false, 1);
    IconSurfaceRef folder = loader.GetIconSurfaceSync(id, L"Tile", L"", 64, false, 2);
    ASSERT_NE(single, nullptr);
    ASSERT_NE(folder, nullptr);
    EXPECT_NE(single, folder);
    EXPECT_TRUE(loader.HasSurface(L"shell:c:\\tools\\tile.exe@64#win"));
    EXPECT_TRUE(loader.HasSurface(L"shell:c:\\tools\\tile.exe@64#win#f2"));
    // The badge disc sits at 0.8 of the edge; only the folder tile has it.
    EXPECT_EQ(host.Pixels(single).At(51, 58).g, 200);
    EXPECT_LT(host.Pixels(folder).At(51, 58).g, 120);
}

TEST_F(IconLoaderSurfaces, SpecialItemsUseTheirOwnKeys) {
    IconSurfaceRef launchpad = loader.GetLaunchpadSurface(20, false);
    ASSERT_NE(launchpad, nullptr);
    EXPECT_EQ(IconTestHost::Width(launchpad), 32);
    EXPECT_TRUE(loader.HasSurface(L"::launchpad@32#win"));
    EXPECT_EQ(loader.GetLaunchpadSurface(32, false), launchpad);
    ASSERT_NE(loader.GetSettingsSurface(300, true), nullptr);
    EXPECT_TRUE(loader.HasSurface(L"::settings@160#mac"));

    bool full = true;
    IconSurfaceRef bin = loader.GetRecycleBinSurface(48, true, &full);
    ASSERT_NE(bin, nullptr);
    EXPECT_TRUE(loader.HasSurface(full ? L"::bin_full@48#mac" : L"::bin_empty@48#mac"));
    EXPECT_GT(host.Pixels(bin).At(24, 24).a, 100);
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(SUCCEEDED(SHQueryRecycleBinW(nullptr, &info)));
    EXPECT_EQ(full, info.i64NumItems > 0);

    // The stock icon path: a surface under the bin's own key, or none at all
    // where the shell has no stock icon to give.
    IconSurfaceRef stock = loader.GetRecycleBinSurface(48, false, nullptr);
    EXPECT_EQ(stock != nullptr,
              loader.HasSurface(full ? L"::bin_full@48#win" : L"::bin_empty@48#win"));

    host.failCreation = true;
    EXPECT_EQ(loader.GetSettingsSurface(64, false), nullptr);
    EXPECT_FALSE(loader.HasSurface(L"::settings@64#win"));
}
