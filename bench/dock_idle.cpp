// How much the running dock costs while nothing moves: starts the program from
// a copy beside this benchmark, waits for its start-up to finish, then measures
// the process's CPU time and its context switches over an idle stretch, and
// the bytes of pixels the dock's own buffers hold by then.
//   dock_idle.exe [seconds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Directory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L'\\'));
}

double CpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1.0;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

HWND FindInputWindow(DWORD pid) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"VantreelInputWindow", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == pid) return found;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    if (seconds <= 0) seconds = 10;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"vantreel_idle_bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = folder + L"\\vantreel.exe";
    if (!CopyFileW((Directory() + L"\\vantreel.exe").c_str(), exe.c_str(), FALSE)) {
        std::printf("cannot copy vantreel.exe\n");
        return 1;
    }
    // Leave the taskbar alone.
    std::wstring commandLine = L"\"" + exe + L"\" --keep-taskbar";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        std::printf("cannot start vantreel.exe\n");
        return 1;
    }
    HWND input = nullptr;
    for (int i = 0; i < 300 && !input; ++i) {
        Sleep(100);
        input = FindInputWindow(process.dwProcessId);
    }
    if (!input) {
        std::printf("the dock did not start\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    // Start-up work (icon workers, the luminance probe, the first scans) settles first.
    Sleep(6000);
    double before = CpuSeconds(process.hProcess);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    double after = CpuSeconds(process.hProcess);
    double used = after - before;
    std::printf("start-up: %.3f s of CPU\n", before);
    std::printf("idle dock: %.3f s of CPU over %d s (%.3f%% of one core)\n", used, seconds,
                100.0 * used / seconds);
    // The dock's own count, after its idle trim (3 s without a frame).
    constexpr UINT kPixelBytesMessage = 0x8041;
    DWORD_PTR pixelBytes = 0;
    if (SendMessageTimeoutW(input, kPixelBytesMessage, 0, 0, SMTO_ABORTIFHUNG, 5000, &pixelBytes)) {
        std::printf("our pixel buffers: %.1f MB\n", static_cast<double>(pixelBytes) / 1048576.0);
    }

    PostMessageW(input, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 20000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("exit code after WM_CLOSE: %lu\n", static_cast<unsigned long>(code));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
