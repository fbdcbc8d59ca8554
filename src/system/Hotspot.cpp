#include "system/Hotspot.h"

#include <roapi.h>
#include <wrl/client.h>

#include <atomic>
#include <cwchar>
#include <optional>

#include "platform/TetheringInterfaces.h"
#include "system/Deadline.h"
#include "system/WinRtAsyncWait.h"

using Microsoft::WRL::ComPtr;

namespace vantreel {
namespace {

HRESULT RealFactoryLookup(HSTRING className, REFIID iid, void** factory) {
    return RoGetActivationFactory(className, iid, factory);
}

// Trivially destructible, so a worker still running at process exit never
// reads a destroyed value.
std::atomic<HotspotFactoryLookup> g_factoryLookup{&RealFactoryLookup};

template <typename Statics>
ComPtr<Statics> GetStatics(HotspotFactoryLookup lookup, const wchar_t* className) {
    HSTRING_HEADER header{};
    HSTRING name = nullptr;
    if (FAILED(WindowsCreateStringReference(className, static_cast<UINT32>(wcslen(className)), &header, &name)))
        return nullptr;
    ComPtr<Statics> statics;
    if (FAILED(lookup(name, __uuidof(Statics), reinterpret_cast<void**>(statics.GetAddressOf())))) return nullptr;
    return statics;
}

// The internet connection profile, else the first non-null one of all
// profiles; null when there is none or a call failed.
ComPtr<IConnectionProfile> ChooseConnectionProfile(HotspotFactoryLookup lookup) {
    ComPtr<INetworkInformationStatics> network =
        GetStatics<INetworkInformationStatics>(lookup, platform::kNetworkInformationClassName);
    if (!network) return nullptr;
    ComPtr<IConnectionProfile> profile;
    if (FAILED(network->GetInternetConnectionProfile(profile.GetAddressOf()))) return nullptr;
    if (profile) return profile;
    ComPtr<IConnectionProfileVectorView> profiles;
    UINT32 count = 0;
    if (FAILED(network->GetConnectionProfiles(profiles.GetAddressOf())) || !profiles ||
        FAILED(profiles->get_Size(&count)))
        return nullptr;
    for (UINT32 i = 0; i < count; ++i) {
        ComPtr<IConnectionProfile> candidate;
        if (FAILED(profiles->GetAt(i, candidate.GetAddressOf()))) return nullptr;
        if (candidate) return candidate;
    }
    return nullptr;
}

ComPtr<INetworkOperatorTetheringManager> CreateTetheringManager(HotspotFactoryLookup lookup) {
    ComPtr<IConnectionProfile> profile = ChooseConnectionProfile(lookup);
    if (!profile) return nullptr;
    ComPtr<INetworkOperatorTetheringManagerStatics2> statics =
        GetStatics<INetworkOperatorTetheringManagerStatics2>(lookup, platform::kTetheringManagerClassName);
    if (!statics) return nullptr;
    ComPtr<INetworkOperatorTetheringManager> manager;
    if (FAILED(statics->CreateFromConnectionProfile(profile.Get(), manager.GetAddressOf()))) return nullptr;
    return manager;
}

HotspotStatusInfo QueryWorker(HotspotFactoryLookup lookup) {
    MtaScope com;
    HotspotStatusInfo status;
    ComPtr<INetworkOperatorTetheringManager> manager = CreateTetheringManager(lookup);
    if (!manager) return status;
    status.available = true;
    platform::TetheringOperationalState state{};
    if (FAILED(manager->get_TetheringOperationalState(&state))) return status;
    status.on = state == platform::TetheringOperationalState::On;
    UINT32 clients = 0;
    if (FAILED(manager->get_ClientCount(&clients))) return status;
    status.clientCount = clients;
    return status;
}

bool SwitchWorker(HotspotFactoryLookup lookup, bool on) {
    MtaScope com;
    ComPtr<INetworkOperatorTetheringManager> manager = CreateTetheringManager(lookup);
    if (!manager) return false;
    ComPtr<ITetheringOperation> operation;
    const HRESULT started = on ? manager->StartTetheringAsync(operation.GetAddressOf())
                               : manager->StopTetheringAsync(operation.GetAddressOf());
    if (FAILED(started) || !operation) return false;
    if (!WaitForAsyncOperation<ITetheringOperation, ITetheringOperationCompletedHandler>(operation.Get(),
                                                                                         kHotspotWorkerLimit))
        return false;
    ComPtr<INetworkOperatorTetheringOperationResult> result;
    if (FAILED(operation->GetResults(result.GetAddressOf())) || !result) return false;
    platform::TetheringOperationStatus status{};
    if (FAILED(result->get_Status(&status))) return false;
    return status == platform::TetheringOperationStatus::Success;
}

}  // namespace

void SetHotspotFactoryLookup(HotspotFactoryLookup lookup) {
    g_factoryLookup.store(lookup ? lookup : &RealFactoryLookup);
}

// Both run through the deadline runner, not std::async: the future of
// std::async waits for its worker in its destructor, so a hanging tethering
// service would hold the caller for as long as it hangs. The runners are
// never destroyed: callers may still come while the process exits.
HotspotStatusInfo QueryHotspotStatus() {
    static auto* flight = new SingleFlight<std::optional<HotspotStatusInfo>>;
    static auto* last = new LastAnswer<HotspotStatusInfo>;
    const HotspotFactoryLookup lookup = g_factoryLookup.load();
    const std::optional<HotspotStatusInfo> answer = flight->Run(
        [lookup]() -> std::optional<HotspotStatusInfo> {
            const HotspotStatusInfo status = QueryWorker(lookup);
            last->Keep(status);
            return status;
        },
        kHotspotQueryWait, std::nullopt);
    if (answer) return *answer;
    HotspotStatusInfo known = last->Get();
    known.stale = true;
    return known;
}

bool SetHotspotEnabled(bool on) {
    static auto* flight = new SingleFlight<bool>;
    const HotspotFactoryLookup lookup = g_factoryLookup.load();
    return flight->Run([lookup, on] { return SwitchWorker(lookup, on); }, kHotspotSwitchWait, false, on ? 1 : 0);
}

HotspotStatusInfo ReadHotspotStatus() { return QueryWorker(g_factoryLookup.load()); }

bool SwitchHotspot(bool on) { return SwitchWorker(g_factoryLookup.load(), on); }

}  // namespace vantreel
