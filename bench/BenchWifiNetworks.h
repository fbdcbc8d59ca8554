#pragma once
// The recorded scan the popover benchmarks show: nine networks, the first
// connected, every other one secured, signals falling by ten.

#include <string>
#include <vector>

#include "system/WifiService.h"

namespace bench {

inline std::vector<vantreel::WifiNetwork> NineWifiNetworks() {
    std::vector<vantreel::WifiNetwork> networks;
    for (int i = 0; i < 9; ++i) {
        vantreel::WifiNetwork network;
        network.ssid = L"Network " + std::to_wstring(i);
        network.signal = 95 - 10 * i;
        network.connected = i == 0;
        network.secured = i % 2 == 1;
        networks.push_back(network);
    }
    return networks;
}

}  // namespace bench
