#pragma once
// The keep-awake service's one piece of process-wide state: whether this
// program currently asks the system to stay awake. The dock clears it on its
// way out so that a request never outlives the program.

#include <windows.h>

#include <atomic>
#include <functional>

extern std::atomic<bool> KeepAwakeFlag;

// Drops any keep-awake request of this thread (SetThreadExecutionState with
// ES_CONTINUOUS alone) and clears the flag.
void ReleaseKeepAwake();

namespace vantreel {

// SetThreadExecutionState, replaceable to record the requests.
using ExecutionStateCall = std::function<EXECUTION_STATE(EXECUTION_STATE)>;

// Asks the system to keep the machine and the display awake for as long as
// the calling thread (the UI thread) lives, or releases that request, and
// records it in KeepAwakeFlag. A refused request returns false and leaves the
// flag; a release always clears it and returns true.
bool SetKeepAwake(bool on);
bool SetKeepAwake(bool on, const ExecutionStateCall& setThreadExecutionState);

}  // namespace vantreel
