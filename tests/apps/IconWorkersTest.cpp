#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "apps/IconExtraction.h"
#include "apps/IconLoader.h"
#include "IconTestDevice.h"
#include "support/TestSupport.h"

using Microsoft::WRL::ComPtr;
using namespace testing_support;

namespace {

// A message-only window standing in for the dock's input window.
class NotifyWindow {
public:
    NotifyWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VantreelIconNotifyTest";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
    }
    ~NotifyWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }

    // Counts icons-ready messages until `expected` arrived or the time is up.
    int Collect(int expected, int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end && received_ < expected) {
            MSG msg;
            while (PeekMessageW(&msg, window_, WM_DOCK_ICONS_READY, WM_DOCK_ICONS_READY,
                                PM_REMOVE)) {
                EXPECT_EQ(msg.wParam, 0u);
                EXPECT_EQ(msg.lParam, 0);
                if (owner) owner->TakeReadyNotice();
                ++received_;
            }
            Sleep(5);
        }
        return received_;
    }
    int Received() { return Collect(received_ + 1, 0); }
    IconLoader* owner = nullptr;

private:
    HWND window_ = nullptr;
    int received_ = 0;
};

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        Sleep(5);
    }
    return true;
}

size_t CountIn(const std::wstring& file, const std::string& text) {
    auto bytes = ReadFileBytes(file);
    std::string log(bytes.begin(), bytes.end());
    size_t count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
}

class IconWorkers : public ::testing::Test {
protected:
    void SetUp() override {
        loader.SetNotifyTarget(notify.Handle(), WM_DOCK_ICONS_READY);
        notify.owner = &loader;  // acknowledges each message as the dock does
        exe = BinDir() + L"\\vantreel.exe";
        ASSERT_TRUE(FileExists(exe));
    }
    void TearDown() override {
        loader.Stop();
        for (const std::wstring& file : written) DeleteFileW(file.c_str());
    }
    // The cache file a request for exe at this size makes, deleted first and
    // again after the test.
    std::wstring FreshCacheFile(const std::wstring& key) {
        std::wstring file = IconLoader::CacheFilePath(key, exe);
        DeleteFileW(file.c_str());
        written.push_back(file);
        return file;
    }

    NotifyWindow notify;
    IconLoader loader;
    std::wstring exe;
    std::vector<std::wstring> written;
};

}  // namespace

TEST(IconWorkerCount, FollowsTheHardwareThreads) {
    EXPECT_EQ(IconLoader::WorkerCountFor(0), 2u);
    EXPECT_EQ(IconLoader::WorkerCountFor(1), 2u);
    EXPECT_EQ(IconLoader::WorkerCountFor(2), 2u);
    EXPECT_EQ(IconLoader::WorkerCountFor(3), 3u);
    EXPECT_EQ(IconLoader::WorkerCountFor(8), 3u);

    IconLoader loader;
    loader.StartWorkers();
    EXPECT_EQ(loader.WorkerCount(), IconLoader::WorkerCountFor(std::thread::hardware_concurrency()));
    loader.StartWorkers();
    EXPECT_EQ(loader.WorkerCount(), IconLoader::WorkerCountFor(std::thread::hardware_concurrency()))
        << "running workers are not doubled";
    loader.Stop();
    EXPECT_EQ(loader.WorkerCount(), 0u);
    loader.StartWorkers();
    EXPECT_GE(loader.WorkerCount(), 2u) << "a fresh set after Stop";
    EXPECT_FALSE(loader.stopping.load());
    loader.Stop();
}

