#include "app/CommandLineModes.h"

#include <windows.h>
#include <objbase.h>

#include <cstdint>

#include "platform/Log.h"
#include "app/StartupTask.h"
#include "platform/InstanceNames.h"
#include "platform/SystemTaskbar.h"
#include "platform/UniqueHandle.h"

namespace {

// How long the taskbar stayed hidden after the dock ended, by the system's
// record of that end: the watchdog's promise is to make it short.
void LogRestoreAfterExit(HANDLE process) {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](FILETIME t) {
        return static_cast<long long>((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime);
    };
    LogMessage(L"Watchdog: taskbar restored %lld ms after the dock ended", (ticks(now) - ticks(exited)) / 10000);
}

}  // namespace

int RunWatchdogMode(const WatchdogArgs& args) {
    const platform::UniqueHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, args.processId));
    const platform::UniqueHandle cancel(
        args.eventName.empty() ? nullptr : OpenEventW(SYNCHRONIZE, FALSE, args.eventName.c_str()));
    if (process) {
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
        // The dock hides the taskbar only once this is set.
        const platform::UniqueHandle armed(
            OpenEventW(EVENT_MODIFY_STATE, FALSE, WatchdogArmedEventName(args.processId).c_str()));
        if (armed) SetEvent(armed.get());
        LogMessage(L"Watchdog: watching process %lu", static_cast<unsigned long>(args.processId));
        HANDLE handles[2] = {process.get(), cancel.get()};
        DWORD count = cancel ? 2 : 1;
        DWORD result = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        // Only the dock process ending without a cancel restores; a failed wait does
        // not. The wait reports the process whenever both are signalled, so an
        // orderly end that raced this wait is told by the event itself.
        bool cancelled = cancel && WaitForSingleObject(cancel.get(), 0) == WAIT_OBJECT_0;
        if (result == WAIT_OBJECT_0 && !cancelled) {
            RestoreSystemTaskbarsAtStartup(args.taskbarState);
            LogRestoreAfterExit(process.get());
        }
    } else {
        // The dock is already gone.
        RestoreSystemTaskbarsAtStartup(args.taskbarState);
    }
    return 0;
}

int RunRestoreTaskbarMode() {
    RestoreSystemTaskbarsAtStartup(0);
    const platform::UniqueHandle running(OpenMutexW(SYNCHRONIZE, FALSE, kSingleInstanceMutexName));
    if (!running) return 0;
    // A dock still starting has no input window yet, and would hide the
    // taskbar once it has: that is no restore.
    const HWND dock = FindWindowW(kDockInputWindowClass, nullptr);
    DWORD_PTR answer = 0;
    const bool answered = dock && SendMessageTimeoutW(dock, RegisterWindowMessageW(kLeaveTaskbarMessageName), 0, 0,
                                                      SMTO_ABORTIFHUNG, 10000, &answer);
    return answered && answer == 1 ? 0 : 2;
}

int RunLogonTaskMode(bool install) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ok = false;
    if (install) {
        wchar_t path[MAX_PATH] = {};
        DWORD len = GetModuleFileNameW(nullptr, path, MAX_PATH);
        if (len > 0 && len < MAX_PATH) {
            auto definition = StartupTask::BuildDefinition(path);
            ok = definition && StartupTask::Register(definition.Get());
        }
    } else {
        ok = StartupTask::Uninstall();
    }
    LogMessage(L"startup task %s: %s (com=0x%08X)", install ? L"install" : L"remove", ok ? L"ok" : L"failed",
               static_cast<unsigned>(com));
    if (SUCCEEDED(com)) CoUninitialize();
    return ok ? 0 : 2;
}
