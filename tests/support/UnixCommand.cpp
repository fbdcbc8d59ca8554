#include "support/UnixCommand.h"

#include <windows.h>

namespace testing_support {

std::wstring UnixTempName(const std::wstring& stem) {
    static unsigned counter = 0;
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L"-" +
           std::to_wstring(now.QuadPart);
}

bool RunUnixCommand(const std::wstring& command) {
    // Wine starts a Unix program by its path on the Z: drive but fills the
    // process and thread handles it hands back from uninitialised memory:
    // they are whatever an earlier call left there, often the handles of a
    // process this test started a moment ago. Closing or waiting on them
    // would close a live handle of the caller's (a dock process then seems
    // to end by itself), so they are left alone, and the shell around the
    // command leaves its exit status in a file that appears whole once the
    // command is done.
    const std::wstring marker = UnixTempName(L"vantreel-xdotool");
    const std::wstring unixMarker = L"/tmp/" + marker;
    const std::wstring windowsMarker = L"Z:\\tmp\\" + marker;
    std::wstring commandLine = L"\"Z:\\bin\\sh\" -c \"" + command + L"; echo $? > " +
                               unixMarker + L".part && mv " + unixMarker + L".part " + unixMarker + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION unreliable = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &unreliable)) {
        return false;
    }
    // The bound only guards against a command that never ends: a busy machine
    // takes seconds to start a shell through Wine.
    for (const ULONGLONG end = GetTickCount64() + 60000; GetTickCount64() < end;) {
        HANDLE file = CreateFileW(windowsMarker.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            char status[8] = {};
            DWORD read = 0;
            ReadFile(file, status, sizeof(status) - 1, &read, nullptr);
            CloseHandle(file);
            DeleteFileW(windowsMarker.c_str());
            return status[0] == '0';
        }
        Sleep(10);
    }
    return false;
}

}  // namespace testing_support
