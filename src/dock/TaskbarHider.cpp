#include "dock/TaskbarHider.h"

#include <chrono>
#include <iterator>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/Log.h"
#include "platform/SystemTaskbar.h"
#include "platform/DetachedThread.h"
#include "platform/UniqueHandle.h"
#include "platform/WindowBase.h"

namespace {

constexpr wchar_t kEdgeGuardClass[] = L"VantreelEdgeGuard";
constexpr int kEdgeGuardHeight = 2;

// How long a hide waits for a starting watchdog to watch before it hides all
// the same: far more than a copy of the program takes on a busy machine.
constexpr DWORD kWatchdogArmWaitMs = 15000;

// One of this process's watchdog events, not signalled; empty when it cannot be made.
platform::UniqueHandle CreateOwnEvent(const std::wstring& name) {
    SetLastError(ERROR_SUCCESS);
    platform::UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    // A watchdog of an earlier hide may still hold the event, signalled: the new
    // watchdog would take that for a cancel and end at once.
    if (event && GetLastError() == ERROR_ALREADY_EXISTS) ResetEvent(event.get());
    return event;
}

platform::UniqueHandle CreateCancelEvent() { return CreateOwnEvent(WatchdogCancelEventName(GetCurrentProcessId())); }

// The watchdog process restoring `state`, or empty.
platform::UniqueHandle LaunchWatchdog(const std::wstring& path, uint32_t state) {
    if (path.empty()) return {};
    PROCESS_INFORMATION info = {};
    if (!StartWatchdogProcess(path, BuildWatchdogCommandLine(path, GetCurrentProcessId(), state, IsLogEnabled()), info))
        return {};
    const platform::UniqueHandle thread(info.hThread);  // only the process is waited on
    return platform::UniqueHandle(info.hProcess);
}

bool SetKillOnClose(HANDLE job, bool kill) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = kill ? JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE : 0;
    return SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits)) != FALSE;
}

}  // namespace

// A child whose start is cut short by this process's death would wait forever
// without ever running; inside a job that ends its processes when it closes,
// the cut-short start dies with this process. Once started the child leaves
// the job's grip, so it outlives this process as a watchdog must.
bool StartWatchdogProcess(const std::wstring& path, std::wstring commandLine, PROCESS_INFORMATION& info) {
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    platform::UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    std::vector<unsigned char> attributeBytes;
    auto* attributes = static_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(nullptr);
    HANDLE jobHandle = job.get();  // the list points at it until it is deleted
    if (job) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        attributeBytes.resize(size);
        attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBytes.data());
        if (!SetKillOnClose(job.get(), true) || !InitializeProcThreadAttributeList(attributes, 1, 0, &size)) {
            attributes = nullptr;
        } else if (!UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_JOB_LIST, &jobHandle,
                                              sizeof(jobHandle), nullptr, nullptr)) {
            DeleteProcThreadAttributeList(attributes);
            attributes = nullptr;
        }
    }
    bool started = false;
    if (attributes) {
        startup.lpAttributeList = attributes;
        started = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                 CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                                 &startup.StartupInfo, &info) != FALSE;
        if (started && !SetKillOnClose(job.get(), false)) {
            // Closing the job would end it: start it anew, plainly.
            TerminateProcess(info.hProcess, 0);
            const platform::UniqueHandle thread(info.hThread), process(info.hProcess);
            info = {};
            started = false;
        }
        DeleteProcThreadAttributeList(attributes);
    }
    job.reset();
    if (started) return true;
    // Without jobs for new processes: the plain start.
    STARTUPINFOW plain = {};
    plain.cb = sizeof(plain);
    return CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &plain, &info) != FALSE;
}

std::wstring BuildWatchdogCommandLine(const std::wstring& programPath, DWORD processId, uint32_t taskbarState,
                                      bool debugLog) {
    std::wstring eventName = WatchdogCancelEventName(processId);
    wchar_t commandLine[520];
    _snwprintf(commandLine, std::size(commandLine) - 1, L"\"%s\"%s --watchdog %lu %u %s", programPath.c_str(),
               debugLog ? L" --debug-log" : L"", static_cast<unsigned long>(processId),
               static_cast<unsigned>(taskbarState), eventName.c_str());
    commandLine[std::size(commandLine) - 1] = L'\0';
    return commandLine;
}

std::wstring WatchdogProgramPath(const std::wstring& program) {
    if (!program.empty()) return program;
    wchar_t own[MAX_PATH] = {};
    DWORD len = GetModuleFileNameW(nullptr, own, MAX_PATH);
    return len == 0 || len >= MAX_PATH ? std::wstring() : std::wstring(own, len);
}

