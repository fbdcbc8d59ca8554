#pragma once
// Sleep, lock, restart and shut down, with a confirmation before the last two
// and the error box when the system refuses. Every system call goes through
// PowerOps so the decisions can be checked without ending the session.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

enum class PowerAction : int32_t {
    Sleep = 1,
    Lock = 2,
    Restart = 3,
    ShutDown = 4,
};

struct PrivilegeOutcome {
    bool tokenOpened = false;
    bool enabled = false;
    DWORD error = 0;  // GetLastError of the step that failed
};

struct PowerOps {
    // Opens the process token and enables the shutdown privilege on it.
    std::function<PrivilegeOutcome()> enableShutdownPrivilege;
    // SetSuspendState, LockWorkStation, ExitWindowsEx: false with the error in GetLastError.
    std::function<bool()> suspend;
    std::function<bool()> lock;
    std::function<bool(UINT flags, DWORD reason)> exitWindows;
    // Starts a program hidden and waits up to waitMs for it. False when it did
    // not start (error set); else exitCode is its exit code, or STILL_ACTIVE.
    std::function<bool(const std::wstring& file, const std::wstring& parameters, DWORD waitMs, DWORD& exitCode,
                       DWORD& error)>
        startHidden;
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style)> messageBox;
};

PowerOps DefaultPowerOps();

bool PerformPowerAction(PowerAction action, HWND owner);
bool PerformPowerAction(PowerAction action, HWND owner, const PowerOps& ops);
bool EnableShutdownPrivilege();
bool EnableShutdownPrivilege(const PowerOps& ops);
void ShowPowerActionError(HWND owner, PowerAction action);
void ShowPowerActionError(HWND owner, PowerAction action, const PowerOps& ops);
