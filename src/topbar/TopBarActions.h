#pragma once
// What the bar's clicks and menu commands do to the system, so that a test can
// watch a command without opening, sending or closing anything. Every member
// defaults to the real call.

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "system/InputMethods.h"
#include "system/tray/TrayIconInfo.h"

struct TopBarActions {
    // ShellExecuteW "open" with SW_SHOWNORMAL; failures are ignored.
    std::function<void(const std::wstring& file, const std::wstring& parameters)> shellOpen;
    std::function<void(uint16_t virtualKey)> sendWinKeyChord;
    std::function<void(HWND)> toggleInputMode;
    std::function<std::vector<vantreel::InputProfile>(HWND)> enumerateInputProfiles;
    std::function<void(const vantreel::InputProfile&, HWND)> activateInputProfile;
    // Brings a visible window to the front before a chord or a mode switch.
    std::function<void(HWND)> bringToFront;
    std::function<void(const TrayIconInfo&)> activateTrayIcon;
    std::function<void(const TrayIconInfo&)> closeTrayApp;
    std::function<void(const std::wstring& key)> forgetTrayIcon;
    std::function<size_t(const std::vector<TrayIconInfo>&, const std::vector<std::wstring>& hiddenKeys)>
        countHiddenTrayIcons;
    std::function<void(float delta)> adjustVolumeBy;
    std::function<void(const std::wstring& path)> openFileLocation;
    std::function<void(const std::wstring& target, const std::wstring& arguments)> launchApp;
    // SHGetKnownFolderPath; empty when the folder cannot be found.
    std::function<std::wstring(REFKNOWNFOLDERID, DWORD flags)> knownFolderPath;
    // The window commands of the application and window menus.
    std::function<void(HWND, int command)> showWindowAsync;
    std::function<void(HWND, int command)> showWindow;
    std::function<void(HWND, HWND insertAfter, int x, int y, int width, int height, UINT flags)> setWindowPos;
    std::function<void(HWND)> closeWindow;

    TopBarActions();
};

// Opens a known folder's path with the shell; nothing when it cannot be found.
void OpenKnownFolder(const TopBarActions& actions, REFKNOWNFOLDERID id);
void OpenKnownFolder(REFKNOWNFOLDERID id);
