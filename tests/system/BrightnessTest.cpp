#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "system/Brightness.h"

using vantreel::BrightnessInfo;
using vantreel::GetDisplayBrightness;
using vantreel::MonitorConfigApi;
using vantreel::SetDisplayBrightness;

namespace {

// A display with physical monitors answering recorded ranges; the dxva2
// table below reads and records through it.
struct FakeMonitor {
    DWORD minimum = 0, current = 0, maximum = 100;
    bool answers = true;
    bool acceptsSet = true;
};

struct FakeDisplay {
    std::vector<FakeMonitor> monitors;
    bool countFails = false;
    bool fillFails = false;
    HMONITOR askedFor = nullptr;
    int destroyed = 0;
    std::vector<std::pair<size_t, DWORD>> written;  // monitor index, value
};

FakeDisplay g_display;

// Physical monitor handles are 1-based indexes into g_display.monitors.
size_t IndexOf(HANDLE handle) { return reinterpret_cast<size_t>(handle) - 1; }

BOOL WINAPI FakeCount(HMONITOR monitor, DWORD* count) {
    g_display.askedFor = monitor;
    if (g_display.countFails) return FALSE;
    *count = static_cast<DWORD>(g_display.monitors.size());
    return TRUE;
}

BOOL WINAPI FakeFill(HMONITOR, DWORD count, PHYSICAL_MONITOR* monitors) {
    if (g_display.fillFails || count != g_display.monitors.size()) return FALSE;
    for (DWORD i = 0; i < count; ++i) monitors[i].hPhysicalMonitor = reinterpret_cast<HANDLE>(size_t{i} + 1);
    return TRUE;
}

BOOL WINAPI FakeGet(HANDLE handle, DWORD* minimum, DWORD* current, DWORD* maximum) {
    const FakeMonitor& monitor = g_display.monitors.at(IndexOf(handle));
    if (!monitor.answers) return FALSE;
    *minimum = monitor.minimum;
    *current = monitor.current;
    *maximum = monitor.maximum;
    return TRUE;
}

BOOL WINAPI FakeSet(HANDLE handle, DWORD value) {
    g_display.written.push_back({IndexOf(handle), value});
    return g_display.monitors.at(IndexOf(handle)).acceptsSet;
}

BOOL WINAPI FakeDestroy(DWORD count, PHYSICAL_MONITOR* monitors) {
    EXPECT_EQ(count, g_display.monitors.size());
    EXPECT_EQ(monitors[0].hPhysicalMonitor, reinterpret_cast<HANDLE>(size_t{1}));
    ++g_display.destroyed;
    return TRUE;
}

const MonitorConfigApi kFakeApi{FakeCount, FakeFill, FakeGet, FakeSet, FakeDestroy};

HMONITOR const kMonitor = reinterpret_cast<HMONITOR>(0x4242);

class BrightnessTest : public ::testing::Test {
protected:
    void SetUp() override { g_display = FakeDisplay{}; }

    BrightnessInfo Read(DWORD minimum, DWORD current, DWORD maximum) {
        g_display = FakeDisplay{};
        g_display.monitors = {{minimum, current, maximum}};
        const BrightnessInfo info = GetDisplayBrightness(&kFakeApi, kMonitor);
        EXPECT_EQ(g_display.destroyed, 1);
        return info;
    }

    std::vector<std::pair<size_t, DWORD>> Write(std::vector<FakeMonitor> monitors, int percent, bool* result) {
        g_display = FakeDisplay{};
        g_display.monitors = std::move(monitors);
        *result = SetDisplayBrightness(&kFakeApi, kMonitor, percent);
        EXPECT_EQ(g_display.destroyed, 1);
        return g_display.written;
    }
};

using Writes = std::vector<std::pair<size_t, DWORD>>;

}  // namespace

