// The device services as the control center refreshes its data: the audio
// output list, brightness, the Wi-Fi scan, the Bluetooth list, the hotspot
// query and the power summary, each alone and all together (target: the whole
// refresh under 100 ms on a machine without that hardware); and merging and
// sorting 300 recorded Wi-Fi entries (target under 1 ms). Prints the mean of
// each.

#include <windows.h>
#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "system/AudioDevices.h"
#include "system/BluetoothDevices.h"
#include "system/Brightness.h"
#include "system/Hotspot.h"
#include "system/PowerSchemes.h"
#include "system/WifiService.h"

namespace {

template <typename F>
double MeanMs(int runs, F f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / runs;
}

std::vector<vantreel::WlanAvailableNetworkRecord> RecordedEntries(int count) {
    std::vector<vantreel::WlanAvailableNetworkRecord> entries;
    for (int i = 0; i < count; ++i) {
        vantreel::WlanAvailableNetworkRecord entry;
        // Every third SSID is seen twice, as networks on two bands are.
        const std::string ssid = "Network-" + std::to_string(i % (count * 2 / 3));
        entry.ssid.uSSIDLength = static_cast<ULONG>(ssid.size());
        memcpy(entry.ssid.ucSSID, ssid.data(), ssid.size());
        entry.signalQuality = static_cast<uint32_t>((i * 37) % 101);
        entry.securityEnabled = i % 4 != 0;
        if (i % 10 == 0) {
            entry.profileName = std::wstring(ssid.begin(), ssid.end());
            entry.flags = 2;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    constexpr int kRuns = 50;
    struct Row {
        const char* name;
        double mean;
    };
    std::vector<Row> rows = {
        {"EnumerateAudioOutputDevices", MeanMs(kRuns, [] { vantreel::EnumerateAudioOutputDevices(); })},
        {"GetDisplayBrightness", MeanMs(kRuns, [] { vantreel::GetDisplayBrightness(nullptr); })},
        {"ScanWifiNetworks(true)", MeanMs(kRuns, [] { vantreel::ScanWifiNetworks(true); })},
        {"ListBluetoothDevices", MeanMs(kRuns, [] { vantreel::ListBluetoothDevices(); })},
        {"QueryHotspotStatus", MeanMs(kRuns, [] { vantreel::QueryHotspotStatus(); })},
        {"GetActivePowerSchemeSummary", MeanMs(kRuns, [] { vantreel::GetActivePowerSchemeSummary(); })},
        {"whole control-center refresh", MeanMs(kRuns,
                                                [] {
                                                    vantreel::EnumerateAudioOutputDevices();
                                                    vantreel::GetDisplayBrightness(nullptr);
                                                    vantreel::ScanWifiNetworks(true);
                                                    vantreel::ListBluetoothDevices();
                                                    vantreel::QueryHotspotStatus();
                                                    vantreel::GetActivePowerSchemeSummary();
                                                })},
    };
    for (const Row& row : rows) std::printf("%-30s mean %8.3f ms (%d calls)\n", row.name, row.mean, kRuns);

    const auto entries = RecordedEntries(300);
    size_t merged = 0;
    const double merge = MeanMs(1000, [&] { merged = vantreel::MergeWifiNetworks(entries).size(); });
    std::printf("%-30s mean %8.3f ms (300 entries -> %llu networks, 1000 runs)\n", "MergeWifiNetworks", merge,
                static_cast<unsigned long long>(merged));
    CoUninitialize();
    return 0;
}
