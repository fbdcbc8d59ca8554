#include <gtest/gtest.h>

#include <windows.h>
#include <wlanapi.h>

#include <system_error>
#include <tuple>

#include "system/DefaultEndpointVolume.h"
#include "system/EthernetStatus.h"
#include "system/StatusSnapshot.h"

using vantreel::CollectSystemStatus;
using vantreel::RadioQueryResult;
using vantreel::StatusSources;
using vantreel::SystemStatusSnapshot;
using vantreel::VolumeReading;
using vantreel::WlanReading;

namespace {

auto Fields(const SystemStatusSnapshot& s) {
    return std::make_tuple(s.volume, s.muted, s.volumeAvailable, s.internet, s.wifiConnected, s.wifiSignalQuality,
                           s.ethernetConnected, s.bluetoothPresent, s.bluetoothOn, s.hasBattery, s.acOnline,
                           s.batteryPercent, s.batteryLifeSeconds, s.clockText, s.inputIndicator);
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD dayOfWeek, WORD hour, WORD minute) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wDayOfWeek = dayOfWeek;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

SYSTEM_POWER_STATUS Power(BYTE ac, BYTE flag, BYTE percent, DWORD lifeSeconds) {
    SYSTEM_POWER_STATUS power{};
    power.ACLineStatus = ac;
    power.BatteryFlag = flag;
    power.BatteryLifePercent = percent;
    power.BatteryLifeTime = lifeSeconds;
    return power;
}

// One machine's recorded answers; `asked` counts the services beyond the
// clock and the input method that a collection consulted.
struct RecordedMachine {
    int asked = 0;
    VolumeReading volume{true, 0.4f, false};
    std::optional<uint32_t> connectivity = 0x40;
    bool ethernet = true;
    std::optional<WlanReading> wlan;
    RadioQueryResult winRt;
    bool winRtThrows = false;
    bool classic = false;
    std::optional<SYSTEM_POWER_STATUS> power = Power(1, 0x80, 255, 0xFFFFFFFF);

    StatusSources Sources() {
        StatusSources sources;
        sources.localTime = [] { return Time(2026, 12, 9, 3, 7, 5); };
        sources.inputIndicator = [](HWND) { return std::wstring(L"英"); };
        sources.volume = [this] { return ++asked, volume; };
        sources.connectivity = [this] { return ++asked, connectivity; };
        sources.ethernetConnected = [this] { return ++asked, ethernet; };
        sources.wlan = [this] { return ++asked, wlan; };
        sources.winRtBluetooth = [this] {
            ++asked;
            if (winRtThrows) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            return winRt;
        };
        sources.classicBluetoothRadio = [this] { return ++asked, classic; };
        sources.powerStatus = [this] { return ++asked, power; };
        return sources;
    }

    SystemStatusSnapshot Collect(const SystemStatusSnapshot* previous = nullptr) {
        return CollectSystemStatus(Sources(), true, previous, nullptr);
    }
};

}  // namespace

TEST(StatusSnapshotTest, FastModeRenewsOnlyClockAndIndicator) {
    RecordedMachine machine;
    SystemStatusSnapshot previous;
    previous.volume = 0.3f;
    previous.muted = true;
    previous.volumeAvailable = true;
    previous.wifiConnected = true;
    previous.wifiSignalQuality = 80;
    previous.bluetoothPresent = true;
    previous.hasBattery = true;
    previous.batteryPercent = 42;
    previous.batteryLifeSeconds = 600;
    previous.clockText = L"old";
    previous.inputIndicator = L"中";
    const auto fast = CollectSystemStatus(machine.Sources(), false, &previous, nullptr);
    EXPECT_EQ(machine.asked, 0);
    SystemStatusSnapshot expected = previous;
    expected.clockText = L"12月9日 周三  07:05";
    expected.inputIndicator = L"英";
    EXPECT_EQ(Fields(fast), Fields(expected));

    // Without a previous snapshot the fast mode collects everything.
    const auto first = CollectSystemStatus(machine.Sources(), false, nullptr, nullptr);
    EXPECT_EQ(machine.asked, 7);
    EXPECT_TRUE(first.volumeAvailable);
    EXPECT_TRUE(first.internet);
    EXPECT_EQ(first.clockText, L"12月9日 周三  07:05");
}

