#pragma once
// The names by which copies of the program find one another in a session: the
// running dock, its input window and the watchdog's events.

#include <windows.h>

#include <cwchar>
#include <iterator>
#include <string>

// Held by the running dock for its whole run.
inline constexpr wchar_t kSingleInstanceMutexName[] = L"Local\\Vantreel_SingleInstance";

// The class of the dock's input window; one per session.
inline constexpr wchar_t kDockInputWindowClass[] = L"VantreelInputWindow";

// Registered message: leave the system taskbar to the user for the rest of
// this run (the file keeps the user's setting). Answered with 1.
inline constexpr wchar_t kLeaveTaskbarMessageName[] = L"Vantreel_LeaveTaskbar";

inline std::wstring WatchdogEventName(const wchar_t* kind, DWORD dockProcessId) {
    wchar_t name[128];
    _snwprintf(name, std::size(name) - 1, L"Local\\Vantreel_Watchdog%s_%lu", kind,
               static_cast<unsigned long>(dockProcessId));
    name[std::size(name) - 1] = L'\0';
    return name;
}

// "Local\Vantreel_WatchdogCancel_<pid>": set by the dock that ends in order.
inline std::wstring WatchdogCancelEventName(DWORD dockProcessId) { return WatchdogEventName(L"Cancel", dockProcessId); }

// "Local\Vantreel_WatchdogArmed_<pid>": set by the watchdog once it watches.
inline std::wstring WatchdogArmedEventName(DWORD dockProcessId) { return WatchdogEventName(L"Armed", dockProcessId); }
