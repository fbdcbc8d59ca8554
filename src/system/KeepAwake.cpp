#include "system/KeepAwake.h"

#include <windows.h>

std::atomic<bool> KeepAwakeFlag{false};

void ReleaseKeepAwake() {
    SetThreadExecutionState(ES_CONTINUOUS);
    KeepAwakeFlag.store(false);
}
