// The dock as a running program: its start-up, its windows on the screen at two
// DPIs, its composed pixels, running applications joining and leaving it, and
// its orderly end.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "ScopedLogPixels.h"
#include "XPointer.h"
#include "dock/DockInputRect.h"
#include "dock/DockLayout.h"

using namespace testing_support;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

bool HasMilestone(const DockProcess& dock, const wchar_t* milestone) {
    return dock.StartupLogText().find(milestone) != std::wstring::npos;
}

bool StartAndSettle(DockProcess& dock, const DockConfig& config, const std::wstring& args = L"--debug-log") {
    // A pointer left over the dock by an earlier test would magnify it.
    if (!XMoveTo({960, 400})) return false;
    if (!dock.Start(config, args)) return false;
    return WaitUntil(
        [&] {
            return HasMilestone(dock, L"window list scanned") && HasMilestone(dock, L"top bar ready") &&
                   dock.InputWindow();
        },
        kStartTimeoutMs);
}

RECT WindowRectOf(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

bool IsFullHdAt96Dpi() {
    return GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080 && GetDpiForSystem() == 96;
}

// What the input window covers at rest for a dock of `count` items, the
// separator and recycle bin included, on a 1920 x 1080 monitor.
RECT RestingInputRect(int appCount, float scale = 1.0f) {
    const float screenWidth = 1920.0f / scale;
    const float bandHeight = std::min(1080.0f / scale, 210.0f);
    DockLayoutInput input;
    input.kinds.push_back(0);
    for (int i = 0; i < appCount; ++i) input.kinds.push_back(1);
    input.kinds.push_back(2);
    input.kinds.push_back(3);
    input.screenWidth = screenWidth;
    input.bandHeight = bandHeight;
    input.maxWidth = screenWidth - 64.0f;
    DockLayoutResult layout = ComputeDockLayout(input);
    DockInputRectInput rect;
    rect.layoutX = layout.x;
    rect.layoutY = layout.y;
    rect.layoutWidth = layout.width;
    rect.layoutHeight = layout.height;
    rect.scale = scale;
    rect.originY = 1080 - static_cast<int>(std::lround(bandHeight * scale));
    rect.monitor = {0, 0, 1920, 1080};
    return ComputeDockInputRect(rect);
}

// Whatever else runs in this session joins the dock, so the input window is
// matched against the layouts of a plausible number of applications.
bool MatchesARestingDock(const RECT& got, float scale) {
    for (int apps = 1; apps <= 24; ++apps) {
        if (InputRectNearlyEqual(got, RestingInputRect(apps, scale))) return true;
    }
    return false;
}

// What the debug log last said the dock shows: its applications and the file
// names of those that run.
struct DockItems {
    int apps = -1;
    std::string running;
};

DockItems LastDockItems(const DockProcess& dock) {
    const std::string log = dock.DebugLog(), tag = "Dock items: ", runningTag = "running: ";
    DockItems items;
    const size_t at = log.rfind(tag);
    if (at == std::string::npos) return items;
    const size_t end = log.find_first_of("\r\n", at);
    const std::string line = log.substr(at + tag.size(), end == std::string::npos ? end : end - at - tag.size());
    items.apps = std::atoi(line.c_str());
    const size_t running = line.find(runningTag);
    if (running != std::string::npos) items.running = line.substr(running + runningTag.size());
    return items;
}

// A 32-bit top-down BMP as the dock dumps it: width, height and BGRA pixels.
struct FrameDump {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

bool ReadFrameDump(const std::wstring& path, FrameDump& dump) {
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' || bytes[1] != 'M') {
        return false;
    }
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    memcpy(&file, bytes.data(), sizeof(file));
    memcpy(&info, bytes.data() + sizeof(file), sizeof(info));
    if (info.biBitCount != 32 || info.biHeight >= 0 || info.biWidth <= 0) return false;
    dump.width = info.biWidth;
    dump.height = -info.biHeight;
    size_t count = static_cast<size_t>(dump.width) * dump.height;
    if (file.bfOffBits + count * 4 > bytes.size()) return false;
    dump.pixels.resize(count);
    memcpy(dump.pixels.data(), bytes.data() + file.bfOffBits, count * 4);
    return true;
}

}  // namespace