TEST(StatusSnapshotTest, VolumeIsClampedAndKeptWhenUnreadable) {
    RecordedMachine machine;
    machine.volume = {true, 1.2f, true};
    auto status = machine.Collect();
    EXPECT_EQ(status.volume, 1.0f);
    EXPECT_TRUE(status.volumeAvailable);
    EXPECT_TRUE(status.muted);
    machine.volume = {true, -0.1f, false};
    EXPECT_EQ(machine.Collect().volume, 0.0f);

    SystemStatusSnapshot previous;
    previous.volume = 0.3f;
    previous.volumeAvailable = true;
    machine.volume = {false, std::nullopt, std::nullopt};  // no default output
    status = machine.Collect();
    EXPECT_EQ(status.volume, 0.5f);
    EXPECT_FALSE(status.volumeAvailable);
    status = machine.Collect(&previous);
    EXPECT_EQ(status.volume, 0.3f);
    EXPECT_FALSE(status.volumeAvailable);

    machine.volume = {true, std::nullopt, true};  // the level read failed, the mute read did not
    status = machine.Collect(&previous);
    EXPECT_EQ(status.volume, 0.3f);
    EXPECT_TRUE(status.volumeAvailable);
    EXPECT_TRUE(status.muted);
    EXPECT_FALSE(machine.Collect().volumeAvailable);
}

TEST(StatusSnapshotTest, InternetNeedsLocalNetworkOrInternetConnectivity) {
    RecordedMachine machine;
    const std::pair<std::optional<uint32_t>, bool> cases[] = {
        {0x10, false}, {0x100, false}, {0x20, true}, {0x400, true}, {0x1, false}, {std::nullopt, false}};
    for (const auto& [mask, internet] : cases) {
        machine.connectivity = mask;
        EXPECT_EQ(machine.Collect().internet, internet) << (mask ? *mask : 0xFFFFFFFFu);
    }
}

TEST(StatusSnapshotTest, WifiNeedsAConnectedFirstInterfaceAndConnection) {
    RecordedMachine machine;
    SystemStatusSnapshot previous;
    previous.wifiConnected = true;
    previous.wifiSignalQuality = 80;

    machine.wlan = WlanReading{wlan_interface_state_associating, false, 0, 0};
    auto status = machine.Collect(&previous);
    EXPECT_FALSE(status.wifiConnected);
    EXPECT_EQ(status.wifiSignalQuality, 0u);

    machine.wlan = WlanReading{wlan_interface_state_connected, false, 0, 0};  // the query failed
    EXPECT_FALSE(machine.Collect(&previous).wifiConnected);

    machine.wlan = WlanReading{wlan_interface_state_connected, true, wlan_interface_state_connected, 77};
    status = machine.Collect();
    EXPECT_TRUE(status.wifiConnected);
    EXPECT_EQ(status.wifiSignalQuality, 77u);

    machine.wlan.reset();  // no service or no interface
    EXPECT_FALSE(machine.Collect(&previous).wifiConnected);
}

TEST(StatusSnapshotTest, BluetoothFallsBackToTheClassicRadio) {
    RecordedMachine machine;
    machine.winRt = {true, false};
    machine.classic = true;
    auto status = machine.Collect();
    EXPECT_TRUE(status.bluetoothPresent);
    EXPECT_FALSE(status.bluetoothOn);

    machine.winRt = {false, false};
    status = machine.Collect();
    EXPECT_TRUE(status.bluetoothPresent);
    EXPECT_TRUE(status.bluetoothOn);

    machine.classic = false;
    SystemStatusSnapshot previous;
    previous.bluetoothPresent = previous.bluetoothOn = true;
    status = machine.Collect(&previous);
    EXPECT_FALSE(status.bluetoothPresent);
    EXPECT_FALSE(status.bluetoothOn);

    // A radio worker that cannot start counts as a query that timed out.
    machine.winRtThrows = true;
    machine.classic = true;
    status = machine.Collect();
    EXPECT_TRUE(status.bluetoothPresent);
    EXPECT_TRUE(status.bluetoothOn);
    EXPECT_EQ(status.batteryPercent, 100u) << "later steps still run";
}

