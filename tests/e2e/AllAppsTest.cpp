// The launcher in the running program: a Start menu of 30 shortcuts and a
// three-app folder, the prewarm's hidden prebuild, Alt+Space from SendInput,
// the panel's place and pixels on the screen, the closing hotkey and the
// re-open guard, the test timer, and the catalog file it leaves.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "ScopedLogPixels.h"
#include "allapps/AllAppsGeometry.h"
#include "apps/CatalogCache.h"

using Microsoft::WRL::ComPtr;
using namespace testing_support;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

std::wstring ProgramsFolder() {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Programs, 0, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

bool MakeShortcut(const std::wstring& linkPath, const std::wstring& target) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return false;
    link->SetPath(target.c_str());
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file))) return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

// Shortcuts in the user's Programs folder, each to its own copy of a helper
// program with an icon (the catalog drops shortcuts to the same program):
// "VtApp 01".. at the top level, or the folder "VtSuite" of three. Removed
// again at the end. With an empty Apps folder a Start-menu folder makes the
// catalog leave out top-level shortcuts, so the two never meet in one test.
class TestStartMenu {
public:
    TestStartMenu(int topLevel, bool suite) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        programs_ = ProgramsFolder();
        suite_ = programs_ + L"\\VtSuite";
        ok_ = !programs_.empty() && (!suite || CreateDirectoryW(suite_.c_str(), nullptr) != FALSE);
        const std::wstring helper = BinDir() + L"\\launcher_app.exe";
        const int total = topLevel + (suite ? 3 : 0);
        for (int i = 1; i <= total && ok_; ++i) {
            wchar_t number[8];
            _snwprintf(number, 8, L"%02d", i);
            const bool member = i > topLevel;
            const std::wstring name = member ? L"VtSuite " + std::wstring(1, static_cast<wchar_t>(L'A' + i - topLevel - 1))
                                             : L"VtApp " + std::wstring(number);
            const std::wstring exe = bin_.File(L"vt" + std::wstring(number) + L".exe");
            ok_ = CopyFileW(helper.c_str(), exe.c_str(), FALSE) != FALSE;
            const std::wstring link = (member ? suite_ : programs_) + L"\\" + name + L".lnk";
            ok_ = ok_ && MakeShortcut(link, exe);
            links_.push_back(link);
        }
    }
    ~TestStartMenu() {
        for (const std::wstring& link : links_) DeleteFileW(link.c_str());
        RemoveDirectoryW(suite_.c_str());
        CoUninitialize();
    }
    bool Ready() const { return ok_; }

private:
    TempDir bin_;
    std::wstring programs_;
    std::wstring suite_;
    std::vector<std::wstring> links_;
    bool ok_ = false;
};

void PressAltSpace() {
    INPUT keys[4] = {};
    for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_MENU;
    keys[1].ki.wVk = VK_SPACE;
    keys[2].ki.wVk = VK_SPACE;
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_MENU;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof(INPUT));
}

bool Shown(HWND window) { return window && IsWindowVisible(window); }

// The screen's pixels inside a rectangle, as 0x00RRGGBB.
struct ScreenShot {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y - top) * static_cast<size_t>(width) + static_cast<size_t>(x - left)];
    }
};

ScreenShot Capture(const RECT& r) {
    ScreenShot shot;
    shot.left = r.left;
    shot.top = r.top;
    shot.width = r.right - r.left;
    shot.height = r.bottom - r.top;
    shot.pixels.resize(static_cast<size_t>(shot.width) * static_cast<size_t>(shot.height));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    const auto* source = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < shot.pixels.size(); ++i) shot.pixels[i] = source[i] & 0xFFFFFF;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

size_t ColoursIn(const ScreenShot& shot, float left, float top, float right, float bottom) {
    std::set<uint32_t> colours;
    for (int y = shot.top + static_cast<int>(top); y < shot.top + static_cast<int>(bottom); ++y) {
        for (int x = shot.left + static_cast<int>(left); x < shot.left + static_cast<int>(right); ++x) {
            colours.insert(shot.At(x, y));
        }
    }
    return colours.size();
}

int Brightness(uint32_t p) { return static_cast<int>((p & 255) + ((p >> 8) & 255) + ((p >> 16) & 255)); }

}  // namespace

