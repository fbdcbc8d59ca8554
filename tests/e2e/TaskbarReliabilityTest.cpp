// The taskbar always comes back: the dock hiding a stand-in taskbar is killed
// as a crash or the task manager would end it, and must leave no copy behind.
// Most kills come at a random moment of the second after the dock says the
// taskbar is hidden (its watchdog then watches), whatever the machine's speed,
// and the watchdog must show the taskbar again within a second of that end (by
// its own log); every fourth comes at a random moment of the start, with the
// toggle hotkey pressed on the way. VANTREEL_RELIABILITY_TRIALS sets the number
// of trials (tools/reliability runs 100), VANTREEL_RELIABILITY_SEED repeats a run.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "FakeTaskbarProcess.h"

namespace {

unsigned EnvNumber(const char* name, unsigned fallback) {
    const char* text = std::getenv(name);
    return text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

}  // namespace

TEST(TaskbarReliability, AKilledDockGivesTheTaskbarBackWithinASecond) {
    const unsigned trials = EnvNumber("VANTREEL_RELIABILITY_TRIALS", 8);
    const unsigned seed = EnvNumber("VANTREEL_RELIABILITY_SEED", static_cast<unsigned>(GetTickCount64()));
    std::printf("taskbar reliability: %u trials, seed %u\n", trials, seed);
    std::mt19937 random(seed);

    FakeTaskbarProcess taskbar;
    ASSERT_TRUE(taskbar.Started());
    DockConfig config = TestDockConfig();
    config.hideTaskbar = true;

    std::vector<long long> latencies;
    for (unsigned trial = 0; trial < trials; ++trial) {
        ASSERT_TRUE(taskbar.BothShown()) << "trial " << trial << " starts with the taskbar shown";
        DockProcess dock;
        ASSERT_TRUE(dock.Start(config));
        const bool duringStart = trial % 4 == 0;
        DWORD delay = random() % (duringStart ? 3001 : 1001);
        int presses = duringStart ? 1 + static_cast<int>(random() % 2) : 0;
        if (!duringStart) {
            ASSERT_TRUE(WaitUntil([&] { return dock.MilestoneMs(L"taskbar hidden") >= 0; }, 60000))
                << "trial " << trial << ": " << dock.Describe();
        }
        DWORD waited = 0;
        for (int press = 0; press < presses; ++press) {
            DWORD at = random() % (delay + 1);
            if (at > waited) {
                Sleep(at - waited);
                waited = at;
            }
            PressToggleTaskbarHotkey();
        }
        Sleep(delay - std::min(delay, waited));
        ASSERT_TRUE(dock.Kill()) << "trial " << trial;
        const bool shown = WaitUntil([&] { return taskbar.BothShown(); }, 30000);
        EXPECT_TRUE(shown) << "trial " << trial << " (kill at " << delay << " ms, " << presses
                           << " presses): the taskbar stayed hidden";
        std::wstring folder = dock.Folder().Path();
        EXPECT_TRUE(WaitUntil([&] { return ProgramCopiesRunning(folder) == 0; }, 30000))
            << "trial " << trial << " (kill at " << delay << " ms): a watchdog copy outlived it";
        // A kill during the start may come before the watchdog had the dock to
        // watch, or hid anything: nothing to restore in time, and no line.
        const std::string log = dock.DebugLog();
        const size_t line = log.find("Watchdog: taskbar restored ");
        const long long back = line == std::string::npos ? -1 : std::atoll(log.c_str() + line + 27);
        if (!duringStart) {
            EXPECT_GE(back, 0) << "trial " << trial << " (kill " << delay << " ms after the hide): no restore logged";
            EXPECT_LE(back, 1000) << "trial " << trial << " (kill " << delay << " ms after the hide)";
        }
        if (!shown) {
            // The next trial needs a visible taskbar to mean anything.
            PostMessageW(taskbar.Primary(), WM_APP + 1, 0, 0);
            WaitUntil([&] { return taskbar.BothShown(); }, 10000);
            continue;
        }
        if (!duringStart && back >= 0) latencies.push_back(back);
    }
    ASSERT_FALSE(latencies.empty());
    std::sort(latencies.begin(), latencies.end());
    auto at = [&](double share) { return latencies[static_cast<size_t>(share * (latencies.size() - 1) + 0.5)]; };
    std::printf("taskbar back after a kill: p50 %lld ms, p95 %lld ms, max %lld ms (%u trials)\n", at(0.5), at(0.95),
                latencies.back(), static_cast<unsigned>(latencies.size()));
}

// Orderly start and close cycles of a dock hiding the stand-in taskbar, counting
// crash records, exit codes other than 0 and starts that do not reach the
// window list within 20 s. Run by hand: tools/reliability --starts N [--dpi D] [--load K].
TEST(StartStorm, DISABLED_OrderlyStartsNeitherCrashNorStall) {
    const unsigned starts = EnvNumber("VANTREEL_STORM_STARTS", 10);
    const DWORD dpi = EnvNumber("VANTREEL_STORM_DPI", 0);
    // The display's DPI is read by each new process from the user's desktop settings.
    constexpr wchar_t kDesktop[] = L"Control Panel\\Desktop";
    DWORD savedDpi = 0, size = sizeof(savedDpi);
    const bool hadDpi =
        RegGetValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &savedDpi, &size) == 0;
    if (dpi) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi)), 0);
    }

    FakeTaskbarProcess taskbar;
    ASSERT_TRUE(taskbar.Started());
    DockConfig config = TestDockConfig();
    config.hideTaskbar = true;
    unsigned crashes = 0, otherExits = 0, stalls = 0;
    for (unsigned start = 0; start < starts; ++start) {
        DockProcess dock;
        ASSERT_TRUE(dock.Start(config));
        const bool up = WaitUntil(
            [&] {
                return !dock.IsRunning() ||
                       (dock.StartupLogText().find(L"window list scanned") != std::wstring::npos && dock.InputWindow());
            },
            20000) && dock.IsRunning();
        DWORD code = dock.WaitForExit(0);
        if (!up && code == ~0u) {
            ++stalls;
            std::printf("start %u: no window list within 20 s\n%s\n", start, dock.Describe().c_str());
            // Still starting: given more time, then closed like the rest.
            WaitUntil([&] { return dock.InputWindow() != nullptr || !dock.IsRunning(); }, 60000);
        }
        if (code == ~0u && dock.InputWindow()) code = dock.CloseAndWait(30000);
        if (code == ~0u && dock.Kill()) code = dock.WaitForExit(0);
        const bool crashed = !testing_support::ReadFileBytes(dock.Folder().File(L"Vantreel-crash.log")).empty();
        if (crashed || code != 0) {
            crashes += crashed ? 1 : 0;
            otherExits += code != 0 ? 1 : 0;
            std::printf("start %u: exit code 0x%08lX\n%s\n", start, static_cast<unsigned long>(code),
                        dock.Describe().c_str());
        }
        std::wstring folder = dock.Folder().Path();
        WaitUntil([&] { return ProgramCopiesRunning(folder) == 0; }, 10000);
        if (!taskbar.BothShown()) PostMessageW(taskbar.Primary(), WM_APP + 1, 0, 0);
    }
    std::printf("start storm: %u starts at %lu dpi, %u crash records, %u other exit codes, %u without the window "
                "list within 20 s\n",
                starts, static_cast<unsigned long>(dpi ? dpi : GetDpiForSystem()), crashes, otherExits, stalls);
    if (hadDpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", REG_DWORD, &savedDpi, sizeof(savedDpi));
    } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels");
    }
    EXPECT_EQ(crashes + otherExits + stalls, 0u);
}