TEST(RunningDock, StartsThroughEveryMilestoneInOrderAndEndsOnClose) {
    DockProcess dock;
    // Unknown arguments are skipped.
    ASSERT_TRUE(StartAndSettle(dock, TestDockConfig(), L"--debug-log --unknown-option")) << "the dock did not start";
    std::wstring log = dock.StartupLogText();
    const wchar_t* milestones[] = {L"prefetch queued",        L"config loaded",
                                   L"d3d/dcomp ready",        L"icon loader + luma cache",
                                   L"glass + layers ready",   L"shared surfaces ready",
                                   L"taskbar manager ready",  L"pinned dock icons ready",
                                   L"top bar init deferred",  L"all apps + drop target ready",
                                   L"layout + cached icons",  L"first frame shown"};
    size_t at = 0;
    for (const wchar_t* milestone : milestones) {
        size_t found = log.find(milestone, at);
        ASSERT_NE(found, std::wstring::npos) << "missing or out of order: " << ToUtf8(milestone) << "\n"
                                             << ToUtf8(log);
        at = found;
    }
    // The bar follows the device's first drawing, which may end before or after the window list.
    EXPECT_NE(log.find(L"top bar ready", at), std::wstring::npos) << ToUtf8(log);
    EXPECT_NE(log.find(L"window list scanned", at), std::wstring::npos) << ToUtf8(log);
    EXPECT_EQ(log.find(L"taskbar hidden"), std::wstring::npos) << "hideTaskbar is off in this configuration";

    DWORD code = dock.CloseAndWait();
    EXPECT_EQ(code, 0u);
    std::string debug = dock.DebugLog();
    EXPECT_NE(debug.find("exit: WM_CLOSE on input window"), std::string::npos) << debug;
    EXPECT_EQ(debug.find("exception"), std::string::npos) << debug;
}

TEST(RunningDock, WindowsStandWhereTheLayoutPutsThem) {
    if (!IsFullHdAt96Dpi()) GTEST_SKIP() << "the expected geometry is for a 1920 x 1080 screen at 96 DPI";
    DockProcess dock;
    ASSERT_TRUE(StartAndSettle(dock, TestDockConfig()));
    HWND visual = dock.VisualWindow();
    HWND input = dock.InputWindow();
    ASSERT_NE(visual, nullptr);
    ASSERT_NE(input, nullptr);
    EXPECT_TRUE(IsWindowVisible(visual));
    EXPECT_TRUE(IsWindowVisible(input));

    RECT band = WindowRectOf(visual);
    EXPECT_EQ(band.left, 0);
    EXPECT_EQ(band.top, 1080 - 210);
    EXPECT_EQ(band.right, 1920);
    EXPECT_EQ(band.bottom, 1080);
    LONG bandStyle = GetWindowLongW(visual, GWL_EXSTYLE);
    EXPECT_TRUE(bandStyle & WS_EX_TRANSPARENT) << "the band never takes the pointer";
    EXPECT_TRUE(bandStyle & WS_EX_TOPMOST);

    RECT got = WindowRectOf(input);
    EXPECT_TRUE(MatchesARestingDock(got, 1.0f))
        << "input window at " << got.left << "," << got.top << " - " << got.right << "," << got.bottom;
    EXPECT_EQ(got.bottom, 1080 - 8 + 6) << "the glass ends bottomMargin above the screen edge, plus 6 px";
    EXPECT_EQ(got.top, 1080 - 8 - 64) << "the glass is the icon plus 8 dip above and below";
    EXPECT_LE(std::abs((got.left + got.right) - 1920), 2) << "the dock is centred";
    dock.CloseAndWait();
}

