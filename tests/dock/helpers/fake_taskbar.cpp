// A stand-in for the shell's taskbar in its own process, for the tests that
// start the dock: it owns a "Shell_TrayWnd" strip and one
// "Shell_SecondaryTrayWnd" until it is ended. A posted WM_APP + 1 to either
// window makes it show both again and broadcast "TaskbarCreated", as the
// shell does after a restart.
#include <windows.h>

#include "../../support/StandInTaskbar.h"

int main() {
    testing_support::StandInTaskbar taskbar;
    if (!taskbar.primary || !taskbar.secondary) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_APP + 1) {
            taskbar.ShowAgainAndAnnounce();
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
