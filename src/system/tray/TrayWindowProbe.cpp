#include "system/tray/TrayWindowProbe.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "platform/WindowBase.h"

namespace {

constexpr int kMaxWalkSteps = 16384;
constexpr wchar_t kProbeClass[] = L"VantreelTrayMessageWindowProbe";

constexpr std::wstring_view kRemovedClasses[] = {
    L"IME",    L"MSCTFIME UI",   L"tooltips_class32",       L"OleDdeWndClass", L"OleMainThreadWndClass",
    L"#32768", L"Shell_TrayWnd", L"GDI+ Hook Window Class",
};
static_assert(std::size(kRemovedClasses) == 8);

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

bool IsRemovedClass(HWND window) {
    wchar_t name[96] = {};
    int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    if (length <= 0) return false;
    std::wstring_view cls(name, static_cast<size_t>(length));
    for (std::wstring_view removed : kRemovedClasses) {
        if (EqualsNoCase(cls, removed)) return true;
    }
    return cls.size() >= 16 && EqualsNoCase(cls.substr(0, 16), L"Chrome_WidgetWin");
}

struct TopWindowSearch {
    const std::unordered_set<uint32_t>* pids;
    PidWindowMap* windows;
};

BOOL CALLBACK EnumTopWindowsProc(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<TopWindowSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (search->pids->count(pid)) (*search->windows)[pid].push_back(window);
    return TRUE;
}

// One per thread, kept for the thread's life; a failed creation is tried again.
HWND ThreadProbeWindow() {
    thread_local HWND probe = nullptr;
    if (probe && IsWindow(probe)) return probe;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = kProbeClass;
    platform::RegisterWindowClass(wc);
    probe = CreateWindowExW(0, kProbeClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    return probe;
}

}  // namespace

void ProbeMessageWindows(const std::unordered_set<uint32_t>& pids, PidWindowMap& windows) {
    TopWindowSearch search{&pids, &windows};
    EnumWindows(EnumTopWindowsProc, reinterpret_cast<LPARAM>(&search));

    if (HWND probe = ThreadProbeWindow()) {
        std::vector<std::pair<HWND, DWORD>> noted;
        for (UINT direction : {static_cast<UINT>(GW_HWNDNEXT), static_cast<UINT>(GW_HWNDPREV)}) {
            HWND current = probe;
            for (int step = 0; step < kMaxWalkSteps; ++step) {
                current = GetWindow(current, direction);
                if (!current) break;
                DWORD pid = 0;
                GetWindowThreadProcessId(current, &pid);
                noted.emplace_back(current, pid);
            }
        }
        for (const auto& [window, pid] : noted) {
            if (pids.count(pid)) windows[pid].push_back(window);
        }
    }

    for (auto& entry : windows) {
        auto& list = entry.second;
        list.erase(std::remove_if(list.begin(), list.end(), IsRemovedClass), list.end());
    }
}
