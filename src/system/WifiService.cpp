#include "system/WifiService.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "platform/MissingFlags.h"
#include "system/WlanProfile.h"

namespace vantreel {
namespace {

// A radio switch whose worker cannot start is one that was not made.
bool SetWinRtRadio(const WlanApi& api, bool on) {
    try {
        return api.setWinRtRadio(on);
    } catch (const std::system_error&) {
        return false;
    }
}

// The client handle, closed when the call ends.
class WlanSession {
public:
    explicit WlanSession(const WlanApi& api) : api_(api), handle_(api.open()) {}
    ~WlanSession() {
        if (handle_) api_.close(handle_);
    }
    WlanSession(const WlanSession&) = delete;
    WlanSession& operator=(const WlanSession&) = delete;

    HANDLE Handle() const { return handle_; }

    // The first interface, when the handle is open and lists one.
    std::optional<WlanInterfaceRecord> FirstInterface() const {
        if (!handle_) return std::nullopt;
        std::optional<std::vector<WlanInterfaceRecord>> list = api_.interfaces(handle_);
        if (!list || list->empty()) return std::nullopt;
        return list->front();
    }

private:
    const WlanApi& api_;
    HANDLE handle_;
};

bool RadioIsOn(const std::vector<WLAN_PHY_RADIO_STATE>& phys) {
    return std::any_of(phys.begin(), phys.end(), [](const WLAN_PHY_RADIO_STATE& phy) {
        return phy.dot11SoftwareRadioState == dot11_radio_state_on &&
               phy.dot11HardwareRadioState == dot11_radio_state_on;
    });
}

bool ComesFirst(const WifiNetwork& a, const WifiNetwork& b) {
    if (a.connected != b.connected) return a.connected;
    if (a.hasProfile != b.hasProfile) return a.hasProfile;
    if (a.signal != b.signal) return a.signal > b.signal;
    return a.ssid < b.ssid;  // code units, a proper prefix first
}

}  // namespace

void SortWifiNetworks(std::vector<WifiNetwork>& networks) { std::sort(networks.begin(), networks.end(), ComesFirst); }

std::vector<WifiNetwork> MergeWifiNetworks(const std::vector<WlanAvailableNetworkRecord>& entries) {
    std::map<std::wstring, WifiNetwork> bySsid;  // ordinal order of code units
    for (const WlanAvailableNetworkRecord& entry : entries) {
        WifiNetwork candidate;
        candidate.ssid = SsidToWide(entry.ssid);
        if (candidate.ssid.empty()) continue;
        candidate.profileName = entry.profileName;
        candidate.signal = entry.signalQuality;
        candidate.connected = (entry.flags & WLAN_AVAILABLE_NETWORK_CONNECTED) != 0;
        candidate.secured = entry.securityEnabled;
        candidate.hasProfile = (entry.flags & WLAN_AVAILABLE_NETWORK_HAS_PROFILE) != 0;
        auto found = bySsid.find(candidate.ssid);
        if (found == bySsid.end()) {
            bySsid.emplace(candidate.ssid, std::move(candidate));
            continue;
        }
        WifiNetwork& existing = found->second;
        if (candidate.connected) existing.connected = true;
        if (candidate.hasProfile && !existing.hasProfile) {
            existing.hasProfile = true;
            existing.profileName = candidate.profileName;
        }
        existing.signal = std::max(existing.signal, candidate.signal);
    }
    std::vector<WifiNetwork> networks;
    networks.reserve(bySsid.size());
    for (auto& [ssid, network] : bySsid) networks.push_back(std::move(network));
    SortWifiNetworks(networks);
    return networks;
}

WifiPanelState ScanWifiNetworks(bool scan) { return ScanWifiNetworks(SystemWlanApi(), scan); }

WifiPanelState ScanWifiNetworks(const WlanApi& api, bool scan) {
    WifiPanelState state;
    const EthernetStatus ethernet = api.ethernet();
    state.ethernetConnected = ethernet.connected;
    state.ethernetName = ethernet.name;
    state.ethernetSpeed = ethernet.speed;
    state.ethernetIpv4 = ethernet.ipv4;

    WlanSession session(api);
    const std::optional<WlanInterfaceRecord> first = session.FirstInterface();
    if (!first) return state;
    state.adapterPresent = true;
    state.interfaceDescription = first->description;

    if (std::optional<std::vector<WLAN_PHY_RADIO_STATE>> phys = api.radioState(session.Handle(), first->guid)) {
        state.radioOn = RadioIsOn(*phys);
    } else {
        const RadioQueryResult radio = QueryRadioOrStale(api.queryWinRtRadio);
        state.radioOn = radio.found ? radio.on : first->state != wlan_interface_state_not_ready;
        state.radioStale = radio.stale;
    }

    if (scan && state.radioOn) api.scan(session.Handle(), first->guid);

    if (first->state == wlan_interface_state_connected) {
        const std::optional<WlanConnectionRecord> connection = api.currentConnection(session.Handle(), first->guid);
        if (connection && connection->state == wlan_interface_state_connected) {
            state.connected = true;
            state.connectedSsid = SsidToWide(connection->ssid);
            state.connectedSignal = connection->signalQuality;
        }
    }

    if (state.radioOn) {
        if (std::optional<std::vector<WlanAvailableNetworkRecord>> entries = api.availableNetworks(
                session.Handle(), first->guid, WLAN_AVAILABLE_NETWORK_INCLUDE_ALL_MANUAL_HIDDEN_PROFILES))
            state.networks = MergeWifiNetworks(*entries);
    }
    return state;
}

bool SetWifiEnabled(bool on) { return SetWifiEnabled(SystemWlanApi(), on); }

bool SetWifiEnabled(const WlanApi& api, bool on) {
    const DOT11_RADIO_STATE target = on ? dot11_radio_state_on : dot11_radio_state_off;
    bool switched = false;
    {
        WlanSession session(api);
        if (const std::optional<WlanInterfaceRecord> first = session.FirstInterface()) {
            if (std::optional<std::vector<WLAN_PHY_RADIO_STATE>> phys = api.radioState(session.Handle(), first->guid)) {
                for (const WLAN_PHY_RADIO_STATE& phy : *phys) {
                    const WLAN_PHY_RADIO_STATE wanted{phy.dwPhyIndex, target, phy.dot11HardwareRadioState};
                    if (api.setRadioState(session.Handle(), first->guid, wanted)) switched = true;
                }
            } else {
                const WLAN_PHY_RADIO_STATE wanted{0, target, dot11_radio_state_unknown};
                switched = api.setRadioState(session.Handle(), first->guid, wanted);
            }
        }
    }
    if (switched) return true;
    return SetWinRtRadio(api, on);
}

bool ConnectWifiNetwork(const WifiNetwork& network, const std::wstring& password) {
    return ConnectWifiNetwork(SystemWlanApi(), network, password);
}

bool ConnectWifiNetwork(const WlanApi& api, const WifiNetwork& network, const std::wstring& password) {
    if (network.ssid.empty()) return false;
    const bool saved = network.hasProfile && !network.profileName.empty();
    // A secured network without a key or a saved profile: the prompt was
    // cancelled. An open profile written under its name would be reported as
    // saved by later scans and reused without asking for the key.
    if (network.secured && password.empty() && !saved) return false;

    WlanSession session(api);
    const std::optional<WlanInterfaceRecord> first = session.FirstInterface();
    if (!first) return false;

    std::wstring profile = network.profileName;
    if (!saved || !password.empty()) {
        const std::optional<std::wstring> xml = BuildWlanProfileXml(network.ssid, password, network.secured);
        // A refused document leaves the saved profile, if any, to connect with.
        if (xml && api.setProfile(session.Handle(), first->guid, *xml)) profile = network.ssid;
    }
    if (profile.empty()) return false;
    return api.connect(session.Handle(), first->guid, profile);
}

}  // namespace vantreel
