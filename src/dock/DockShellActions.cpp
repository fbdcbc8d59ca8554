#include "dock/DockShellActions.h"

#include <shellapi.h>

#include "apps/Launch.h"
#include "dock/ForegroundWindow.h"

DockShellActions::DockShellActions()
    : launchApp([](const std::wstring& path, const std::wstring& arguments) { return LaunchApp(path, arguments); }),
      activateWindow([](HWND hwnd) { ActivateWindow(hwnd); }),
      showWindowAsync([](HWND hwnd, int command) { ShowWindowAsync(hwnd, command); }),
      closeWindow([](HWND hwnd) { PostMessageW(hwnd, WM_CLOSE, 0, 0); }),
      openRecycleBin(
          [] { ShellExecuteW(nullptr, L"open", L"shell:RecycleBinFolder", nullptr, nullptr, SW_SHOWNORMAL); }),
      emptyRecycleBin([](HWND owner) { SHEmptyRecycleBinW(owner, nullptr, 0); }),
      openFileLocation([](const std::wstring& path) { OpenFileLocation(path); }),
      foregroundWindow([] { return GetForegroundWindow(); }),
      isWindow([](HWND hwnd) { return IsWindow(hwnd) != FALSE; }),
      isIconic([](HWND hwnd) { return IsIconic(hwnd) != FALSE; }) {}
