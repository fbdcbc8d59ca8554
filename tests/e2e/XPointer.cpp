#include "XPointer.h"

namespace {

// Wine starts Unix programs by their path on the Z: drive, but hands back no
// handle that can be waited on (nor closed): the shell around xdotool leaves
// its exit status in a file that appears whole once the command is done.
std::wstring MarkerName() {
    static unsigned counter = 0;
    return L"vantreel-xdotool-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

}  // namespace

bool RunUnixCommand(const std::wstring& command) {
    const std::wstring marker = MarkerName();
    const std::wstring unixMarker = L"/tmp/" + marker;
    const std::wstring windowsMarker = L"Z:\\tmp\\" + marker;
    std::wstring commandLine = L"\"Z:\\bin\\sh\" -c \"" + command + L"; echo $? > " +
                               unixMarker + L".part && mv " + unixMarker + L".part " + unixMarker + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    // What comes back in the process record is not ours to close: Wine fills
    // the handle fields with leftovers (seen: 0xa3), and closing those closed
    // whatever handle of this process had that value, such as the program's.
    for (int i = 0; i < 1000; ++i) {
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

bool Xdotool(const std::wstring& arguments) { return RunUnixCommand(L"/usr/bin/xdotool " + arguments); }

bool XMoveTo(POINT screen) {
    return Xdotool(L"mousemove " + std::to_wstring(screen.x) + L" " + std::to_wstring(screen.y));
}

RECT RestingInputRect(HWND input) {
    XMoveTo({5, 5});
    RECT last = {};
    int same = 0;
    for (int i = 0; i < 60 && same < 4; ++i) {
        Sleep(100);
        RECT now = {};
        GetWindowRect(input, &now);
        same = EqualRect(&now, &last) ? same + 1 : 0;
        last = now;
    }
    return last;
}

bool XClickAt(POINT screen, int button) {
    return Xdotool(L"mousemove " + std::to_wstring(screen.x) + L" " + std::to_wstring(screen.y) + L" click " +
                   std::to_wstring(button));
}

bool XButton(int button, bool down) {
    return Xdotool(std::wstring(down ? L"mousedown " : L"mouseup ") + std::to_wstring(button));
}