TEST_F(IconWorkers, RealExecutableGivesOneMessageAndACacheFile) {
    const std::wstring key = IconLoader::MakeRequestKey(L"Dock\\Vantreel", 48, false);
    const std::wstring file = FreshCacheFile(key);
    loader.RequestAsync(L"Dock\\Vantreel", exe, L"Vantreel", 48, false);
    ASSERT_EQ(notify.Collect(1, 20000), 1);
    EXPECT_EQ(notify.Collect(2, 500), 1) << "exactly one message";

    IconBitmap onDisk;
    ASSERT_TRUE(IconLoader::ReadCacheFile(key, exe, onDisk)) << "a valid cache file";
    EXPECT_TRUE(HasVisibleContent(onDisk));
    EXPECT_GE(onDisk.width, 16);
    {
        std::lock_guard<std::mutex> lock(loader.pixelMutex);
        ASSERT_EQ(loader.pixels.count(key), 1u);
        EXPECT_EQ(loader.pixels[key].pixels, onDisk.pixels);
    }
    EXPECT_EQ(loader.RecentPaths(), std::vector<std::wstring>{file});
    EXPECT_EQ(loader.PendingCount(), 0u);
}

// The failure is logged, so it runs in a helper copied beside its own log file.
TEST(IconWorkerFailures, MissingFileIsLoggedPostsNothingAndCanBeQueuedAgain) {
    TempDir dir;
    const std::wstring helper = dir.File(L"icon_log_helper.exe");
    ASSERT_TRUE(CopyFileW((BinDir() + L"\\icon_log_helper.exe").c_str(), helper.c_str(), FALSE));
    const std::wstring missing = dir.File(L"Gone.exe");
    ProcessResult result = RunProcess(helper, L"missing \"" + missing + L"\"", dir.Path());
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 10u) << "both attempts ended and no message was posted";
    const std::string line = "] IconLoader: background extraction failed for " + ToUtf8(missing);
    EXPECT_EQ(CountIn(dir.File(L"vantreel.log"), line), 2u) << "the second request was queued";
    EXPECT_FALSE(FileExists(IconLoader::CacheFilePath(IconLoader::MakeRequestKey(L"gone", 48, false),
                                                      missing)));
}

TEST_F(IconWorkers, DuplicateRequestsExtractOnce) {
    const std::wstring key = IconLoader::MakeRequestKey(L"dup", 64, false);
    FreshCacheFile(key);
    for (int i = 0; i < 5; ++i) loader.RequestAsync(L"DUP", exe, L"", 64, false);
    ASSERT_EQ(notify.Collect(1, 20000), 1);
    EXPECT_EQ(notify.Collect(2, 700), 1);
    // Once the pixels are in memory, a request queues nothing at all.
    loader.RequestAsync(L"dup", exe, L"", 64, false);
    EXPECT_EQ(loader.PendingCount(), 0u);
    EXPECT_EQ(notify.Collect(2, 300), 1);
}

TEST_F(IconWorkers, StopDropsQueuedRequests) {
    // Queued before any worker exists: Stop drops them all and nothing is posted.
    {
        std::lock_guard<std::mutex> lock(loader.queueMutex);
        for (int size = 32; size < 40; ++size) {
            IconRequest request;
            request.key = L"queued";
            request.path = exe;
            request.size = size;
            loader.queue.push_back(request);
            loader.pendingKeys.insert(IconLoader::MakeRequestKey(L"queued", size, false));
        }
    }
    loader.Stop();
    EXPECT_EQ(loader.QueuedCount(), 0u);
    EXPECT_EQ(loader.PendingCount(), 0u);
    loader.StartWorkers();
    EXPECT_EQ(notify.Collect(1, 500), 0);
    loader.Stop();

    // With workers running, only requests already being extracted may finish.
    for (int size = 32; size <= 160; ++size) {
        FreshCacheFile(IconLoader::MakeRequestKey(L"many", size, false));
        loader.RequestAsync(L"many", exe, L"", size, false);
    }
    loader.Stop();
    EXPECT_EQ(loader.QueuedCount(), 0u);
    EXPECT_EQ(loader.PendingCount(), 0u);
    EXPECT_EQ(loader.WorkerCount(), 0u);
    // A message stands for one stored icon or more, and none follows the join.
    const int posted = notify.Collect(200, 500);
    EXPECT_LT(posted, 129) << "queued requests were dropped";
    {
        std::lock_guard<std::mutex> lock(loader.pixelMutex);
        EXPECT_GE(static_cast<int>(loader.pixels.size()), posted);
    }
    EXPECT_EQ(notify.Collect(posted + 1, 300), posted);
}

