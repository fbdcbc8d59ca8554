#pragma once
// Helper processes for the tray tests: owners of tray-icon windows under names
// of their own, and the stand-in classic tray that points at them.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "support/TestSupport.h"

class TrayHelperProcess {
public:
    TrayHelperProcess() = default;
    ~TrayHelperProcess();
    TrayHelperProcess(const TrayHelperProcess&) = delete;
    TrayHelperProcess& operator=(const TrayHelperProcess&) = delete;

    // Starts exe with arguments; when outFile is given, waits (up to 10 s) for it.
    bool Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& outFile = L"");
    void Kill();
    bool WaitExit(DWORD timeoutMs);
    bool Running() const;
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }
    // "<letter> <hwnd>" lines of the out file; "pid" is not among them.
    HWND Window(wchar_t letter) const;
    const std::wstring& OutText() const { return outText_; }

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    std::wstring outText_;
};

// A copy of tray_owner_gui.exe named name (e.g. L"Foo.exe") inside folder.
std::wstring CopyTrayOwner(const std::wstring& folder, const std::wstring& name);

std::wstring HexHandle(HWND window);
// One button of the stand-in tray: owner, id, callback, on the bar or hidden, tooltip ("~": none).
std::wstring FakeTrayButton(HWND owner, unsigned uid, unsigned callback, bool hidden, const std::wstring& tip);

// Reads the whole file as UTF-8 text; empty when missing.
std::string ReadTextFile(const std::wstring& path);
// Polls until the predicate holds or the time is up.
template <typename Predicate>
bool PollUntil(Predicate predicate, DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (predicate()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(20);
    }
}
