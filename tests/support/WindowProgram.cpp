#include "support/WindowProgram.h"

#include <chrono>
#include <thread>

namespace testing_support {
namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindShownWindowOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

WindowProgram::WindowProgram(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    WindowSearch search{info.dwProcessId, nullptr};
    WaitFor([&] {
        EnumWindows(FindShownWindowOf, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    window_ = search.found;
}

WindowProgram::~WindowProgram() {
    if (!process_) return;
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
}

void WindowProgram::Close() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    WaitFor([&] { return !IsWindow(window_); });
}

}  // namespace testing_support