TEST_F(IconWorkers, IconsFinishedBeforeTheOwnerLooksShareOneMessage) {
    notify.owner = nullptr;
    for (int size = 40; size <= 71; ++size) FreshCacheFile(IconLoader::MakeRequestKey(L"batch", size, false));
    for (int size = 40; size <= 70; ++size) loader.RequestAsync(L"batch", exe, L"", size, false);
    ASSERT_TRUE(WaitFor([&] { return loader.PendingCount() == 0; }, 60000));
    EXPECT_EQ(notify.Collect(2, 300), 1) << "31 icons";
    loader.TakeReadyNotice();
    loader.RequestAsync(L"batch", exe, L"", 71, false);
    EXPECT_EQ(notify.Collect(2, 20000), 2) << "the next icon after the owner looked";
}

TEST_F(IconWorkers, NoMessageBeforeTheTargetIsSet) {
    IconLoader quiet;
    const std::wstring key = IconLoader::MakeRequestKey(L"quiet", 33, false);
    FreshCacheFile(key);
    quiet.RequestAsync(L"quiet", exe, L"", 33, false);
    ASSERT_TRUE(WaitFor([&] { return IconLoader::HasCacheFile(key, exe); }, 20000));
    quiet.Stop();
    EXPECT_EQ(notify.Collect(1, 300), 0);
    std::lock_guard<std::mutex> lock(quiet.pixelMutex);
    EXPECT_EQ(quiet.pixels.count(key), 1u);
}

// The dock asks again after every icons-ready message until it gets a surface;
// an icon kept neither in memory nor on disk would be extracted forever.
TEST_F(IconWorkers, AFullStoreWithoutACacheFileStillKeepsTheIcon) {
    IconTestHost host;
    loader.host = &host;
    const std::wstring key = IconLoader::MakeRequestKey(L"Full\\Store", 48, false);
    const std::wstring file = FreshCacheFile(key);
    // A folder where the temporary file goes: no cache file can be written.
    std::error_code ec;
    std::filesystem::create_directories(file + L".tmp", ec);
    ASSERT_FALSE(ec);
    IconBitmap small;
    small.width = small.height = 2;
    small.pixels.assign(16, 0xFF);
    for (size_t i = 0; i < IconLoader::kPixelStoreLimit; ++i) {
        loader.StoreExtracted(L"stored" + std::to_wstring(i), small);
    }
    IconSurfaceRef surface;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < end) {
        if (!surface) surface = loader.GetIconSurface(L"Full\\Store", exe, L"", 48, false);
        if (!surface) loader.RequestAsync(L"Full\\Store", exe, L"", 48, false);
        notify.Collect(notify.Received() + 1, 20);
    }
    RemoveDirectoryW((file + L".tmp").c_str());
    EXPECT_TRUE(surface != nullptr);
    EXPECT_EQ(notify.Received(), 1) << "one extraction of that icon";
    EXPECT_FALSE(FileExists(file));
    std::lock_guard<std::mutex> lock(loader.pixelMutex);
    EXPECT_EQ(loader.pixels.size(), IconLoader::kPixelStoreLimit);
    EXPECT_EQ(loader.pixels.count(key), 1u);
}

// A page's worth of icons stored into a full store keeps them all: the oldest go.
TEST(IconPixelStore, AFullStoreGivesUpItsOldestPixels) {
    IconLoader loader;
    IconBitmap small;
    small.width = small.height = 2;
    small.pixels.assign(16, 0xFF);
    const size_t n = IconLoader::kPixelStoreLimit + 24;
    for (size_t i = 0; i < n; ++i) loader.StoreExtracted(L"tile" + std::to_wstring(i), small);
    EXPECT_EQ(loader.pixels.size(), IconLoader::kPixelStoreLimit);
    for (size_t i = n - 24; i < n; ++i) EXPECT_EQ(loader.pixels.count(L"tile" + std::to_wstring(i)), 1u) << i;

    // Pixels the prewarm kept are among the oldest too: a page stored after them keeps all of its own.
    loader.ClearMemoryCaches();
    for (size_t i = 0; i + 10 < IconLoader::kPixelStoreLimit; ++i) {
        loader.KeepPixelsIfRoom(L"warm" + std::to_wstring(i), small);
    }
    for (size_t i = 0; i < 24; ++i) loader.StoreExtracted(L"page" + std::to_wstring(i), small);
    for (size_t i = 0; i < 24; ++i) EXPECT_EQ(loader.pixels.count(L"page" + std::to_wstring(i)), 1u) << i;
}

