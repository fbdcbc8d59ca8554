#include "system/ForegroundApp.h"

#include <iterator>

#include "config/PathText.h"
#include "platform/UniqueHandle.h"

namespace vantreel {
namespace {

struct ExeName {
    std::wstring_view stem;  // lower case, compared whole
    std::wstring_view name;
};

constexpr ExeName ExeNameTable[] = {
    {L"explorer", L"文件资源管理器"},
    {L"notepad", L"记事本"},
    {L"msedge", L"Microsoft Edge"},
    {L"chrome", L"Google Chrome"},
    {L"firefox", L"Firefox"},
    {L"wt", L"终端"},
    {L"windowsterminal", L"终端"},
    {L"powershell", L"PowerShell"},
    {L"pwsh", L"PowerShell"},
    {L"cmd", L"命令提示符"},
    {L"code", L"Visual Studio Code"},
    {L"taskmgr", L"任务管理器"},
    {L"calc", L"计算器"},
    {L"calculatorapp", L"计算器"},
    {L"mspaint", L"画图"},
    {L"wechat", L"微信"},
    {L"weixin", L"微信"},
    {L"qq", L"QQ"},
    {L"quark", L"夸克"},
    {L"antigravity", L"Antigravity"},
};
static_assert(std::size(ExeNameTable) == 20);

// The shell's desktop and taskbar windows, which stand for "no application".
constexpr std::wstring_view kDesktopClasses[] = {L"Progman", L"WorkerW", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"};

void ReadWindowFlags(ForegroundAppInfo& info) {
    info.topmost = (GetWindowLongPtrW(info.hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    info.zoomed = IsZoomed(info.hwnd) != FALSE;
}

bool IsShownWindow(HWND window) { return window && IsWindow(window) && IsWindowVisible(window); }

std::wstring ProcessImagePath(DWORD processId) {
    const platform::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    wchar_t buffer[520] = {};
    DWORD length = 520;
    std::wstring path;
    if (QueryFullProcessImageNameW(process.get(), 0, buffer, &length)) path.assign(buffer, length);
    return path;
}

}  // namespace

std::wstring_view ExeFileStem(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    if (name == L"." || name == L"..") return name;
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos || dot == 0) return name;
    return name.substr(0, dot);
}

std::wstring AppDisplayNameFromExe(const std::wstring& exePath, HWND window) {
    const std::wstring_view stem = ExeFileStem(exePath);
    const std::wstring key = NormalizePathKey(stem);
    if (key == L"applicationframehost") {
        // Packaged applications all run under the frame host: their window
        // title is the only name they have here.
        wchar_t title[256] = {};
        if (window && GetWindowTextW(window, title, 256) > 0) return title;
    }
    for (const ExeName& row : ExeNameTable)
        if (key == row.stem) return std::wstring(row.name);
    if (stem.empty()) return L"应用";
    return std::wstring(stem);
}

ForegroundAppInfo GetForegroundAppInfo(const ForegroundAppInfo* previous) {
    const HWND window = GetForegroundWindow();
    if (!IsShownWindow(window)) return {};
    // The desktop window itself can hold the foreground (when every other
    // window is gone); it is the desktop, not the shell's process.
    if (window == GetDesktopWindow()) return {};

    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId()) {
        // One of our own windows (a popover, the all-apps window) is in front:
        // the application behind it stays named.
        if (!previous || !IsShownWindow(previous->hwnd)) return {};
        ForegroundAppInfo kept;
        kept.hwnd = previous->hwnd;
        kept.displayName = previous->displayName;
        kept.exePath = previous->exePath;
        ReadWindowFlags(kept);
        return kept;
    }

    wchar_t className[64] = {};
    if (!GetClassNameW(window, className, 64)) return {};
    for (std::wstring_view desktopClass : kDesktopClasses)
        if (desktopClass == className) return {};

    ForegroundAppInfo info;
    info.hwnd = window;
    info.exePath = ProcessImagePath(processId);
    info.displayName = info.exePath.empty() ? L"应用" : AppDisplayNameFromExe(info.exePath, window);
    ReadWindowFlags(info);
    return info;
}

}  // namespace vantreel
