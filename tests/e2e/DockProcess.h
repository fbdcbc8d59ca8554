#pragma once
// The program started from its own copy of the program folder with a
// configuration the test writes, kept running while the test looks at its
// windows, logs and pixels, and stopped by WM_CLOSE like the system would.

#include <windows.h>

#include <functional>
#include <string>

#include "config/DockConfig.h"
#include "support/TestSupport.h"

class DockProcess {
public:
    DockProcess();
    ~DockProcess();
    DockProcess(const DockProcess&) = delete;
    DockProcess& operator=(const DockProcess&) = delete;

    // Copies the program, writes the configuration beside it, starts it.
    bool Start(const DockConfig& config, const std::wstring& arguments = L"--debug-log");
    // Posts WM_CLOSE to the input window; the exit code, or ~0u when it did not end.
    DWORD CloseAndWait(DWORD timeoutMs = 30000);
    // The exit code once the program ended by itself, or ~0u when it still runs.
    DWORD WaitForExit(DWORD timeoutMs);

    HWND FindWindowOfClass(const wchar_t* className) const;
    HWND InputWindow() const { return FindWindowOfClass(L"VantreelInputWindow"); }
    HWND VisualWindow() const { return FindWindowOfClass(L"VantreelVisualWindow"); }
    bool IsRunning() const;
    // Whether its UI thread answers: it does once done with the message it was
    // handling, so what that message did before it returned is done.
    bool Answers() const;
    // Ends the program as a crash or the task manager would, without a word to it.
    bool Kill();

    std::wstring StartupLogText() const;
    // When the start-up log says the milestone came, in its milliseconds since the start; -1 before.
    double MilestoneMs(const wchar_t* milestone) const;
    std::string DebugLog() const;
    std::string ConfigFileText() const;
    // For a test that waited in vain: whether the program still runs, its
    // exit code, its input window and the ends of both its logs.
    std::string Describe() const;
    const testing_support::TempDir& Folder() const { return dir_; }

private:
    testing_support::TempDir dir_;
    PROCESS_INFORMATION process_ = {};
};

// Polls until the predicate holds or the time is up. Every wait is on what
// the program does and its bound only guards against one that never ends, so
// none is shorter than kLeastWaitMs: two test lanes beside a busy machine
// outran bounds of two or three seconds.
constexpr DWORD kLeastWaitMs = 15000;
bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs);
// Whether keys now go to the window: the focus of its thread, which a window
// that takes the foreground sets a moment after.
bool HasKeyboardFocus(HWND window);

// Starts the dock with `config` and waits until it has read the window list,
// made its input window and its top bar.
bool StartAndWaitForWindowList(DockProcess& dock, const DockConfig& config, DWORD timeoutMs = 30000);

// How many processes run the program copy in this folder (the dock and its watchdog).
int ProgramCopiesRunning(const std::wstring& folder);

// The configuration the tests start with: defaults, taskbar left alone, one pinned program.
DockConfig TestDockConfig();
