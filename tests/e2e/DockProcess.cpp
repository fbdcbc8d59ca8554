#include "DockProcess.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "config/Paths.h"
#include "config/PathText.h"

using namespace testing_support;

DockProcess::DockProcess() = default;

DockProcess::~DockProcess() {
    if (process_.hProcess) {
        if (IsRunning()) {
            TerminateProcess(process_.hProcess, 0xDEAD);
            WaitForSingleObject(process_.hProcess, 10000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

bool DockProcess::Start(const DockConfig& config, const std::wstring& arguments) {
    std::wstring exe = dir_.File(L"vantreel.exe");
    if (!CopyFileW((BinDir() + L"\\vantreel.exe").c_str(), exe.c_str(), FALSE)) return false;
    WriteFileBytes(dir_.File(L"vantreel.json"), DockConfig::ToJson(config));
    // The start-up log of an earlier run must not pass for this one's.
    DeleteFileW((GetCacheDirectory() + L"\\startup.log").c_str());
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, dir_.Path().c_str(),
                          &startup, &process_) != FALSE;
}

bool DockProcess::IsRunning() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool DockProcess::Answers() const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(InputWindow(), WM_NULL, 0, 0, SMTO_NORMAL, kLeastWaitMs, &result) != 0;
}

bool DockProcess::Kill() {
    if (!process_.hProcess || !TerminateProcess(process_.hProcess, 0xDEAD)) return false;
    return WaitForSingleObject(process_.hProcess, 10000) == WAIT_OBJECT_0;
}

DWORD DockProcess::CloseAndWait(DWORD timeoutMs) {
    HWND input = InputWindow();
    if (!input) return ~0u;
    PostMessageW(input, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return ~0u;
    DWORD code = ~0u;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

DWORD DockProcess::WaitForExit(DWORD timeoutMs) {
    if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return ~0u;
    DWORD code = ~0u;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

HWND DockProcess::FindWindowOfClass(const wchar_t* className) const {
    struct Search {
        DWORD pid;
        const wchar_t* className;
        HWND found;
    } search{process_.dwProcessId, className, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            wchar_t name[128] = {};
            GetClassNameW(hwnd, name, 128);
            if (pid == s->pid && wcscmp(name, s->className) == 0) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring DockProcess::StartupLogText() const {
    auto bytes = ReadFileBytes(GetCacheDirectory() + L"\\startup.log");
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty()) memcpy(text.data(), bytes.data(), text.size() * 2);
    return text;
}

double DockProcess::MilestoneMs(const wchar_t* milestone) const {
    const std::wstring log = StartupLogText();
    const size_t at = log.find(milestone);
    if (at == std::wstring::npos) return -1.0;
    const size_t line = log.rfind(L'\n', at);
    return wcstod(log.c_str() + (line == std::wstring::npos ? 0 : line + 1), nullptr);
}

std::string DockProcess::DebugLog() const {
    auto bytes = ReadFileBytes(dir_.File(L"vantreel.log"));
    return std::string(bytes.begin(), bytes.end());
}

std::string DockProcess::Describe() const {
    DWORD code = ~0u;
    if (process_.hProcess) GetExitCodeProcess(process_.hProcess, &code);
    std::string debugLog = DebugLog();
    if (debugLog.size() > 4000) debugLog.erase(0, debugLog.size() - 4000);
    const std::wstring startupLog = StartupLogText();
    char head[160];
    snprintf(head, sizeof(head), "%s (exit code 0x%08lX), input window %p", IsRunning() ? "still running" : "ended",
             static_cast<unsigned long>(code), static_cast<void*>(InputWindow()));
    const auto crash = ReadFileBytes(dir_.File(L"Vantreel-crash.log"));
    return std::string(head) + "\nstart-up log:\n" + std::string(startupLog.begin(), startupLog.end()) +
           "\nlog:\n" + debugLog + "\ncrash log:\n" + std::string(crash.begin(), crash.end());
}

std::string DockProcess::ConfigFileText() const {
    auto bytes = ReadFileBytes(dir_.File(L"vantreel.json"));
    return std::string(bytes.begin(), bytes.end());
}

bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + std::max<DWORD>(timeoutMs, kLeastWaitMs);
    for (;;) {
        if (predicate()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
}

bool HasKeyboardFocus(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus == window;
}

DockConfig TestDockConfig() {
    DockConfig config;
    config.hideTaskbar = false;
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring notepad = std::wstring(windows) + L"\\notepad.exe";
    config.pinned.push_back({L"Notepad", notepad, L"", NormalizePathKey(notepad)});
    return config;
}

int ProgramCopiesRunning(const std::wstring& folder) {
    int count = 0;
    std::wstring exe = folder + L"\\vantreel.exe";
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"vantreel.exe") != 0) continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process) {
            ++count;  // a copy that cannot be asked still runs
            continue;
        }
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (!QueryFullProcessImageNameW(process, 0, path, &size) || _wcsicmp(path, exe.c_str()) == 0) ++count;
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return count;
}

bool StartAndWaitForWindowList(DockProcess& dock, const DockConfig& config, DWORD timeoutMs) {
    if (!dock.Start(config)) return false;
    if (WaitUntil(
            [&] {
                const std::wstring log = dock.StartupLogText();
                return log.find(L"window list scanned") != std::wstring::npos &&
                       log.find(L"top bar ready") != std::wstring::npos && dock.InputWindow();
            },
            timeoutMs)) {
        return true;
    }
    // What the failing test cannot see from its own side.
    fprintf(stderr, "the dock did not come up: %s\n", dock.Describe().c_str());
    return false;
}
