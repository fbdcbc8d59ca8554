// Starts copies of itself through the watchdog's start, one after another,
// until it is killed; each copy ("--child") ends at once. A kill that lands
// inside a start must leave no copy behind.
#include <windows.h>

#include <cstring>
#include <string>

#include "dock/TaskbarHider.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) return 0;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (;;) {
        PROCESS_INFORMATION info = {};
        if (!StartWatchdogProcess(self, L"\"" + std::wstring(self) + L"\" --child", info)) return 1;
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}
