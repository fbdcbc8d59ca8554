// Installs the crash filter and faults, so a test can read the crash log it
// leaves beside this executable.
#include <windows.h>

#include "app/CrashLog.h"

__attribute__((noinline)) static void Fault(volatile int* where) { *where = 42; }

__attribute__((noinline)) static void CallsFault(volatile int* where) {
    Fault(where);
    Sleep(0);
}

int main() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(CrashExceptionFilter);
    CallsFault(nullptr);
    return 0;
}
