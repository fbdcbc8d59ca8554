// Installs the crash filter and faults, so a test can read the crash log it
// leaves beside this executable.
//   crash_helper              faults two calls deep
//   crash_helper corrupt-frame  faults with the frame register of its caller's
//                               frame pointing far outside the stack
//   crash_helper thread-throws  a thread ends with an exception nobody catches
#include <windows.h>

#include <malloc.h>

#include <cstring>
#include <stdexcept>
#include <thread>

#include "app/CrashLog.h"

__attribute__((noinline)) static void Fault(volatile int* where) { *where = 42; }

__attribute__((noinline)) static void CallsFault(volatile int* where) {
    Fault(where);
    Sleep(0);
}

// Overwrites the frame pointer that its caller's unwind information relies
// on, then faults at once, before anything could notice the register changed.
__attribute__((noinline)) static void FaultWithCorruptFramePointer() {
    asm volatile(
        "movq %0, %%rbp\n\t"
        "movl $42, (%1)\n\t"
        :
        : "d"(0x00007FF0DEAD0000ULL), "c"(0ULL)
        : "memory");
}

// Variable-sized stack space gives this function a frame pointer.
__attribute__((noinline)) static void CallsWithFramePointer(int bytes) {
    volatile char* scratch = static_cast<volatile char*>(alloca(bytes));
    scratch[0] = 1;
    FaultWithCorruptFramePointer();
    scratch[bytes - 1] = scratch[0];
}

// Frame-based dispatch would itself stop at the corrupt frame and never reach
// the filter. System code that hands an exception to the unhandled-exception
// filter from a vectored or intermediate handler does reach it, with frames
// above that nobody has checked; this plays that part and then ends the
// process the way the system does after the filter.
LONG CALLBACK HandToTheFilter(EXCEPTION_POINTERS* pointers) {
    if (UnhandledExceptionFilter(pointers) == EXCEPTION_EXECUTE_HANDLER) {
        TerminateProcess(GetCurrentProcess(), pointers->ExceptionRecord->ExceptionCode);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(CrashExceptionFilter);
    InstallTerminateHandlers();
    if (argc > 1 && std::strcmp(argv[1], "thread-throws") == 0) {
        std::thread([] { throw std::runtime_error("nobody catches this"); }).join();
    } else if (argc > 1 && std::strcmp(argv[1], "corrupt-frame") == 0) {
        AddVectoredExceptionHandler(1, HandToTheFilter);
        CallsWithFramePointer(static_cast<int>(GetTickCount() % 64) + 64);
    } else {
        CallsFault(nullptr);
    }
    return 0;
}