TEST(IconExtraction, ConversionScalesToTheExtractionSize) {
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    ComPtr<IWICImagingFactory> factory;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_PPV_ARGS(&factory))));
    std::vector<uint8_t> source(100 * 50 * 4, 0xFF);
    ComPtr<IWICBitmap> bitmap;
    ASSERT_TRUE(SUCCEEDED(factory->CreateBitmapFromMemory(100, 50, GUID_WICPixelFormat32bppBGRA,
                                                          400, static_cast<UINT>(source.size()),
                                                          source.data(), &bitmap)));
    IconBitmap out;
    ASSERT_TRUE(ConvertToPbgraBitmap(factory.Get(), bitmap.Get(), 60, true, out));
    EXPECT_EQ(out.width, 38);
    EXPECT_EQ(out.height, 38) << "squared whatever the aspect ratio";
    EXPECT_EQ(out.pixels.size(), 38u * 38 * 4);
    ASSERT_TRUE(ConvertToPbgraBitmap(factory.Get(), bitmap.Get(), 60, false, out));
    EXPECT_EQ(out.width, 60);
    ASSERT_TRUE(ConvertToPbgraBitmap(factory.Get(), bitmap.Get(), 200, false, out));
    EXPECT_EQ(out.width, 160);
    EXPECT_FALSE(ConvertToPbgraBitmap(nullptr, bitmap.Get(), 60, false, out));
    EXPECT_FALSE(ConvertToPbgraBitmap(factory.Get(), nullptr, 60, false, out));
    EXPECT_FALSE(ExtractShellItemImage(nullptr, L"", L"C:\\x.exe", 48, false, out));

    // Whatever the shell gives for an executable, a blank image never counts.
    IconBitmap shell;
    if (GetShellItemBitmap(factory.Get(), BinDir() + L"\\vantreel.exe", 48, false, shell)) {
        EXPECT_TRUE(HasVisibleContent(shell));
    }
    IconBitmap fileIcon;
    ASSERT_TRUE(ExtractFileIcon(factory.Get(), BinDir() + L"\\vantreel.exe", fileIcon));
    EXPECT_TRUE(HasVisibleContent(fileIcon));
    EXPECT_FALSE(ExtractFileIcon(factory.Get(), L"shell:AppsFolder\\x", fileIcon));
    factory.Reset();
    if (com) CoUninitialize();
}

TEST(IconExtraction, BlankImagesAndExtractableNames) {
    IconBitmap one;
    one.width = one.height = 1;
    one.pixels = {1, 2, 3, 255};
    EXPECT_FALSE(HasVisibleContent(one));
    IconBitmap clear;
    clear.width = clear.height = 4;
    clear.pixels.assign(64, 0);
    EXPECT_FALSE(HasVisibleContent(clear));
    clear.pixels[4 * 9 + 3] = 1;
    EXPECT_TRUE(HasVisibleContent(clear));

    EXPECT_TRUE(IsExtractablePath(L"C:\\a.exe"));
    EXPECT_TRUE(IsExtractablePath(L"relative\\a.exe"));
    EXPECT_TRUE(IsExtractablePath(L"c:"));
    EXPECT_FALSE(IsExtractablePath(L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"));
    EXPECT_FALSE(IsExtractablePath(L"shell:AppsFolder\\x"));
    EXPECT_FALSE(IsExtractablePath(L"SHELL:x\\y"));
    EXPECT_FALSE(IsExtractablePath(L""));
}
