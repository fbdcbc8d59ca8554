// The real system calls behind the power actions.
#include <windows.h>

#include <powrprof.h>
#include <shellapi.h>

#include "platform/UniqueHandle.h"
#include "system/PowerActions.h"

namespace {

PrivilegeOutcome EnableShutdownPrivilegeOnToken() {
    PrivilegeOutcome outcome;
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
        outcome.error = GetLastError();
        return outcome;
    }
    const platform::UniqueHandle token(opened);
    outcome.tokenOpened = true;
    TOKEN_PRIVILEGES privileges = {};
    if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        SetLastError(ERROR_SUCCESS);
        // ERROR_NOT_ALL_ASSIGNED comes with a successful call: only a clean
        // error code means the privilege is on.
        outcome.enabled = AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) &&
                          GetLastError() == ERROR_SUCCESS;
    }
    outcome.error = GetLastError();
    return outcome;
}

bool StartHiddenAndWait(const std::wstring& file, const std::wstring& parameters, DWORD waitMs, DWORD& exitCode,
                        DWORD& error) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info)) {
        error = GetLastError();
        return false;
    }
    exitCode = STILL_ACTIVE;
    const platform::UniqueHandle process(info.hProcess);
    if (process) {
        if (WaitForSingleObject(process.get(), waitMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &exitCode);
    }
    return true;
}

}  // namespace

PowerOps DefaultPowerOps() {
    PowerOps ops;
    ops.enableShutdownPrivilege = EnableShutdownPrivilegeOnToken;
    ops.suspend = [] { return SetSuspendState(FALSE, FALSE, FALSE) != FALSE; };
    ops.lock = [] { return LockWorkStation() != FALSE; };
    ops.exitWindows = [](UINT flags, DWORD reason) { return ExitWindowsEx(flags, reason) != FALSE; };
    ops.startHidden = StartHiddenAndWait;
    ops.messageBox = [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
        return MessageBoxW(owner, text.c_str(), caption.c_str(), style);
    };
    return ops;
}