TEST(RunningDock, At144DpiTheBandAndGlassScaleByOneAndAHalf) {
    if (GetSystemMetrics(SM_CXSCREEN) != 1920 || GetSystemMetrics(SM_CYSCREEN) != 1080) {
        GTEST_SKIP() << "the expected geometry is for a 1920 x 1080 screen";
    }
    ScopedLogPixels dpi(144);
    ASSERT_TRUE(dpi.Applied());
    DockProcess dock;
    ASSERT_TRUE(StartAndSettle(dock, TestDockConfig()));
    HWND input = dock.InputWindow();
    ASSERT_NE(input, nullptr);

    // 210 dip of band at a scale of 1.5.
    RECT band = WindowRectOf(dock.VisualWindow());
    EXPECT_EQ(band.left, 0);
    EXPECT_EQ(band.top, 1080 - 315);
    EXPECT_EQ(band.right, 1920);
    EXPECT_EQ(band.bottom, 1080);

    RECT got = WindowRectOf(input);
    EXPECT_TRUE(MatchesARestingDock(got, 1.5f))
        << "input window at " << got.left << "," << got.top << " - " << got.right << "," << got.bottom;
    EXPECT_EQ(got.top, 1080 - 108) << "the glass is the icon plus 8 dip above and below, 8 dip up: 72 dip";
    EXPECT_EQ(got.bottom, 1080 - 12 + 9) << "bottomMargin above the screen edge, plus 6 dip";
    EXPECT_LE(std::abs((got.left + got.right) - 1920), 3) << "the dock is centred";
    EXPECT_EQ(dock.CloseAndWait(), 0u);
}

TEST(RunningDock, ItsComposedFrameShowsTheGlassAndItsIcons) {
    DockProcess dock;
    const std::wstring dumpPath = dock.Folder().File(L"frame.bmp");
    ASSERT_TRUE(StartAndSettle(dock, TestDockConfig(), L"--debug-log --dump-frame \"" + dumpPath + L"\""));
    // The dock writes its frame once it has rested for the idle-trim delay.
    FrameDump frame;
    ASSERT_TRUE(WaitUntil([&] { return ReadFrameDump(dumpPath, frame); }, 15000)) << "no frame was dumped";
    RECT band = WindowRectOf(dock.VisualWindow());
    ASSERT_EQ(frame.width, band.right - band.left);
    ASSERT_EQ(frame.height, band.bottom - band.top);
    auto alpha = [](uint32_t p) { return p >> 24; };
    EXPECT_EQ(alpha(frame.At(2, 2)), 0u) << "the band is transparent away from the dock";
    EXPECT_EQ(alpha(frame.At(frame.width - 3, frame.height - 3)), 0u);

    // The glass lies inside the input window, 10 dip in from its sides and 6 dip
    // up from its bottom; in band coordinates here.
    RECT r = WindowRectOf(dock.InputWindow());
    RECT glass = {r.left + 10 - band.left, r.top - band.top, r.right - 10 - band.left, r.bottom - 6 - band.top};
    ASSERT_GT(glass.right - glass.left, 100);
    ASSERT_GE(glass.top, 0);
    ASSERT_LE(glass.bottom, frame.height);
    // Between its left edge and the first icon (12 dip in) on the middle row
    // there is glass alone.
    const int midY = (glass.top + glass.bottom) / 2;
    for (int x = glass.left + 3; x < glass.left + 9; ++x) {
        EXPECT_GT(alpha(frame.At(x, midY)), 100u) << "no glass at " << x << "," << midY;
    }

    int covered = 0;
    int colourful = 0;
    std::set<uint32_t> colours;
    const int total = (glass.right - glass.left) * (glass.bottom - glass.top);
    for (int y = glass.top; y < glass.bottom; ++y) {
        for (int x = glass.left; x < glass.right; ++x) {
            uint32_t p = frame.At(x, y);
            int a = static_cast<int>(alpha(p));
            if (a > 100) ++covered;
            if (a < 200) continue;
            int b = p & 0xFF, g = (p >> 8) & 0xFF, rr = (p >> 16) & 0xFF;
            if (std::max({rr, g, b}) - std::min({rr, g, b}) > 60) ++colourful;
            colours.insert(p);
        }
    }
    EXPECT_GT(covered, total * 9 / 10) << "the glass covers its rectangle: " << covered << " of " << total;
    EXPECT_GT(colourful, total / 50) << "no coloured icon pixels";
    EXPECT_GT(colours.size(), 200u) << "a flat box, not icons on glass";
    EXPECT_EQ(dock.CloseAndWait(), 0u);
}

