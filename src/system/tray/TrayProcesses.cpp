#include "system/tray/TrayProcesses.h"

#include <psapi.h>

#include <algorithm>

#include "config/PathText.h"
#include "platform/UniqueHandle.h"

namespace {

constexpr std::wstring_view kShellProcesses[] = {
    L"explorer.exe", L"vantreel.exe",      L"sihost.exe",    L"ctfmon.exe",  L"searchhost.exe", L"runtimebroker.exe",
    L"narrator.exe", L"textinputhost.exe", L"shellhost.exe", L"conhost.exe", L"dllhost.exe",
};
static_assert(std::size(kShellProcesses) == 11);

constexpr std::wstring_view kHelperWindowClasses[] = {
    L"IME",
    L"MSCTFIME UI",
    L"OleDdeWndClass",
    L"OleMainThreadWndClass",
    L"GDI+ Hook Window Class",
    L"Base_PowerMessageWindow",
    L"Electron_NotifyIconHostWindow",
    L"Chrome_StatusTrayWindow",
    L"Chrome_WidgetWin_0",
    L"crashpad_SessionEndWatcher",
    L"global_hotkey_app",
    L"SoPY_Comp",
    L"SoPY_Status",
    L"SoPY_Hint",
    L"SoPY_UI",
    L"Sogou_TSF_UI",
    L"FlClashSystemProxySession",
    L"FlClashTray",
    L"Shell_TrayWnd",
    L"Tooltips_class32",
    L"ComboLBox",
    L"#32768",
};
static_assert(std::size(kHelperWindowClasses) == 22);

constexpr std::wstring_view kHelperClassParts[] = {L"NotifyIcon", L"MessageWindow", L"SessionWatcher", L"TrayWnd",
                                                   L"IME"};
static_assert(std::size(kHelperClassParts) == 5);

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

bool ContainsNoCase(std::wstring_view text, std::wstring_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); }) != text.end();
}

// The ids of the running processes, in the system's order; empty when they
// cannot be read. Cheaper than a Toolhelp snapshot, which copies every entry
// into a section of its own, and the tray pass takes one every second.
std::vector<DWORD> RunningProcessIds() {
    std::vector<DWORD> ids(512);
    for (;;) {
        DWORD bytes = 0;
        if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return {};
        // A full buffer may have cut the list short: ask again with more room.
        if (bytes < ids.size() * sizeof(DWORD)) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

}  // namespace

std::wstring ProcessImagePath(uint32_t pid) {
    const platform::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return {};
    wchar_t path[520] = {};
    DWORD size = static_cast<DWORD>(std::size(path));
    std::wstring result;
    if (QueryFullProcessImageNameW(process.get(), 0, path, &size)) result.assign(path, size);
    return result;
}

RunningExeMap SnapshotProcesses() {
    RunningExeMap map;
    DWORD self = GetCurrentProcessId();
    for (const DWORD pid : RunningProcessIds()) {
        if (pid <= 4 || pid == self) continue;
        std::wstring path = ProcessImagePath(pid);
        if (path.empty()) continue;
        std::wstring key = NormalizePathKey(path);
        if (IsShellProcess(key)) continue;
        RunningExe& exe = map[key];
        exe.pids.push_back(pid);
        if (exe.imagePath.empty()) exe.imagePath = path;
    }
    return map;
}

bool IsShellProcess(const std::wstring& normalizedPath) {
    size_t cut = normalizedPath.find_last_of(L"\\/");
    std::wstring_view name = cut == std::wstring::npos ? std::wstring_view(normalizedPath)
                                                       : std::wstring_view(normalizedPath).substr(cut + 1);
    return std::find(std::begin(kShellProcesses), std::end(kShellProcesses), name) != std::end(kShellProcesses);
}

std::unordered_set<uint32_t> FindProcessesByExe(const std::vector<std::wstring>& exePaths, uint32_t extraPid) {
    std::unordered_set<uint32_t> result;
    std::unordered_set<std::wstring> keys;
    for (const std::wstring& path : exePaths) {
        if (!path.empty()) keys.insert(NormalizePathKey(path));
    }
    if (keys.empty()) return result;
    if (extraPid != 0 && keys.count(NormalizePathKey(ProcessImagePath(extraPid)))) result.insert(extraPid);
    for (const DWORD pid : RunningProcessIds()) {
        if (pid <= 4) continue;
        std::wstring path = ProcessImagePath(pid);
        if (!path.empty() && keys.count(NormalizePathKey(path))) result.insert(pid);
    }
    return result;
}

bool IsHelperWindowClass(std::wstring_view className) {
    if (className.empty()) return true;
    for (std::wstring_view helper : kHelperWindowClasses) {
        if (EqualsNoCase(className, helper)) return true;
    }
    for (std::wstring_view part : kHelperClassParts) {
        if (ContainsNoCase(className, part)) return true;
    }
    return false;
}
