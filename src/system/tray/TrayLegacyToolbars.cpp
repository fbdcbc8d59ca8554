#include "system/tray/TrayLegacyToolbars.h"

#include <commctrl.h>

#include <cstring>

#include "config/PathText.h"
#include "system/tray/TrayNaming.h"

namespace {

constexpr UINT kMessageTimeoutMs = 150;
constexpr int kMaxButtons = 256;
constexpr SIZE_T kRemotePage = 4096;
// The 64-bit TBBUTTON as the shell keeps it.
constexpr size_t kButtonBytes = 32;
constexpr size_t kStateOffset = 8;
constexpr size_t kDataOffset = 16;
constexpr size_t kStringOffset = 24;

// The page of one host process, kept by the reading thread. Plain data, so the
// thread-local copy needs no destructor: the monitor thread never ends.
struct HostPage {
    DWORD pid = 0;
    HANDLE process = nullptr;
    void* page = nullptr;
    bool lateAnswer = false;  // a request on the page timed out: its answer may still come
};

thread_local HostPage t_host;

void ReleaseHost(HostPage& host) {
    if (host.page && !host.lateAnswer) VirtualFreeEx(host.process, host.page, 0, MEM_RELEASE);
    if (host.process) CloseHandle(host.process);
    host = HostPage{};
}

// The thread's page in the host; null when the host cannot be opened or the page
// not allocated. A new host, or an exited one, releases the old page first.
HostPage* AttachHost(DWORD pid) {
    HostPage& host = t_host;
    if (host.process && (host.pid != pid || WaitForSingleObject(host.process, 0) == WAIT_OBJECT_0)) ReleaseHost(host);
    if (!host.process) {
        host.process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, pid);
        if (!host.process) return nullptr;
        host.pid = pid;
    }
    if (!host.page)
        host.page = VirtualAllocEx(host.process, nullptr, kRemotePage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    return host.page ? &host : nullptr;
}

bool ReadRemote(const HostPage& host, uint64_t address, void* out, size_t bytes) {
    SIZE_T done = 0;
    return ReadProcessMemory(host.process, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), out, bytes,
                             &done) &&
           done == bytes;
}

bool AskToolbar(HWND toolbar, UINT message, WPARAM wp, LPARAM lp, DWORD_PTR& result) {
    return SendMessageTimeoutW(toolbar, message, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, kMessageTimeoutMs, &result) !=
           0;
}

std::wstring ReadTooltip(const HostPage& host, uint64_t address) {
    wchar_t text[128] = {};
    if (!ReadRemote(host, address, text, 254)) return {};
    return std::wstring(text);
}

}  // namespace

bool ReadTrayToolbarButtons(HWND toolbar, bool isOverflow, std::unordered_map<std::wstring, TrayIconInfo>& byKey) {
    if (!toolbar || !IsWindow(toolbar)) return true;
    DWORD hostPid = 0;
    GetWindowThreadProcessId(toolbar, &hostPid);
    HostPage* host = AttachHost(hostPid);
    if (!host) return false;

    DWORD_PTR count = 0;
    if (!AskToolbar(toolbar, TB_BUTTONCOUNT, 0, 0, count)) return false;
    if (static_cast<intptr_t>(count) <= 0) return true;
    for (int i = 0; i < static_cast<int>(count) && i < kMaxButtons; ++i) {
        DWORD_PTR ok = 0;
        if (!AskToolbar(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(host->page), ok)) {
            // Nothing more is asked of a host this slow; its answer may still land in the page.
            host->lateAnswer = true;
            return false;
        }
        if (ok == 0) continue;
        unsigned char button[kButtonBytes] = {};
        if (!ReadRemote(*host, reinterpret_cast<uintptr_t>(host->page), button, sizeof(button))) continue;
        uint8_t state = button[kStateOffset];
        uint64_t data = 0, string = 0;
        std::memcpy(&data, button + kDataOffset, 8);
        std::memcpy(&string, button + kStringOffset, 8);
        if (data == 0) continue;
        bool visible = !isOverflow && !(state & TBSTATE_HIDDEN);

        unsigned char record[16] = {};
        if (!ReadRemote(*host, data, record, sizeof(record))) continue;
        uint64_t owner = 0;
        uint32_t uid = 0, callback = 0;
        std::memcpy(&owner, record, 8);
        std::memcpy(&uid, record + 8, 4);
        std::memcpy(&callback, record + 12, 4);
        HWND ownerWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(owner));
        if (!ownerWindow || !IsWindow(ownerWindow)) continue;

        DWORD ownerPid = 0;
        GetWindowThreadProcessId(ownerWindow, &ownerPid);
        if (ownerPid == 0) continue;
        std::wstring path = ProcessImagePath(ownerPid);
        if (path.empty()) continue;
        std::wstring key = NormalizePathKey(path);
        if (IsShellProcess(key)) continue;

        std::wstring tooltip;
        if (string != 0 && string != static_cast<uint64_t>(-1)) tooltip = ReadTooltip(*host, string);

        TrayIconInfo icon;
        icon.key = key;
        icon.displayName = MakeTrayDisplayName(tooltip, path);
        icon.exePath = path;
        icon.pid = ownerPid;
        icon.onBar = visible ? 1 : 0;
        icon.ownerWindow = ownerWindow;
        icon.uID = uid;
        icon.callbackMessage = callback;

        auto it = byKey.find(key);
        if (it == byKey.end()) {
            byKey.emplace(key, std::move(icon));
        } else if (icon.onBar && !it->second.onBar) {
            it->second = std::move(icon);
        }
    }
    return true;
}

LegacyTrayRead ReadLegacyTrayToolbars(std::vector<TrayIconInfo>& icons) {
    HWND taskbarToolbar = nullptr;
    if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) {
        if (HWND notify = FindWindowExW(tray, nullptr, L"TrayNotifyWnd", nullptr)) {
            if (HWND pager = FindWindowExW(notify, nullptr, L"SysPager", nullptr)) {
                taskbarToolbar = FindWindowExW(pager, nullptr, L"ToolbarWindow32", nullptr);
            }
        }
    }
    HWND overflowToolbar = nullptr;
    if (HWND overflow = FindWindowW(L"NotifyIconOverflowWindow", nullptr)) {
        overflowToolbar = FindWindowExW(overflow, nullptr, L"ToolbarWindow32", nullptr);
    }
    if (!taskbarToolbar && !overflowToolbar) return LegacyTrayRead::Absent;

    std::unordered_map<std::wstring, TrayIconInfo> byKey;
    if (!ReadTrayToolbarButtons(taskbarToolbar, false, byKey) || !ReadTrayToolbarButtons(overflowToolbar, true, byKey))
        return LegacyTrayRead::Failed;
    icons.clear();
    for (auto& entry : byKey) icons.push_back(std::move(entry.second));
    return LegacyTrayRead::Read;
}
