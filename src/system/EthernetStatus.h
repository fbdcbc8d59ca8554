#pragma once
// The first physical wired adapter that is up, described for the top bar: its
// name, link speed and first IPv4 address. Virtual, tunnel and Bluetooth
// adapters, which the system also reports as Ethernet, are skipped by a fixed
// list of description keywords.

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantreel {

// One adapter as the choice needs it; absent texts stay absent.
struct EthernetAdapterRecord {
    uint32_t ifType = 0;      // IF_TYPE_ETHERNET_CSMACD (6) for wired Ethernet
    uint32_t operStatus = 0;  // IfOperStatusUp (1) when up
    std::optional<std::wstring> description;
    std::optional<std::wstring> friendlyName;
    uint64_t transmitLinkSpeed = 0;           // bits per second
    std::vector<std::wstring> ipv4Addresses;  // dotted texts of the IPv4 unicast addresses, in order
};

struct EthernetStatus {
    bool connected = false;
    std::wstring name;
    std::wstring speed;
    std::wstring ipv4;
};

// The first up Ethernet adapter whose lower-cased description holds none of
// the virtual-adapter keywords, in the given order.
EthernetStatus ChooseEthernetAdapter(const std::vector<EthernetAdapterRecord>& adapters);

// "2 Gbps" from whole gigabits, "100 Mbps" from whole megabits, empty below 1 Mbps.
std::wstring FormatLinkSpeed(uint64_t bitsPerSecond);

// GetAdaptersAddresses, replaceable so that its answers can be recorded.
using AdapterAddressesCall = std::function<ULONG(ULONG family, ULONG flags, IP_ADAPTER_ADDRESSES* buffer, ULONG* size)>;
AdapterAddressesCall SystemAdapterAddresses();

// The IPv4 adapters, read into records; false when the query failed (an
// error, or a second buffer overflow after growing the buffer once).
bool ReadAdapterRecords(const AdapterAddressesCall& call, std::vector<EthernetAdapterRecord>& adapters);

// The service: the four results, cleared first, so nothing found leaves them
// false and empty.
void QueryEthernetStatus(bool& connected, std::wstring& name, std::wstring& speed, std::wstring& ipv4);
void QueryEthernetStatus(const AdapterAddressesCall& call, bool& connected, std::wstring& name, std::wstring& speed,
                         std::wstring& ipv4);

}  // namespace vantreel
