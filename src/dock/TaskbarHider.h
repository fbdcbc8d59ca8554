#pragma once
// Hides the system taskbar while the dock runs and puts it back: auto-hide on
// (the user's state remembered), the taskbar windows hidden and hidden again
// whenever the shell shows or moves them, and a 2-pixel edge guard along the
// monitor's bottom edge that takes the pointer there. A watchdog copy of the
// program restores the taskbar should the dock die without restoring it.

#include <windows.h>

#include <cstdint>
#include <future>
#include <string>

#include "platform/InstanceNames.h"
#include "platform/UniqueHandle.h"

class TaskbarHider {
public:
    TaskbarHider() = default;
    TaskbarHider(const TaskbarHider&) = delete;
    TaskbarHider& operator=(const TaskbarHider&) = delete;
    ~TaskbarHider();

    // The first call hides; later calls hide again. The first hide always
    // starts the watchdog before anything is hidden; skipWatchdog only spares
    // the later calls the attempt.
    void Hide(bool skipWatchdog);
    // Starts the watchdog once while hiding.
    void StartWatchdog();
    // A copy of the program takes most of a second to start, so a dock about to
    // hide the taskbar reads the user's state and starts the watchdog carrying
    // it on a worker, and hides once that watchdog says it watches; the first hide takes that
    // watchdog, and a restore cancels it whether or not anything was hidden.
    // Does nothing while hiding or while a watchdog exists or is starting.
    void StartWatchdogEarly();
    // The early start is still under way: a hide now would wait for it.
    bool WatchdogStarting() const;
    // A watchdog started before the taskbar's state could be read carries 0,
    // which would switch the user's auto-hide off should the dock die: once the
    // state is read, a watchdog carrying it takes the old one's place.
    void RenewStaleWatchdog();
    // Runs whether or not hiding is active.
    void Restore();
    // Both of the above wait on the shell's windows, and a message sent to this
    // thread meanwhile (the session ending, the shell restarting) may ask for
    // the other one before the first is done. Such a request runs right after
    // the one under way, so the last request holds and none is left half-done.
    // Shows the edge guard along the monitor's bottom edge while hiding and no
    // full-screen window is up; hides it otherwise.
    void UpdateEdgeGuard();

    bool IsHiding() const { return hiding; }

    // The shell may show a taskbar again without a word: no "TaskbarCreated",
    // and no show event where those of other processes do not come. While
    // hiding, every taskbar window that is visible is hidden again; returns
    // how many were.
    int HideShownTaskbars();

    // The WinEvent callback of the re-hide hook: a taskbar window that the shell
    // shows or moves while hiding is hidden again.
    static void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG idObject, LONG idChild,
                                    DWORD thread, DWORD time);

    HINSTANCE instance = nullptr;
    HMONITOR monitor = nullptr;
    HWND edgeGuard = nullptr;
    HWND zOrderAnchor = nullptr;
    HWINEVENTHOOK rehideHook = nullptr;
    platform::UniqueHandle cancelEvent;
    platform::UniqueHandle watchdogProcess;
    uint32_t savedState = 0;
    bool stateSaved = false;
    bool hiding = false;
    bool fullscreenSuppressed = false;
    // The program the watchdog runs; empty means this executable.
    std::wstring watchdogProgram;
    // The taskbar state the running watchdog restores.
    uint32_t watchdogState = 0;

private:
    struct EarlyWatchdog {
        platform::UniqueHandle cancelEvent;
        platform::UniqueHandle process;
        uint32_t state = 0;
        bool stateSaved = false;
    };
    // Waits for the early start and takes its watchdog (and, when hiding, the
    // state it read).
    void TakeEarlyWatchdog(bool withState);
    std::future<EarlyWatchdog> earlyWatchdog;
    enum class Request : uint8_t { None, Hide, HideSkippingWatchdog, Restore };
    void Run(Request request);
    void HideNow(bool skipWatchdog);
    void RestoreNow();
    bool busy = false;
    Request pending = Request::None;
};

LRESULT CALLBACK EdgeGuardWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers "VantreelEdgeGuard" (once) and creates the guard, hidden; null on failure.
HWND CreateEdgeGuardWindow(HINSTANCE instance);

// The watchdog's command line: the quoted program path, --watchdog, the dock's
// process id, the taskbar state to restore and the cancel event's name;
// --debug-log before them when the watchdog is to log what it did.
std::wstring BuildWatchdogCommandLine(const std::wstring& programPath, DWORD processId, uint32_t taskbarState,
                                      bool debugLog = false);

// Starts the program (no window, nothing inherited) so that it outlives this
// process, but never survives as a copy whose start this process's death cut short.
bool StartWatchdogProcess(const std::wstring& path, std::wstring commandLine, PROCESS_INFORMATION& info);

// The watchdog's program: `program`, or this executable when it is empty;
// empty when this executable's path does not fit.
std::wstring WatchdogProgramPath(const std::wstring& program);