TEST(RunningDock, ARunningApplicationJoinsTheDock) {
    DockProcess dock;
    ASSERT_TRUE(StartAndSettle(dock, TestDockConfig()));
    HWND input = dock.InputWindow();
    ASSERT_NE(input, nullptr);

    // An application joins the dock with its window and must leave it again
    // once the window is gone. Whatever else runs in this session may come and
    // go meanwhile, so the input window is held to what the dock says it shows.
    std::wstring helper = BinDir() + L"\\tracked_window_gui.exe";
    std::wstring commandLine = L"\"" + helper + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION app = {};
    ASSERT_TRUE(CreateProcessW(helper.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &app));
    DockItems shown;
    auto showsItsItems = [&](bool withApp) {
        shown = LastDockItems(dock);
        const bool listed = shown.running.find("tracked_window_gui.exe") != std::string::npos;
        return listed == withApp && shown.apps > 0 &&
               InputRectNearlyEqual(WindowRectOf(input), RestingInputRect(shown.apps));
    };
    EXPECT_TRUE(WaitUntil([&] { return showsItsItems(true); }, 15000))
        << "the dock shows " << shown.apps << " applications, running: " << shown.running << "; input window "
        << Describe(WindowRectOf(input)) << ", at rest " << Describe(RestingInputRect(shown.apps)) << "\n"
        << dock.Describe();

    HWND window = FindWindowW(L"VantreelTrackedWindow", nullptr);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(app.hProcess, 10000) == WAIT_TIMEOUT) TerminateProcess(app.hProcess, 1);
    CloseHandle(app.hThread);
    CloseHandle(app.hProcess);
    EXPECT_TRUE(WaitUntil([&] { return showsItsItems(false); }, 15000))
        << "after the application closed the dock shows " << shown.apps << " applications, running: "
        << shown.running << "; input window " << Describe(WindowRectOf(input)) << ", at rest "
        << Describe(RestingInputRect(shown.apps)) << "\n"
        << dock.Describe();
    EXPECT_EQ(dock.CloseAndWait(), 0u);
}

TEST(RunningDock, KeepTaskbarStaysOutOfTheFileThroughAnUnrelatedSave) {
    DockConfig config = TestDockConfig();
    config.hideTaskbar = true;
    DockProcess dock;
    ASSERT_TRUE(dock.Start(config, L"--debug-log --keep-taskbar"));
    // The start-up says whether it hides the taskbar once its first frame is shown.
    ASSERT_TRUE(WaitUntil([&] { return dock.DebugLog().find("left as it is for this run") != std::string::npos; },
                          kStartTimeoutMs));
    EXPECT_EQ(dock.StartupLogText().find(L"taskbar hidden"), std::wstring::npos)
        << "--keep-taskbar leaves the taskbar alone";
    EXPECT_EQ(dock.DebugLog().find("System taskbars hidden"), std::string::npos);
    EXPECT_EQ(dock.CloseAndWait(), 0u);
    EXPECT_NE(dock.ConfigFileText().find("\"hideTaskbar\": true"), std::string::npos) << dock.ConfigFileText();
}

namespace {

// How many processes run the program copy in this folder (the dock and its watchdog).
int ProcessesOf(const std::wstring& folder) {
    int count = 0;
    std::wstring exe = folder + L"\\vantreel.exe";
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"vantreel.exe") != 0) continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process) continue;
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, path, &size) && _wcsicmp(path, exe.c_str()) == 0) ++count;
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace

TEST(RunningDock, HidingTheTaskbarStartsAWatchdogThatAnOrderlyEndCancels) {
    DockConfig config = TestDockConfig();
    config.hideTaskbar = true;
    DockProcess dock;
    ASSERT_TRUE(StartAndSettle(dock, config));
    // The first hide waits for the watchdog, so a count of two comes before the hide.
    ASSERT_TRUE(WaitUntil([&] { return HasMilestone(dock, L"taskbar hidden"); }, kStartTimeoutMs));
    EXPECT_EQ(ProcessesOf(dock.Folder().Path()), 2) << "no hide without a running watchdog";
    EXPECT_EQ(dock.CloseAndWait(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return ProcessesOf(dock.Folder().Path()) == 0; }, 10000))
        << "the cancel event ends the watchdog with the dock";
    EXPECT_NE(dock.DebugLog().find("System taskbars hidden"), std::string::npos);
}
