// Power actions: the decisions and texts. The system calls are in PowerOps.
#include "system/PowerActions.h"

#include "platform/Log.h"

namespace {

constexpr DWORD kPlannedOperatingSystemReason = SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_OPERATINGSYSTEM;
constexpr DWORD kFallbackWaitMs = 5000;

const wchar_t* ActionWord(PowerAction action) {
    switch (action) {
        case PowerAction::Sleep:
            return L"睡眠";
        case PowerAction::Lock:
            return L"锁屏";
        case PowerAction::Restart:
            return L"重新启动";
        case PowerAction::ShutDown:
            return L"关机";
        default:
            return L"操作";
    }
}

}  // namespace

bool EnableShutdownPrivilege(const PowerOps& ops) {
    const PrivilegeOutcome outcome = ops.enableShutdownPrivilege();
    if (!outcome.tokenOpened) {
        LogMessage(L"EnableShutdownPrivilege: OpenProcessToken failed (%lu)", outcome.error);
        return false;
    }
    if (!outcome.enabled) LogMessage(L"EnableShutdownPrivilege: unavailable (err=%lu)", outcome.error);
    return outcome.enabled;
}

bool EnableShutdownPrivilege() { return EnableShutdownPrivilege(DefaultPowerOps()); }

void ShowPowerActionError(HWND owner, PowerAction action, const PowerOps& ops) {
    ops.messageBox(owner, std::wstring(ActionWord(action)) + L"失败。请检查系统电源策略或当前账户权限。", L"Vantreel",
                   MB_ICONERROR);
}

void ShowPowerActionError(HWND owner, PowerAction action) { ShowPowerActionError(owner, action, DefaultPowerOps()); }

bool PerformPowerAction(PowerAction action, HWND owner, const PowerOps& ops) {
    switch (action) {
        case PowerAction::Sleep:
            EnableShutdownPrivilege(ops);
            if (ops.suspend()) return true;
            LogMessage(L"SetSuspendState failed (%lu)", GetLastError());
            ShowPowerActionError(owner, action, ops);
            return false;
        case PowerAction::Lock:
            if (ops.lock()) return true;
            LogMessage(L"LockWorkStation failed (%lu)", GetLastError());
            ShowPowerActionError(owner, action, ops);
            return false;
        case PowerAction::Restart:
        case PowerAction::ShutDown:
            break;
        default:
            return false;
    }
    const bool restart = action == PowerAction::Restart;
    const wchar_t* question = restart ? L"确定要立即重新启动电脑吗？\n未保存的内容可能丢失。"
                                      : L"确定要立即关闭电脑吗？\n未保存的内容可能丢失。";
    const UINT style = MB_YESNO | MB_DEFBUTTON2 | (restart ? MB_ICONQUESTION : MB_ICONWARNING);
    if (ops.messageBox(owner, question, L"Vantreel 电源确认", style) != IDYES) return true;
    EnableShutdownPrivilege(ops);
    const UINT flags = (restart ? EWX_REBOOT : EWX_POWEROFF) | EWX_FORCEIFHUNG;
    if (ops.exitWindows(flags, kPlannedOperatingSystemReason)) return true;
    LogMessage(L"ExitWindowsEx(0x%X) failed (%lu); falling back to shutdown.exe", flags, GetLastError());
    // Having started shutdown.exe says nothing about whether it may shut down:
    // its exit code does. One still running after the wait counts as started.
    DWORD exitCode = 0;
    DWORD error = 0;
    const bool started =
        ops.startHidden(L"shutdown.exe", restart ? L"/r /t 0" : L"/s /t 0", kFallbackWaitMs, exitCode, error);
    if (started && (exitCode == 0 || exitCode == STILL_ACTIVE)) return true;
    LogMessage(L"shutdown.exe fallback failed (%lld)", static_cast<long long>(started ? exitCode : error));
    ShowPowerActionError(owner, action, ops);
    return false;
}

bool PerformPowerAction(PowerAction action, HWND owner) { return PerformPowerAction(action, owner, DefaultPowerOps()); }
