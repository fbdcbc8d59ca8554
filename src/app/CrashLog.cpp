#include "app/CrashLog.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>
#include <csignal>
#include <exception>
#include <cstdio>
#include <cwchar>
#include <iterator>

#include "platform/Log.h"
#include "platform/SystemTaskbar.h"
#include "platform/UniqueHandle.h"

namespace {

constexpr int kMaxFrames = 48;

// The calling thread's stack, so the walk never reads outside it. A frame whose
// stack pointer leaves these bounds, or does not move outwards, ends the walk
// instead of faulting a second time inside the crash handler.
struct StackBounds {
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    bool Contains(DWORD64 address, DWORD64 bytes) const {
        return address >= low && address <= high && bytes <= high - address;
    }
};

StackBounds CurrentStackBounds() {
    StackBounds bounds;
    GetCurrentThreadStackLimits(&bounds.low, &bounds.high);
    // Below the walk's own frame the stack may be reserved but not committed,
    // and the frames being walked all lie above it.
    volatile char here = 0;
    bounds.low = std::max<ULONG_PTR>(bounds.low, reinterpret_cast<ULONG_PTR>(&here));
    return bounds;
}

// The x64 unwind information of a function, as the image stores it.
enum UnwindOp : BYTE {
    kPushNonvol = 0,
    kAllocLarge = 1,
    kAllocSmall = 2,
    kSetFrame = 3,
    kSaveNonvol = 4,
    kSaveNonvolFar = 5,
    kEpilog = 6,
    kSpare = 7,
    kSaveXmm128 = 8,
    kSaveXmm128Far = 9,
    kPushMachFrame = 10,
};
constexpr BYTE kChainedInfo = 0x4;  // UNW_FLAG_CHAININFO

int UnwindOpSlots(BYTE op, BYTE info) {
    switch (op) {
        case kAllocLarge:
            return info == 0 ? 2 : 3;
        case kSaveNonvol:
        case kSaveXmm128:
        case kEpilog:
            return 2;
        case kSaveNonvolFar:
        case kSaveXmm128Far:
        case kSpare:
            return 3;
        default:
            return 1;
    }
}

DWORD64 IntegerRegister(const CONTEXT& context, int index) {
    switch (index) {
        case 0:
            return context.Rax;
        case 1:
            return context.Rcx;
        case 2:
            return context.Rdx;
        case 3:
            return context.Rbx;
        case 4:
            return context.Rsp;
        case 5:
            return context.Rbp;
        case 6:
            return context.Rsi;
        case 7:
            return context.Rdi;
        case 8:
            return context.R8;
        case 9:
            return context.R9;
        case 10:
            return context.R10;
        case 11:
            return context.R11;
        case 12:
            return context.R12;
        case 13:
            return context.R13;
        case 14:
            return context.R14;
        default:
            return context.R15;
    }
}

// Follows, without reading the stack, what unwinding this frame reads from it:
// the saved registers and the return address, above the stack pointer or, once
// the function has set up its frame register, above that register. False when
// any of it lies outside the stack, such as a frame register that a fault or a
// corrupt saved value left pointing elsewhere.
bool UnwindReadsOnlyTheStack(const CONTEXT& context, DWORD64 imageBase, const RUNTIME_FUNCTION* function,
                             const StackBounds& stack) {
    DWORD64 rsp = context.Rsp;
    DWORD64 frame = rsp;
    for (int chain = 0; chain < 32; ++chain) {
        if (function->UnwindData & 1) {  // an entry that only points at another one
            function =
                reinterpret_cast<const RUNTIME_FUNCTION*>(static_cast<ULONG_PTR>(imageBase + function->UnwindData - 1));
            continue;
        }
        const BYTE* info = reinterpret_cast<const BYTE*>(static_cast<ULONG_PTR>(imageBase + function->UnwindData));
        const BYTE version = info[0] & 0x07;
        if (version != 1 && version != 2) return false;  // a layout we do not know
        const BYTE flags = info[0] >> 3;
        const BYTE prologSize = info[1];
        const BYTE codeCount = info[2];
        const int frameRegister = info[3] & 0x0F;
        const DWORD64 frameOffset = static_cast<DWORD64>(info[3] >> 4) * 16;
        const BYTE* codes = info + 4;

        if (frameRegister != 0) frame = IntegerRegister(context, frameRegister) - frameOffset;
        const DWORD64 begin = imageBase + function->BeginAddress;
        const bool inProlog = context.Rip >= begin && context.Rip < begin + prologSize;
        const DWORD64 prologOffset = inProlog ? context.Rip - begin : ~0ULL;

        for (int i = 0; i < codeCount;) {
            const BYTE codeOffset = codes[2 * i];
            const BYTE op = codes[2 * i + 1] & 0x0F;
            const BYTE opInfo = codes[2 * i + 1] >> 4;
            const int slots = UnwindOpSlots(op, opInfo);
            if (i + slots > codeCount) return false;
            auto slot16 = [&](int n) {
                return static_cast<DWORD64>(codes[2 * (i + n)] | (codes[2 * (i + n) + 1] << 8));
            };
            auto slot32 = [&](int n) { return slot16(n) | (slot16(n + 1) << 16); };
            if (prologOffset >= codeOffset) {
                switch (op) {
                    case kPushNonvol:
                        if (!stack.Contains(rsp, 8)) return false;
                        rsp += 8;
                        break;
                    case kAllocLarge:
                        rsp += opInfo == 0 ? slot16(1) * 8 : slot32(1);
                        break;
                    case kAllocSmall:
                        rsp += static_cast<DWORD64>(opInfo) * 8 + 8;
                        break;
                    case kSetFrame:
                        if (!stack.Contains(frame, 8)) return false;
                        rsp = frame;
                        break;
                    case kSaveNonvol:
                        if (!stack.Contains(frame + slot16(1) * 8, 8)) return false;
                        break;
                    case kSaveNonvolFar:
                        if (!stack.Contains(frame + slot32(1), 8)) return false;
                        break;
                    case kSaveXmm128:
                        if (!stack.Contains(frame + slot16(1) * 16, 16)) return false;
                        break;
                    case kSaveXmm128Far:
                        if (!stack.Contains(frame + slot32(1), 16)) return false;
                        break;
                    case kPushMachFrame:
                        // The interrupted context's own stack pointer comes next;
                        // the walk checks it like any other.
                        return stack.Contains(rsp, opInfo ? 48 : 40);
                    default:
                        break;  // epilog descriptions read nothing here
                }
                if (rsp < context.Rsp) return false;  // a size that wrapped around
            }
            i += slots;
        }
        // A frame register that the function uses past its prolog is where its
        // epilog takes the stack pointer from: it must point into the stack.
        if (frameRegister != 0 && !inProlog && !stack.Contains(frame, 8)) return false;
        if (!(flags & kChainedInfo)) break;
        const int alignedCount = (codeCount + 1) & ~1;
        function = reinterpret_cast<const RUNTIME_FUNCTION*>(codes + 2 * alignedCount);
    }
    return stack.Contains(rsp, 8);  // the return address
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

namespace {

[[noreturn]] void RaiseTerminate() {
    RaiseException(kTerminateExceptionCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    TerminateProcess(GetCurrentProcess(), kTerminateExceptionCode);
    for (;;) {
    }
}

// The record shows where; the debug log says what was thrown. Not from the
// abort signal, which may come while this thread holds the log's lock.
[[noreturn]] void OnTerminate() {
    if (std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (...) {
            platform::LogCaughtException(L"exit: uncaught exception:");
        }
    }
    RaiseTerminate();
}

void OnAbortSignal(int) { RaiseTerminate(); }

}  // namespace

void InstallTerminateHandlers() {
    std::set_terminate(&OnTerminate);
    std::signal(SIGABRT, &OnAbortSignal);
}

LONG WINAPI CrashExceptionFilter(EXCEPTION_POINTERS* pointers) {
    CrashLog::Write(pointers);
    // Only a process that hid the taskbar gives it back: one that never read
    // the user's auto-hide state has nothing to restore, and writing 0 would
    // switch the user's own auto-hide off.
    if (IsSystemTaskbarStateSaved() || IsTaskbarRehideActive()) RestoreSystemTaskbarsAtStartup(0);
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
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
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
        if (function && !UnwindReadsOnlyTheStack(copy, imageBase, function, stack)) {
            WriteUtf8Line(file, L"    <stack walk aborted>\r\n");
            return;
        }
        if (function) {
            PVOID handlerData = nullptr;
            DWORD64 establisher = 0;
            RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, copy.Rip, function, &copy, &handlerData, &establisher,
                             nullptr);
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

    const platform::UniqueHandle owner(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!owner) return;
    const HANDLE file = owner.get();

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
              now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, static_cast<unsigned long>(code),
              static_cast<unsigned long>(flags), static_cast<unsigned long>(GetCurrentProcessId()),
              static_cast<unsigned long>(GetCurrentThreadId()));
    WriteUtf8Line(file, L"  stack:\r\n");
    if (haveAddress) WriteFrame(file, address);
    if (pointers && pointers->ContextRecord) WriteStackWalk(file, pointers->ContextRecord);
    WriteUtf8Line(file, L"\r\n");
}

}  // namespace CrashLog
