#include "program/VantreelMain.h"

#include <commctrl.h>
#include <ole2.h>

#include <memory>

#include "app/CommandLine.h"
#include "app/CommandLineModes.h"
#include "app/CrashLog.h"
#include "app/FramePacer.h"
#include "platform/InstanceNames.h"
#include "platform/Log.h"
#include "platform/UniqueHandle.h"
#include "app/MainLoop.h"
#include "dock/DockWindow.h"

namespace {

constexpr ULONGLONG kFreshBootMs = 300000;  // the debug log is on during the first five minutes

// Opts the process out of execution-speed throttling; the result does not matter.
void OptOutOfPowerThrottling() {
    PROCESS_POWER_THROTTLING_STATE state = {};
    state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
    state.ControlMask = PROCESS_POWER_THROTTLING_EXECUTION_SPEED;
    state.StateMask = 0;
    SetProcessInformation(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof(state));
}

// A mistyped option is skipped; the log says which, or the run would simply
// behave as if it had never been given.
void LogUnknownOptions(const CommandLineOptions& options) {
    for (const std::wstring& option : options.unknown)
        LogMessage(L"Command line: %s is no option; skipped", option.c_str());
}

}  // namespace

int VantreelMain(HINSTANCE instance) {
    CommandLineOptions options = ParseCommandLine(ProcessArguments());
    if (options.mode == StartMode::Watchdog) {
        InitializeLog(options.debugLog);
        return RunWatchdogMode(options.watchdog);
    }
    if (options.mode == StartMode::RestoreTaskbar) return RunRestoreTaskbarMode();

    bool debugLog = options.debugLog || GetTickCount64() < kFreshBootMs;
    // The logon task is the user's to change whether or not a dock runs: a
    // second instance that did nothing would report success for a change it
    // never made.
    if (options.installTask || options.removeTask) {
        InitializeLog(debugLog);
        LogUnknownOptions(options);
        return RunLogonTaskMode(options.installTask);
    }

    const platform::UniqueHandle mutex(CreateMutexW(nullptr, TRUE, kSingleInstanceMutexName));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    InitializeLog(debugLog);
    LogUnknownOptions(options);

    SetUnhandledExceptionFilter(CrashExceptionFilter);
    InstallTerminateHandlers();
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    OptOutOfPowerThrottling();
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (FAILED(OleInitialize(nullptr))) return 1;

    // The dock is large; it lives on the heap but is owned here for the whole run.
    auto dock = std::make_unique<DockWindow>();
    dock->frameDumpPath = options.dumpFramePath;
    if (!dock->Initialize(instance, options.keepTaskbar)) {
        LogMessage(L"Vantreel initialization failed");
        dock.reset();
        OleUninitialize();
        return 1;
    }
    if (options.testAllAppsMs != 0 && dock->InputWindow()) {
        SetTimer(dock->InputWindow(), kTestAllAppsTimerId, static_cast<UINT>(options.testAllAppsMs), nullptr);
    }

    FramePacer pacer;
    int exitCode = RunDock(*dock, pacer);
    dock.reset();
    OleUninitialize();
    return exitCode;
}
