#pragma once
// The mobile hotspot of the control center's tile: whether this machine can
// share its connection, whether it does and to how many clients, and the
// switch. The Windows Runtime tethering calls block until their operations
// complete, so each call runs them on a detached worker and waits a fixed
// time (kHotspotQueryWait, kHotspotSwitchWait); after that the caller gets the
// last answer the service gave, marked stale (a query), or "not switched" (a
// switch), and the worker finishes alone. One
// worker per operation runs at a time (system/Deadline.h); a switch that has
// not ended after kHotspotWorkerLimit is cancelled.
//
// Starting the worker can fail: its std::system_error reaches the caller,
// whose thread must catch it.

#include <windows.h>
#include <winstring.h>

#include <chrono>
#include <cstdint>

namespace vantreel {

struct HotspotStatusInfo {
    bool available = false;    // a tethering manager exists for the chosen connection profile
    bool on = false;           // its operational state is On
    uint32_t clientCount = 0;  // connected clients
    // The service did not answer in time: the rest is its last answer (not
    // available when it never gave one).
    bool stale = false;
};

inline constexpr std::chrono::milliseconds kHotspotQueryWait{800};
inline constexpr std::chrono::milliseconds kHotspotSwitchWait{3500};
inline constexpr std::chrono::milliseconds kHotspotWorkerLimit{15000};

// The hotspot's state; the last answer, stale, when nothing answered in time.
// An answer that comes after its caller gave up is still kept as the last one.
HotspotStatusInfo QueryHotspotStatus();

// Starts or stops sharing; true when the system reported success in time.
bool SetHotspotEnabled(bool on);

// The same work on the caller's thread, with no wait of its own: it blocks
// until the tethering service answers. For callers that can afford to block,
// such as a worker of their own.
HotspotStatusInfo ReadHotspotStatus();
bool SwitchHotspot(bool on);

// How a worker finds the statics of the connectivity and tethering classes:
// RoGetActivationFactory unless replaced. A worker may call it long after its
// caller returned, so it is a plain function, and whatever it reads must
// outlive the process's last worker. Null restores the real lookup.
using HotspotFactoryLookup = HRESULT (*)(HSTRING className, REFIID iid, void** factory);
void SetHotspotFactoryLookup(HotspotFactoryLookup lookup);

}  // namespace vantreel