TEST(StatusSnapshotTest, BatteryFromThePowerStatus) {
    RecordedMachine machine;
    struct Case {
        std::optional<SYSTEM_POWER_STATUS> power;
        bool hasBattery, acOnline;
        uint32_t percent;
        int32_t seconds;
    };
    const Case cases[] = {
        {Power(1, 0x01, 80, 3600), true, true, 80, -1},
        {Power(0, 0x02, 55, 5400), true, false, 55, 5400},
        {Power(0, 0x02, 55, 0xFFFFFFFF), true, false, 55, -1},
        {Power(1, 0x80, 100, 3600), false, false, 100, -1},
        {Power(0, 0x01, 255, 3600), false, false, 100, -1},
        {std::nullopt, false, false, 100, -1},
    };
    for (const Case& c : cases) {
        machine.power = c.power;
        const auto status = machine.Collect();
        EXPECT_EQ(std::make_tuple(status.hasBattery, status.acOnline, status.batteryPercent, status.batteryLifeSeconds),
                  std::make_tuple(c.hasBattery, c.acOnline, c.percent, c.seconds));
    }
}

TEST(StatusSnapshotTest, ClockTextFormat) {
    EXPECT_EQ(vantreel::FormatClockText(Time(2026, 12, 9, 3, 7, 5)), L"12月9日 周三  07:05");
    EXPECT_EQ(vantreel::FormatClockText(Time(2026, 12, 13, 7, 23, 59)), L"12月13日 周日  23:59");
    EXPECT_EQ(vantreel::FormatClockText(Time(2027, 1, 1, 5, 0, 0)), L"1月1日 周五  00:00");
}

TEST(StatusSnapshotTest, RealMachineUnderTest) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        auto endpoint = vantreel::GetDefaultEndpointVolume();
        ASSERT_TRUE(endpoint) << "the test environment provides a default audio output";
        BOOL wasMuted = FALSE;
        endpoint->GetMute(&wasMuted);

        auto status = CollectSystemStatus(true, nullptr, nullptr);
        EXPECT_TRUE(status.volumeAvailable);
        EXPECT_EQ(status.volume, 1.0f);
        EXPECT_FALSE(status.wifiConnected);
        EXPECT_FALSE(status.bluetoothPresent);
        EXPECT_FALSE(status.hasBattery);
        EXPECT_EQ(status.batteryPercent, 100u);
        bool ethernet = false;
        std::wstring name, speed, ipv4;
        vantreel::QueryEthernetStatus(ethernet, name, speed, ipv4);
        EXPECT_EQ(status.ethernetConnected, ethernet);
        EXPECT_FALSE(status.clockText.empty());
        EXPECT_EQ(status.inputIndicator, L"英");

        // Wine keeps the mute state in each volume-control object rather than
        // in the device, so the collection reads through the object the test
        // sets.
        StatusSources sources = vantreel::SystemStatusSources();
        sources.volume = [&] { return vantreel::ReadEndpointVolume(endpoint.Get()); };
        ASSERT_TRUE(SUCCEEDED(endpoint->SetMute(TRUE, nullptr)));
        EXPECT_TRUE(CollectSystemStatus(sources, true, &status, nullptr).muted);
        ASSERT_TRUE(SUCCEEDED(endpoint->SetMute(FALSE, nullptr)));
        EXPECT_FALSE(CollectSystemStatus(sources, true, &status, nullptr).muted);
        endpoint->SetMute(wasMuted, nullptr);
    }
    CoUninitialize();
}
