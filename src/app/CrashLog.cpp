#include "app/CrashLog.h"

#include <cstdio>
#include <cwchar>
#include <iterator>

#include "dock/SystemTaskbar.h"

namespace {

constexpr int kMaxFrames = 48;

// The calling thread's stack, so the walk never reads outside it. A frame whose
// stack pointer leaves these bounds, or does not move outwards, ends the walk
// instead of faulting a second time inside the crash handler.
struct StackBounds {
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    bool Contains(DWORD64 address, size_t bytes) const {
        return address >= low && address <= high && bytes <= high - address;
    }
};

StackBounds CurrentStackBounds() {
    StackBounds bounds;
    GetCurrentThreadStackLimits(&bounds.low, &bounds.high);
    return bounds;
}

void WriteWide(HANDLE file, const wchar_t* format, ...) {
    wchar_t line[320];
    va_list args;
    va_start(args, format);
    int len = _vsnwprintf(line, 319, format, args);
    va_end(args);
    if (len < 0 || len > 319) len = 319;
    line[len] = L'\0';
    CrashLog::WriteUtf8Line(file, line);
}

}  // namespace

LONG WINAPI CrashExceptionFilter(EXCEPTION_POINTERS* pointers) {
    CrashLog::Write(pointers);
    RestoreSystemTaskbarsAtStartup(0);
    return EXCEPTION_EXECUTE_HANDLER;
}

namespace CrashLog {

void WriteUtf8Line(HANDLE file, const wchar_t* text) {
    char buffer[1024];
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, 1023, nullptr, nullptr);
    if (bytes < 2) return;  // empty text, or it did not fit
    DWORD written = 0;
    WriteFile(file, buffer, static_cast<DWORD>(bytes - 1), &written, nullptr);
}

bool WriteFrame(HANDLE file, DWORD64 address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(address)), &module) ||
        !module) {
        return false;
    }
    wchar_t path[260] = {};
    DWORD len = GetModuleFileNameW(module, path, 260);
    if (len >= 260) len = 259;
    path[len] = L'\0';
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/') name = p + 1;
    }
    wchar_t shortName[64];
    wcsncpy(shortName, name, 63);
    shortName[63] = L'\0';

    wchar_t line[160];
    int n = _snwprintf(line, 159, L"    %s+0x%llX\r\n", shortName,
                       static_cast<unsigned long long>(address - reinterpret_cast<DWORD64>(module)));
    if (n < 0 || n > 159) n = 159;
    line[n] = L'\0';
    WriteUtf8Line(file, line);
    return true;
}

void WriteStackWalk(HANDLE file, const CONTEXT* context) {
    CONTEXT copy = *context;
    StackBounds stack = CurrentStackBounds();
    for (int frames = 0; frames < kMaxFrames && copy.Rip != 0; ++frames) {
        if (!WriteFrame(file, copy.Rip)) return;  // outside every module: the walk ends
        DWORD64 previousSp = copy.Rsp;
        if (!stack.Contains(copy.Rsp, sizeof(DWORD64))) {
            WriteUtf8Line(file, L"    <stack walk aborted>\r\n");
            return;
        }
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(copy.Rip, &imageBase, nullptr);
        if (function) {
            PVOID handlerData = nullptr;
            DWORD64 establisher = 0;
            RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, copy.Rip, function, &copy, &handlerData,
                             &establisher, nullptr);
        } else {
            // A leaf function: the return address is on top of the stack.
            copy.Rip = *reinterpret_cast<const DWORD64*>(static_cast<ULONG_PTR>(copy.Rsp));
            copy.Rsp += 8;
        }
        if (copy.Rip != 0 && (copy.Rsp <= previousSp || !stack.Contains(copy.Rsp, 0))) {
            WriteUtf8Line(file, L"    <stack walk aborted>\r\n");
            return;
        }
    }
}

void Write(EXCEPTION_POINTERS* pointers) {
    wchar_t path[300] = {};
    DWORD len = GetModuleFileNameW(nullptr, path, 260);
    if (len == 0 || len >= 260) return;
    wchar_t* slash = wcsrchr(path, L'\\');
    wchar_t* nameStart = slash ? slash + 1 : path;
    const wchar_t kName[] = L"Vantreel-crash.log";
    if (static_cast<size_t>(nameStart - path) + std::size(kName) > std::size(path)) return;
    wcscpy(nameStart, kName);

    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;

    DWORD code = 0, flags = 0;
    DWORD64 address = 0;
    bool haveAddress = false;
    if (pointers && pointers->ExceptionRecord) {
        code = pointers->ExceptionRecord->ExceptionCode;
        flags = pointers->ExceptionRecord->ExceptionFlags;
        address = reinterpret_cast<DWORD64>(pointers->ExceptionRecord->ExceptionAddress);
        haveAddress = true;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    WriteWide(file, L"[%04u-%02u-%02u %02u:%02u:%02u] unhandled exception 0x%08lX (flags 0x%08lX) pid=%lu tid=%lu\r\n",
              now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
              static_cast<unsigned long>(code), static_cast<unsigned long>(flags),
              static_cast<unsigned long>(GetCurrentProcessId()),
              static_cast<unsigned long>(GetCurrentThreadId()));
    WriteUtf8Line(file, L"  stack:\r\n");
    if (haveAddress) WriteFrame(file, address);
    if (pointers && pointers->ContextRecord) WriteStackWalk(file, pointers->ContextRecord);
    WriteUtf8Line(file, L"\r\n");
    CloseHandle(file);
}

}  // namespace CrashLog
