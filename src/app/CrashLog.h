#pragma once
// "Vantreel-crash.log" beside the executable: one record per unhandled
// exception with a walked call stack. Always on. Runs on the faulting thread,
// takes no lock and allocates nothing of its own.

#include <windows.h>

// Installed with SetUnhandledExceptionFilter: writes the record, puts the system
// taskbar back and lets the process end without the system's error dialog.
LONG WINAPI CrashExceptionFilter(EXCEPTION_POINTERS* pointers);

// The code of the record left by std::terminate or abort(): an exception that
// left a thread, a noexcept function that threw. Without this they end the
// process with exit code 3 and no record.
inline constexpr DWORD kTerminateExceptionCode = 0xE0564E54;
// Turns std::terminate and SIGABRT into kTerminateExceptionCode, raised where
// they happen, so the filter writes its record with the stack that led there
// (an exception nobody catches is not unwound before terminate runs).
void InstallTerminateHandlers();

namespace CrashLog {

void Write(EXCEPTION_POINTERS* pointers);
// Writes the text as UTF-8 (at most 1023 bytes); an empty text writes nothing.
void WriteUtf8Line(HANDLE file, const wchar_t* text);
// "    module+0xOFFSET"; false (and nothing written) when no module holds the address.
bool WriteFrame(HANDLE file, DWORD64 address);
// Up to 48 frames from the context's instruction pointer outwards.
void WriteStackWalk(HANDLE file, const CONTEXT* context);

}  // namespace CrashLog
