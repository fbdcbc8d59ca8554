#pragma once
// The keep-awake service's one piece of process-wide state: whether this
// program currently asks the system to stay awake. The dock clears it on its
// way out so that a request never outlives the program.

#include <atomic>

extern std::atomic<bool> KeepAwakeFlag;

// Drops any keep-awake request of this thread (SetThreadExecutionState with
// ES_CONTINUOUS alone) and clears the flag.
void ReleaseKeepAwake();
