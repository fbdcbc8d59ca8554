#pragma once
// Reading and switching radios through the Windows Runtime radio classes.
// Internal to the system services (and their tests): the status snapshot, the
// Wi-Fi and Bluetooth services and the control center's switches reach radios
// through those services, never through this header.
//
// The Windows Runtime calls block until an asynchronous operation completes,
// so each call runs them on a detached worker and waits at most kRadioWait;
// after that the caller gets at once the last answer the service gave for the
// kind, marked stale (a query), or "not switched" (a switch), and the worker
// finishes alone. One worker per operation and kind runs
// at a time (system/Deadline.h), and it gives an operation kRadioWorkerLimit
// before it cancels it. A failure to start the worker thread is not caught
// here: its std::system_error reaches the caller.

#include <windows.h>
#include <winstring.h>

#include <chrono>

#include <system_error>

#include "platform/RadioInterfaces.h"

namespace vantreel {

using RadioKind = platform::RadioKind;

struct RadioQueryResult {
    bool found = false;  // a radio of the kind exists
    bool on = false;     // such a radio is on
    // The service did not answer: found and on are its last answer for the
    // kind (both false when it never gave one), not what it says now.
    bool stale = false;
};

inline constexpr std::chrono::milliseconds kRadioWait{1500};
inline constexpr std::chrono::milliseconds kRadioWorkerLimit{5000};

// Whether a radio of the kind exists and whether one of them is on; the last
// answer, stale, when nothing answered within kRadioWait. An answer that comes
// after its caller gave up is still kept as the last one.
RadioQueryResult QueryWinRtRadioState(RadioKind kind);

// Runs a radio query whose worker may fail to start (std::system_error): such
// a query reads like one that never answered.
template <class Query>
RadioQueryResult QueryRadioOrStale(const Query& query) {
    try {
        return query();
    } catch (const std::system_error&) {
        RadioQueryResult unknown;
        unknown.stale = true;
        return unknown;
    }
}

// Asks every radio of the kind for the new state; true when at least one
// accepted it within kRadioWait. No access request is made first.
bool SetWinRtRadioState(RadioKind kind, bool on);

// The same work on the caller's thread, with no wait of its own: it blocks
// until the platform answers (each operation still cancelled after
// kRadioWorkerLimit, which gives a stale result with nothing found). For
// callers that can afford to block, such as a worker of their own; the walk
// over the radios is the same as above, and neither keeps a last answer.
RadioQueryResult ReadWinRtRadios(RadioKind kind);
bool SwitchWinRtRadios(RadioKind kind, bool on);

// How a worker finds the Radio class's statics: RoGetActivationFactory unless
// replaced. A detached worker may call it long after the caller returned, so
// it is a plain function, and whatever it reads must outlive the process's
// last worker. Null restores the real lookup.
using RadioFactoryLookup = HRESULT (*)(HSTRING className, REFIID iid, void** factory);
void SetRadioFactoryLookup(RadioFactoryLookup lookup);

}  // namespace vantreel
