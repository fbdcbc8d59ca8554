#pragma once
// What the command line asks of this start. Pure parsing: no system calls, so
// every rule is testable.

#include <cstdint>
#include <string>
#include <vector>

enum class StartMode {
    Dock,            // the normal start (the logon-task flags may still divert it)
    Watchdog,        // --watchdog pid state event
    RestoreTaskbar,  // --restore-taskbar
};

struct WatchdogArgs {
    uint32_t processId = 0;
    uint32_t taskbarState = 0;
    std::wstring eventName;
};

struct CommandLineOptions {
    StartMode mode = StartMode::Dock;
    WatchdogArgs watchdog;
    bool keepTaskbar = false;
    bool debugLog = false;
    bool installTask = false;
    bool removeTask = false;
    int32_t testAllAppsMs = 0;
    // Diagnostics: where the dock writes its composed frame whenever it comes to rest.
    std::wstring dumpFramePath;
    // Arguments that matched no option: skipped, and named in the debug log.
    std::vector<std::wstring> unknown;
};

// args[0] is the program path and is skipped. --watchdog and --restore-taskbar
// end the parse at once (nothing after them is read).
CommandLineOptions ParseCommandLine(const std::vector<std::wstring>& args);

// Leading decimal digits; text that is no number reads as 0. Saturates.
int64_t ParseLeadingInteger(const std::wstring& text);

// The process's own arguments (CommandLineToArgvW over GetCommandLineW).
std::vector<std::wstring> ProcessArguments();
