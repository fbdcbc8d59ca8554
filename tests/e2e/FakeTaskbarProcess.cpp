#include "FakeTaskbarProcess.h"

#include "DockProcess.h"
#include "support/TestSupport.h"

FakeTaskbarProcess::FakeTaskbarProcess() {
    std::wstring exe = testing_support::BinDir() + L"\\fake_taskbar.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process_)) {
        return;
    }
    WaitUntil(
        [&] {
            primary_ = FindOwn(L"Shell_TrayWnd");
            secondary_ = FindOwn(L"Shell_SecondaryTrayWnd");
            // The helper makes its windows before it shows them: a busy
            // machine lets the test see them in between.
            return primary_ && secondary_ && BothShown();
        },
        15000);
}

FakeTaskbarProcess::~FakeTaskbarProcess() {
    if (!process_.hProcess) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND FakeTaskbarProcess::FindOwn(const wchar_t* className) const {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr))) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == process_.dwProcessId) return window;
    }
    return nullptr;
}

bool FakeTaskbarProcess::BothShown() const {
    for (HWND w : {primary_, secondary_}) {
        if (!IsWindowVisible(w) || !IsWindowEnabled(w)) return false;
    }
    return true;
}

bool FakeTaskbarProcess::BothHidden() const {
    for (HWND w : {primary_, secondary_}) {
        if (IsWindowVisible(w) || IsWindowEnabled(w)) return false;
    }
    return true;
}

void FakeTaskbarProcess::ShowAgainAndAnnounce() const { PostMessageW(primary_, WM_APP + 1, 0, 0); }

void PressToggleTaskbarHotkey() {
    INPUT keys[6] = {};
    const WORD order[3] = {VK_CONTROL, VK_MENU, 'T'};
    for (int i = 0; i < 3; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = order[i];
        keys[5 - i].type = INPUT_KEYBOARD;
        keys[5 - i].ki.wVk = order[i];
        keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, keys, sizeof(INPUT));
}