TEST_F(BrightnessTest, ReadsThePercentOfTheMonitorsOwnRange) {
    auto info = Read(0, 37, 100);
    EXPECT_TRUE(info.supported);
    EXPECT_EQ(info.percent, 37);
    EXPECT_EQ(Read(20, 50, 80).percent, 50);
    EXPECT_EQ(Read(0, 1, 3).percent, 33);
    EXPECT_EQ(Read(0, 2, 3).percent, 67);
    EXPECT_EQ(Read(40, 10, 80).percent, 100) << "below the minimum";
    info = Read(50, 50, 50);
    EXPECT_FALSE(info.supported);
    EXPECT_EQ(info.percent, 100);
}

TEST_F(BrightnessTest, WritesClampedAndScaledToEachMonitor) {
    bool accepted = false;
    EXPECT_EQ(Write({{0, 0, 100}}, 150, &accepted), (Writes{{0, 100}}));
    EXPECT_TRUE(accepted);
    EXPECT_EQ(Write({{20, 50, 80}}, -5, &accepted), (Writes{{0, 20}}));
    EXPECT_EQ(Write({{0, 0, 255}}, 50, &accepted), (Writes{{0, 128}})) << "127.5 rounds away from zero";

    // Every monitor behind the display, each in its own range.
    EXPECT_EQ(Write({{0, 0, 100}, {0, 0, 255}}, 50, &accepted), (Writes{{0, 50}, {1, 128}}));
    FakeMonitor refusing{0, 0, 100, true, false};
    EXPECT_EQ(Write({refusing, {0, 0, 255}}, 50, &accepted), (Writes{{0, 50}, {1, 128}}));
    EXPECT_TRUE(accepted) << "either accepting is enough";
    FakeMonitor silent{0, 0, 100, false, true};
    EXPECT_EQ(Write({silent, {0, 0, 255}}, 50, &accepted), (Writes{{1, 128}})) << "an unreadable one is skipped";
    EXPECT_EQ(Write({refusing}, 50, &accepted), (Writes{{0, 50}}));
    EXPECT_FALSE(accepted);
}

TEST_F(BrightnessTest, FailuresAndTheNullMonitor) {
    g_display.monitors = {{0, 30, 100}};
    EXPECT_TRUE(GetDisplayBrightness(&kFakeApi, nullptr).supported);
    EXPECT_EQ(g_display.askedFor, MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    g_display.askedFor = nullptr;
    bool accepted = SetDisplayBrightness(&kFakeApi, nullptr, 10);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(g_display.askedFor, MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    EXPECT_EQ(g_display.destroyed, 2);

    // Nothing filled, nothing destroyed.
    g_display.destroyed = 0;
    g_display.fillFails = true;
    auto info = GetDisplayBrightness(&kFakeApi, kMonitor);
    EXPECT_FALSE(info.supported);
    EXPECT_EQ(info.percent, 100);
    EXPECT_FALSE(SetDisplayBrightness(&kFakeApi, kMonitor, 50));
    g_display.fillFails = false;
    g_display.countFails = true;
    EXPECT_FALSE(GetDisplayBrightness(&kFakeApi, kMonitor).supported);
    g_display.countFails = false;
    g_display.monitors.clear();
    EXPECT_FALSE(SetDisplayBrightness(&kFakeApi, kMonitor, 50));
    EXPECT_EQ(g_display.destroyed, 0);

    // A failed read after filling still destroys.
    g_display.monitors = {{0, 30, 100, false, true}};
    EXPECT_FALSE(GetDisplayBrightness(&kFakeApi, kMonitor).supported);
    EXPECT_EQ(g_display.destroyed, 1);

    // No dxva2 table: not supported.
    info = GetDisplayBrightness(nullptr, kMonitor);
    EXPECT_FALSE(info.supported);
    EXPECT_EQ(info.percent, 100);
    EXPECT_FALSE(SetDisplayBrightness(nullptr, kMonitor, 50));
}

TEST(BrightnessOnThisMachine, NoMonitorAnswers) {
    ASSERT_NE(vantreel::SystemMonitorConfigApi(), nullptr) << "dxva2 from the system folder";
    const BrightnessInfo info = GetDisplayBrightness(nullptr);
    EXPECT_FALSE(info.supported);
    EXPECT_EQ(info.percent, 100);
    EXPECT_FALSE(SetDisplayBrightness(nullptr, 50));
}
