#include "system/EthernetStatus.h"

#include <ws2tcpip.h>

#include <cwchar>
#include <string_view>

#include "config/PathText.h"

namespace vantreel {
namespace {

constexpr ULONG kSkipAnycastMulticastDns = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
constexpr ULONG kInitialBufferBytes = 16384;

// Substrings of the lower-cased description that mark an adapter as virtual,
// a tunnel or Bluetooth, tested in this order.
constexpr std::wstring_view kVirtualAdapterKeywords[] = {
    L"hyper-v", L"virtual", L"bluetooth", L"loopback", L"vmware", L"vbox", L"tap", L"wintun", L"wan miniport",
};

bool IsVirtualAdapter(const std::optional<std::wstring>& description) {
    const std::wstring key = NormalizePathKey(description.value_or(std::wstring()));
    for (std::wstring_view keyword : kVirtualAdapterKeywords)
        if (key.find(keyword) != std::wstring::npos) return true;
    return false;
}

std::optional<std::wstring> Text(const wchar_t* text) {
    if (!text) return std::nullopt;
    return std::wstring(text);
}

}  // namespace

std::wstring FormatLinkSpeed(uint64_t bitsPerSecond) {
    const uint64_t megabits = bitsPerSecond / 1000000;
    if (megabits == 0) return {};
    wchar_t text[32] = {};
    if (megabits >= 1000)
        _snwprintf(text, 31, L"%llu Gbps", static_cast<unsigned long long>(megabits / 1000));
    else
        _snwprintf(text, 31, L"%llu Mbps", static_cast<unsigned long long>(megabits));
    return text;
}

EthernetStatus ChooseEthernetAdapter(const std::vector<EthernetAdapterRecord>& adapters) {
    EthernetStatus status;
    for (const EthernetAdapterRecord& adapter : adapters) {
        if (adapter.ifType != IF_TYPE_ETHERNET_CSMACD || adapter.operStatus != IfOperStatusUp) continue;
        if (IsVirtualAdapter(adapter.description)) continue;
        status.connected = true;
        // A present but empty description would name the row with nothing.
        if (adapter.friendlyName && !adapter.friendlyName->empty())
            status.name = *adapter.friendlyName;
        else if (adapter.description && !adapter.description->empty())
            status.name = *adapter.description;
        else
            status.name = L"以太网";
        status.speed = FormatLinkSpeed(adapter.transmitLinkSpeed);
        if (!adapter.ipv4Addresses.empty()) status.ipv4 = adapter.ipv4Addresses.front();
        break;
    }
    return status;
}

AdapterAddressesCall SystemAdapterAddresses() {
    return [](ULONG family, ULONG flags, IP_ADAPTER_ADDRESSES* buffer, ULONG* size) {
        return GetAdaptersAddresses(family, flags, nullptr, buffer, size);
    };
}

bool ReadAdapterRecords(const AdapterAddressesCall& call, std::vector<EthernetAdapterRecord>& adapters) {
    adapters.clear();
    ULONG size = kInitialBufferBytes;
    std::vector<unsigned char> buffer(size);
    ULONG answer =
        call(AF_INET, kSkipAnycastMulticastDns, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    if (answer == ERROR_BUFFER_OVERFLOW) {
        buffer.assign(size, 0);
        answer = call(AF_INET, kSkipAnycastMulticastDns, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (answer != NO_ERROR) return false;

    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter; adapter = adapter->Next) {
        EthernetAdapterRecord record;
        record.ifType = adapter->IfType;
        record.operStatus = adapter->OperStatus;
        record.description = Text(adapter->Description);
        record.friendlyName = Text(adapter->FriendlyName);
        record.transmitLinkSpeed = adapter->TransmitLinkSpeed;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const SOCKADDR* address = unicast->Address.lpSockaddr;
            if (!address || address->sa_family != AF_INET) continue;
            wchar_t text[48] = {};
            const auto* ipv4 = reinterpret_cast<const SOCKADDR_IN*>(address);
            if (InetNtopW(AF_INET, &ipv4->sin_addr, text, 48)) record.ipv4Addresses.emplace_back(text);
        }
        adapters.push_back(std::move(record));
    }
    return true;
}

void QueryEthernetStatus(const AdapterAddressesCall& call, bool& connected, std::wstring& name, std::wstring& speed,
                         std::wstring& ipv4) {
    connected = false;
    name.clear();
    speed.clear();
    ipv4.clear();
    std::vector<EthernetAdapterRecord> adapters;
    if (!ReadAdapterRecords(call, adapters)) return;
    EthernetStatus status = ChooseEthernetAdapter(adapters);
    connected = status.connected;
    name = std::move(status.name);
    speed = std::move(status.speed);
    ipv4 = std::move(status.ipv4);
}

void QueryEthernetStatus(bool& connected, std::wstring& name, std::wstring& speed, std::wstring& ipv4) {
    QueryEthernetStatus(SystemAdapterAddresses(), connected, name, speed, ipv4);
}

}  // namespace vantreel