TaskbarHider::~TaskbarHider() {
    // The dock's shutdown has normally restored already.
    if (hiding || rehideHook || cancelEvent || watchdogProcess || earlyWatchdog.valid()) Restore();
    if (edgeGuard) {
        DestroyWindow(edgeGuard);
        edgeGuard = nullptr;
    }
}

void TaskbarHider::Hide(bool skipWatchdog) { Run(skipWatchdog ? Request::HideSkippingWatchdog : Request::Hide); }

void TaskbarHider::Restore() { Run(Request::Restore); }

void TaskbarHider::Run(Request request) {
    if (busy) {
        pending = request;
        return;
    }
    busy = true;
    while (request != Request::None) {
        if (request == Request::Restore) {
            RestoreNow();
        } else {
            HideNow(request == Request::HideSkippingWatchdog);
        }
        request = std::exchange(pending, Request::None);
    }
    busy = false;
}

void TaskbarHider::HideNow(bool skipWatchdog) {
    if (hiding) {
        ShowSystemTaskbars(false);
        UpdateEdgeGuard();
        if (!skipWatchdog) StartWatchdog();
        return;
    }
    // The watchdog starts with the user's state before anything changes, so a
    // kill at any later moment finds a watchdog that restores that state. A
    // failed start still hides.
    TakeEarlyWatchdog(true);
    SaveSystemTaskbarState(savedState, stateSaved);
    hiding = true;
    StartWatchdog();
    RenewStaleWatchdog();
    SetSystemTaskbarAutoHide(true, savedState, stateSaved);
    SetTaskbarRehideActive(true);
    ShowSystemTaskbars(false);
    if (!rehideHook) {
        rehideHook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_LOCATIONCHANGE, nullptr, &TaskbarHider::OnWinEvent,
                                     0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    }
    UpdateEdgeGuard();
    LogMessage(L"System taskbars hidden (savedState=%u)", static_cast<unsigned>(savedState));
}

void TaskbarHider::StartWatchdog() {
    if (!hiding) return;
    TakeEarlyWatchdog(true);
    if (watchdogProcess || cancelEvent) return;
    cancelEvent = CreateCancelEvent();
    if (!cancelEvent) return;
    // Without a process the event stays, so no second attempt is made.
    watchdogState = stateSaved ? (savedState & 3) : 0;
    watchdogProcess = LaunchWatchdog(WatchdogProgramPath(watchdogProgram), watchdogState);
}

void TaskbarHider::StartWatchdogEarly() {
    if (hiding || watchdogProcess || cancelEvent || earlyWatchdog.valid()) return;
    const std::wstring path = WatchdogProgramPath(watchdogProgram);
    if (path.empty()) return;
    try {
        std::promise<EarlyWatchdog> promise;
        earlyWatchdog = promise.get_future();
        // Detached with its own promise: the hide takes the result, and nothing
        // ever waits for the thread itself.
        platform::StartDetachedThread([path, promise = std::move(promise)]() mutable {
            EarlyWatchdog started;
            SaveSystemTaskbarState(started.state, started.stateSaved);
            started.cancelEvent = CreateCancelEvent();
            const platform::UniqueHandle armed = CreateOwnEvent(WatchdogArmedEventName(GetCurrentProcessId()));
            if (started.cancelEvent) started.process = LaunchWatchdog(path, started.state & 3);
            // A copy of the program takes most of a second to come up, more on
            // a busy machine; hidden before it watches, a dock killed meanwhile
            // would leave the taskbar hidden until it does.
            if (started.process && armed) {
                const HANDLE either[2] = {armed.get(), started.process.get()};
                WaitForMultipleObjects(2, either, FALSE, kWatchdogArmWaitMs);
            }
            promise.set_value(std::move(started));
        });
    } catch (const std::system_error&) {
        earlyWatchdog = {};  // the first hide starts the watchdog itself
    }
}

bool TaskbarHider::WatchdogStarting() const {
    return earlyWatchdog.valid() && earlyWatchdog.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready;
}

void TaskbarHider::TakeEarlyWatchdog(bool withState) {
    if (!earlyWatchdog.valid()) return;
    EarlyWatchdog started;
    try {
        started = earlyWatchdog.get();
    } catch (const std::future_error&) {
        return;  // the worker never ran: the hide starts the watchdog itself
    }
    earlyWatchdog = {};
    if (withState && started.stateSaved && !stateSaved) {
        savedState = started.state;
        stateSaved = true;
    }
    cancelEvent = std::move(started.cancelEvent);
    watchdogProcess = std::move(started.process);
    watchdogState = started.state & 3;
}

