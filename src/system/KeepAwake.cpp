#include "system/KeepAwake.h"

std::atomic<bool> KeepAwakeFlag{false};

void ReleaseKeepAwake() {
    SetThreadExecutionState(ES_CONTINUOUS);
    KeepAwakeFlag.store(false);
}

namespace vantreel {

bool SetKeepAwake(bool on) {
    return SetKeepAwake(on, [](EXECUTION_STATE state) { return SetThreadExecutionState(state); });
}

bool SetKeepAwake(bool on, const ExecutionStateCall& setThreadExecutionState) {
    const EXECUTION_STATE previous =
        setThreadExecutionState(on ? (ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED) : ES_CONTINUOUS);
    if (on && previous == 0) return false;
    KeepAwakeFlag.exchange(on);
    return true;
}

}  // namespace vantreel
