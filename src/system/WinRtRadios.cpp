#include "system/WinRtRadios.h"

#include "system/WinRtAsyncWait.h"

#include <objbase.h>
#include <objidl.h>
#include <roapi.h>
#include <wrl/client.h>

#include <atomic>
#include <cwchar>
#include <optional>

#include "system/Deadline.h"

using Microsoft::WRL::ComPtr;

namespace vantreel {
namespace {

HRESULT RealFactoryLookup(HSTRING className, REFIID iid, void** factory) {
    return RoGetActivationFactory(className, iid, factory);
}

constexpr int kKinds = 5;  // Other, WiFi, MobileBroadband, Bluetooth, FM

int KindIndex(RadioKind kind) {
    const int index = static_cast<int>(kind);
    return index >= 0 && index < kKinds ? index : 0;
}

// Trivially destructible, so a worker still running at process exit never
// reads a destroyed value.
std::atomic<RadioFactoryLookup> g_factoryLookup{&RealFactoryLookup};

// The last answer of each kind's query, for the queries that time out.
// Never destroyed: a late worker may still write it while the process ends.
LastAnswer<RadioQueryResult>& LastAnswerOf(RadioKind kind) {
    static auto* answers = new LastAnswer<RadioQueryResult>[kKinds];
    return answers[KindIndex(kind)];
}

// The radios the platform lists, or null on any failure or cancellation;
// `cancelled` tells the listing that never ended (no answer) from a failure.
ComPtr<IRadioVectorView> GetRadios(RadioFactoryLookup lookup, bool& cancelled) {
    HSTRING_HEADER header{};
    HSTRING className = nullptr;
    if (FAILED(WindowsCreateStringReference(
            platform::kRadioClassName, static_cast<UINT32>(wcslen(platform::kRadioClassName)), &header, &className)))
        return nullptr;
    ComPtr<IRadioStatics> statics;
    if (FAILED(lookup(className, __uuidof(IRadioStatics), reinterpret_cast<void**>(statics.GetAddressOf()))) ||
        !statics)
        return nullptr;
    ComPtr<IRadioListOperation> operation;
    if (FAILED(statics->GetRadiosAsync(operation.GetAddressOf())) || !operation) return nullptr;
    if (!WaitForAsyncOperation<IRadioListOperation, IRadioListCompletedHandler>(operation.Get(), kRadioWorkerLimit)) {
        cancelled = true;
        return nullptr;
    }
    ComPtr<IRadioVectorView> radios;
    if (FAILED(operation->GetResults(radios.GetAddressOf()))) return nullptr;
    return radios;
}

RadioQueryResult QueryWorker(RadioFactoryLookup lookup, RadioKind kind) {
    MtaScope com;
    RadioQueryResult result;
    ComPtr<IRadioVectorView> radios = GetRadios(lookup, result.stale);
    UINT32 count = 0;
    if (!radios || FAILED(radios->get_Size(&count))) return result;
    for (UINT32 i = 0; i < count; ++i) {
        ComPtr<IRadio> radio;
        platform::RadioKind radioKind{};
        if (FAILED(radios->GetAt(i, radio.GetAddressOf())) || !radio || FAILED(radio->get_Kind(&radioKind))) break;
        if (radioKind != kind) continue;
        result.found = true;
        platform::RadioState state{};
        if (FAILED(radio->get_State(&state))) break;
        if (state == platform::RadioState::On) {
            result.on = true;
            break;
        }
    }
    return result;
}

bool SwitchWorker(RadioFactoryLookup lookup, RadioKind kind, bool on) {
    MtaScope com;
    bool accepted = false;
    bool cancelled = false;
    ComPtr<IRadioVectorView> radios = GetRadios(lookup, cancelled);
    UINT32 count = 0;
    if (!radios || FAILED(radios->get_Size(&count))) return accepted;
    const platform::RadioState wanted = on ? platform::RadioState::On : platform::RadioState::Off;
    for (UINT32 i = 0; i < count; ++i) {
        ComPtr<IRadio> radio;
        platform::RadioKind radioKind{};
        if (FAILED(radios->GetAt(i, radio.GetAddressOf())) || !radio || FAILED(radio->get_Kind(&radioKind))) break;
        if (radioKind != kind) continue;
        ComPtr<IRadioAccessOperation> operation;
        if (FAILED(radio->SetStateAsync(wanted, operation.GetAddressOf())) || !operation) break;
        if (!WaitForAsyncOperation<IRadioAccessOperation, IRadioAccessCompletedHandler>(operation.Get(),
                                                                                        kRadioWorkerLimit))
            break;
        platform::RadioAccessStatus status{};
        if (FAILED(operation->GetResults(&status))) break;
        if (status == platform::RadioAccessStatus::Allowed) accepted = true;
    }
    return accepted;
}

}  // namespace

void SetRadioFactoryLookup(RadioFactoryLookup lookup) { g_factoryLookup.store(lookup ? lookup : &RealFactoryLookup); }

RadioQueryResult QueryWinRtRadioState(RadioKind kind) {
    // Never destroyed: callers may still come while the process exits.
    static auto* flights = new SingleFlight<std::optional<RadioQueryResult>>[kKinds];
    const RadioFactoryLookup lookup = g_factoryLookup.load();
    const std::optional<RadioQueryResult> answer = flights[KindIndex(kind)].Run(
        [lookup, kind]() -> std::optional<RadioQueryResult> {
            RadioQueryResult result = QueryWorker(lookup, kind);
            if (result.stale) return std::nullopt;
            LastAnswerOf(kind).Keep(result);
            return result;
        },
        kRadioWait, std::nullopt);
    // A service that does not answer has not said the radio is gone.
    if (answer) return *answer;
    RadioQueryResult last = LastAnswerOf(kind).Get();
    last.stale = true;
    return last;
}

bool SetWinRtRadioState(RadioKind kind, bool on) {
    static auto* flights = new SingleFlight<bool>[kKinds];
    const RadioFactoryLookup lookup = g_factoryLookup.load();
    return flights[KindIndex(kind)].Run([lookup, kind, on] { return SwitchWorker(lookup, kind, on); }, kRadioWait,
                                        false, on ? 1 : 0);
}

RadioQueryResult ReadWinRtRadios(RadioKind kind) { return QueryWorker(g_factoryLookup.load(), kind); }

bool SwitchWinRtRadios(RadioKind kind, bool on) { return SwitchWorker(g_factoryLookup.load(), kind, on); }

}  // namespace vantreel