void TaskbarHider::RenewStaleWatchdog() {
    if (!hiding || !watchdogProcess || !stateSaved || watchdogState == (savedState & 3)) return;
    platform::UniqueHandle renewed = LaunchWatchdog(WatchdogProgramPath(watchdogProgram), savedState & 3);
    if (!renewed) return;
    // The old copy waits on the same cancel event; ended this way it restores nothing.
    TerminateProcess(watchdogProcess.get(), 0);
    watchdogProcess = std::move(renewed);
    watchdogState = savedState & 3;
}

void TaskbarHider::RestoreNow() {
    // A watchdog started early is cancelled like any other.
    TakeEarlyWatchdog(false);
    if (rehideHook) {
        UnhookWinEvent(rehideHook);
        rehideHook = nullptr;
    }
    SetTaskbarRehideActive(false);
    // The taskbar is back before the watchdog is cancelled: a kill in between
    // leaves a watchdog that restores it once more, never a hidden taskbar.
    SetSystemTaskbarAutoHide(false, savedState, stateSaved);
    ShowSystemTaskbars(true);
    hiding = false;
    UpdateEdgeGuard();
    if (cancelEvent) {
        SetEvent(cancelEvent.get());
        cancelEvent.reset();
    }
    if (watchdogProcess) {
        // A copy that has not seen the cancel yet (it may not have opened the
        // event) would later write this hide's state over the user's own.
        if (WaitForSingleObject(watchdogProcess.get(), 400) == WAIT_TIMEOUT) TerminateProcess(watchdogProcess.get(), 0);
        watchdogProcess.reset();
    }
    LogMessage(L"System taskbars restored");
}

int TaskbarHider::HideShownTaskbars() {
    if (!hiding || busy) return 0;
    std::vector<HWND> shown;
    for (const wchar_t* name : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"}) {
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, name, nullptr))) {
            if (IsWindowVisible(window)) shown.push_back(window);
        }
    }
    // Hidden only once found: a hidden window goes to the bottom of the
    // z-order, and the search above walks that order.
    for (HWND window : shown) HideTaskbarWindow(window);
    if (!shown.empty()) {
        LogMessage(L"System taskbar shown again: hidden (%d windows)", static_cast<int>(shown.size()));
    }
    return static_cast<int>(shown.size());
}

void TaskbarHider::UpdateEdgeGuard() {
    if (!edgeGuard) return;
    if (!hiding || fullscreenSuppressed) {
        ShowWindow(edgeGuard, SW_HIDE);
        return;
    }
    HMONITOR target = monitor ? monitor : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(target, &info)) return;
    const RECT& r = info.rcMonitor;
    HWND after = zOrderAnchor && IsWindow(zOrderAnchor) ? zOrderAnchor : HWND_TOPMOST;
    SetWindowPos(edgeGuard, after, r.left, r.bottom - kEdgeGuardHeight, r.right - r.left, kEdgeGuardHeight,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void CALLBACK TaskbarHider::OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG idObject, LONG idChild, DWORD,
                                       DWORD) {
    if (!IsTaskbarRehideActive() || !window || idObject != OBJID_WINDOW || idChild != CHILDID_SELF) return;
    if (event != EVENT_OBJECT_SHOW && event != EVENT_OBJECT_LOCATIONCHANGE) return;
    if (!IsTaskbarWindowClass(window) || !IsWindow(window)) return;
    HideTaskbarWindow(window);
}

LRESULT CALLBACK EdgeGuardWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HWND CreateEdgeGuardWindow(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &EdgeGuardWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kEdgeGuardClass;
    if (!platform::RegisterWindowClass(windowClass)) return nullptr;
    // Where the system ignores WS_EX_NOREDIRECTIONBITMAP the window would show
    // its unpainted surface; as a layered window of alpha 1 it stays invisible
    // and still takes the pointer.
    HWND guard =
        CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_NOREDIRECTIONBITMAP | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED,
                        kEdgeGuardClass, L"VantreelEdgeGuard", WS_POPUP, 0, 0, 100, kEdgeGuardHeight, nullptr, nullptr,
                        instance, nullptr);
    if (guard) SetLayeredWindowAttributes(guard, 0, 1, LWA_ALPHA);
    return guard;
}
