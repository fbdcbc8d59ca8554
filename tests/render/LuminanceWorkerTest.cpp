#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "render/LuminanceTestSupport.h"
#include "render/WallpaperLumaCache.h"
#include "render/WallpaperLuminance.h"
#include "render/WallpaperLuminanceWorker.h"
#include "support/TestSupport.h"

using namespace luminance_testing;
using namespace testing_support;

namespace {

// A message-only window standing in for the dock's input window.
class MessageWindow {
public:
    MessageWindow() {
        window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    }
    ~MessageWindow() {
        if (window_) DestroyWindow(window_);
    }
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;
    HWND Get() const { return window_; }

    // The wParam of the first message of that kind within the time, or -1.
    long long WaitFor(UINT message, DWORD timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        while (GetTickCount64() < end) {
            MSG msg;
            while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) {
                if (msg.message == message) return static_cast<long long>(msg.wParam);
                DispatchMessageW(&msg);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        return -1;
    }

private:
    HWND window_ = nullptr;
};

}  // namespace

TEST(WallpaperLuminanceWorker, PostsTheMeasurementAndFillsTheCache) {
    TempDir images;
    TempDir cache;
    const std::wstring image = images.File(L"half.bmp");
    // A top strip of mid-grey 128: luma 128 / 255.
    WriteBmp(image, 320, 180, [](int, int y) {
        return y < 30 ? Rgb{128, 128, 128} : Rgb{255, 255, 255};
    });
    ScopedWallpaper wallpaper(image);
    ASSERT_TRUE(wallpaper.Applied());
    WallpaperSystem system = RealWallpaperSystem();
    system.cacheDirectory = [dir = cache.Path()] { return dir; };

    MessageWindow window;
    ASSERT_NE(window.Get(), nullptr);
    ASSERT_TRUE(StartWallpaperLuminanceWorker(window.Get(), system));
    const long long posted = window.WaitFor(WM_DOCK_WALLPAPER_LUMA, 20000);
    EXPECT_NEAR(posted, 502, 2);

    const float cached = LoadWallpaperLumaCache(system);
    EXPECT_NEAR(cached, 128.0f / 255.0f, 0.005f);
    EXPECT_NEAR(cached * 1000.0f, static_cast<float>(posted), 0.5f);
}

TEST(WallpaperLuminanceWorker, PostsNothingWhenTheFactoryOrTheMeasurementFails) {
    TempDir cache;
    WallpaperSystem system = RealWallpaperSystem();
    system.cacheDirectory = [dir = cache.Path()] { return dir; };
    MessageWindow window;
    ASSERT_NE(window.Get(), nullptr);

    // Neither imaging class can be created.
    std::vector<CLSID> asked;
    EXPECT_FALSE(MeasureAndPostWallpaperLuminance(window.Get(), system, [&](REFCLSID classId, IWICImagingFactory**) {
        asked.push_back(classId);
        return REGDB_E_CLASSNOTREG;
    }));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(IsEqualCLSID(asked[0], CLSID_WICImagingFactory2)) << "the newer class comes first";

    // No wallpaper and no desktop colour either: nothing was measured.
    system.wallpaperPath = [] { return std::wstring(); };
    system.desktopColor = []() -> COLORREF { throw std::runtime_error("no colour"); };
    EXPECT_FALSE(MeasureAndPostWallpaperLuminance(window.Get(), system));

    EXPECT_EQ(window.WaitFor(WM_DOCK_WALLPAPER_LUMA, 200), -1) << "a made-up luminance was posted";
    EXPECT_FALSE(FileExists(cache.File(L"wallpaper.luma")));
}