TEST(RunningLauncher, AltSpaceOpensThePrebuiltPanelAndClosesIt) {
    TestStartMenu menu(30, false);
    ASSERT_TRUE(menu.Ready());
    DeleteFileW(CatalogCachePath().c_str());
    DockConfig config = TestDockConfig();
    config.theme = 1;
    DockProcess dock;
    ASSERT_TRUE(dock.Start(config));
    ASSERT_TRUE(WaitUntil([&] { return dock.DebugLog().find("AllApps prewarm: visuals prebuilt") != std::string::npos; },
                          kStartTimeoutMs))
        << dock.DebugLog();
    HWND panel = dock.FindWindowOfClass(L"VantreelAllAppsWindow");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(Shown(panel));

    PressAltSpace();
    ASSERT_TRUE(WaitUntil([&] { return Shown(panel); }, 5000));
    EXPECT_TRUE(GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect;
    GetWindowRect(panel, &rect);
    const float reserve = config.iconSize + static_cast<float>(config.bottomMargin) + 22.0f;
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const PanelSize size = PanelSizeFor(screen.right, screen.bottom, 1.0f, reserve);
    const RECT expected = AllAppsWindowRect(screen, screen, size, 1.0f, reserve);
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.right);
    EXPECT_EQ(rect.bottom, expected.bottom);
    if (screen.right == 1920 && screen.bottom == 1080 && reserve == 78.0f) {
        EXPECT_EQ(rect.left, 554);
        EXPECT_EQ(rect.top, 400);
    }

    Sleep(500);  // the compositor presents on the UI thread's next turn
    const ScreenShot shot = Capture(rect);
    const float inset = kAllAppsInsetDip;
    const AllAppsGrid grid = GridFor(size.width, size.height, 1.0f);
    for (int slot = 0; slot < 24; ++slot) {
        const PointF cell = SlotCellOrigin(grid, slot);
        const float left = inset + cell.x + (grid.cellWidth - grid.iconSize) / 2;
        const float top = inset + cell.y + 6;
        EXPECT_GE(ColoursIn(shot, left, top, left + grid.iconSize, top + grid.iconSize), 30u) << "icon " << slot;
    }
    const TabLayout tabs = TabsFor(size.width);
    const float tab1 = inset + TabLeft(tabs, 1);
    EXPECT_GE(ColoursIn(shot, tab1, inset + 62, tab1 + tabs.width, inset + 90), 8u) << "no label on tab 1";
    const float dotsLeft = (size.width - 260.0f) * 0.5f + inset;
    const int dotY = shot.top + static_cast<int>(inset + size.height - 106 + 9);
    const uint32_t first = shot.At(shot.left + static_cast<int>(dotsLeft + 123), dotY);
    const uint32_t second = shot.At(shot.left + static_cast<int>(dotsLeft + 137), dotY);
    EXPECT_GT(Brightness(first), Brightness(second) + 60) << "two dots, the left one current";

    const std::string log = dock.DebugLog();
    const size_t opened = log.rfind("AllApps perf: opened in");
    const size_t opening = log.rfind("AllApps perf: catalog ready", opened);
    ASSERT_NE(opened, std::string::npos);
    ASSERT_NE(opening, std::string::npos);
    EXPECT_EQ(log.substr(opening, opened - opening).find("rebuild tiles done"), std::string::npos)
        << "the first open redrew what the prebuild had drawn";

    // The second press closes; the third, right behind it, counts as the click that closed.
    PressAltSpace();
    PressAltSpace();
    Sleep(600);
    EXPECT_FALSE(Shown(panel)) << "a third press within 250 ms reopened the panel";

    EXPECT_EQ(dock.CloseAndWait(), 0u);
    EXPECT_EQ(dock.DebugLog().find("exception"), std::string::npos);
}

TEST(RunningLauncher, TheTestTimerOpensItAt144DpiAndTheCatalogFileKeepsTheFolder) {
    const bool fullHd = GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080;
    TestStartMenu menu(0, true);
    ASSERT_TRUE(menu.Ready());
    DeleteFileW(CatalogCachePath().c_str());
    ScopedLogPixels dpi(144);
    ASSERT_TRUE(dpi.Applied());
    DockProcess dock;
    const DockConfig config = TestDockConfig();
    ASSERT_TRUE(dock.Start(config, L"--debug-log --test-allapps 4000"));
    HWND panel = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return Shown(panel = dock.FindWindowOfClass(L"VantreelAllAppsWindow")); }, 20000));
    if (fullHd && config.iconSize + static_cast<float>(config.bottomMargin) == 56.0f) {
        RECT rect;
        GetWindowRect(panel, &rect);
        EXPECT_EQ(rect.left, 351);
        EXPECT_EQ(rect.top, 60);
        EXPECT_EQ(rect.right, 1569);
        EXPECT_EQ(rect.bottom, 966);
    }

    std::vector<InstalledApp> cached;
    ASSERT_TRUE(WaitUntil([&] { return LoadCatalogCache(cached); }, 10000));
    auto suite =
        std::find_if(cached.begin(), cached.end(), [](const InstalledApp& app) { return app.name == L"VtSuite"; });
    ASSERT_NE(suite, cached.end());
    EXPECT_TRUE(suite->isFolder);
    EXPECT_EQ(suite->children.size(), 3u);

    EXPECT_EQ(dock.CloseAndWait(), 0u);
    EXPECT_EQ(dock.DebugLog().find("exception"), std::string::npos);
}
