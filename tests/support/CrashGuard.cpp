// Linked into every test executable: a test that faults ends its executable at
// once with the fault's code and names the test, instead of waiting on a
// debugger that nobody will answer.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI ReportAndExit(EXCEPTION_POINTERS* pointers) {
    DWORD code = pointers && pointers->ExceptionRecord ? pointers->ExceptionRecord->ExceptionCode : 0;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::fprintf(stderr, "\n*** unhandled exception 0x%08lX in %s.%s\n", static_cast<unsigned long>(code),
                 test ? test->test_suite_name() : "?", test ? test->name() : "?");
    std::fflush(stderr);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), code ? code : 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

struct CrashGuard {
    CrashGuard() {
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
        SetUnhandledExceptionFilter(ReportAndExit);
    }
} g_crashGuard;

}  // namespace
