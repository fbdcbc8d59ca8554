#include "topbar/TopBarActions.h"

#include <shellapi.h>

#include "apps/Launch.h"
#include "apps/ShortcutChain.h"
#include "system/AudioDevices.h"
#include "system/tray/TrayClose.h"
#include "system/tray/TrayMonitor.h"

TopBarActions::TopBarActions() {
    shellOpen = [](const std::wstring& file, const std::wstring& parameters) {
        if (!ShortcutChainIsSafe(file)) return;
        ShellExecuteW(nullptr, L"open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(), nullptr,
                      SW_SHOWNORMAL);
    };
    sendWinKeyChord = [](uint16_t key) { vantreel::SendWinKeyChord(key); };
    toggleInputMode = [](HWND window) { vantreel::ToggleInputMode(window); };
    enumerateInputProfiles = [](HWND window) { return vantreel::EnumerateInputProfiles(window); };
    activateInputProfile = [](const vantreel::InputProfile& profile, HWND window) {
        vantreel::ActivateInputProfile(profile, window);
    };
    bringToFront = [](HWND window) {
        if (window && IsWindow(window) && IsWindowVisible(window)) SetForegroundWindow(window);
    };
    activateTrayIcon = [](const TrayIconInfo& icon) { icon.Activate(); };
    closeTrayApp = [](const TrayIconInfo& icon) { TrayCloseAsync(icon); };
    forgetTrayIcon = [](const std::wstring& key) { ForgetTrayIcon(key); };
    countHiddenTrayIcons = [](const std::vector<TrayIconInfo>& icons, const std::vector<std::wstring>& keys) {
        return CountHiddenTrayIcons(icons, keys);
    };
    adjustVolumeBy = [](float delta) { vantreel::AdjustVolumeBy(delta); };
    openFileLocation = [](const std::wstring& path) { OpenFileLocation(path); };
    launchApp = [](const std::wstring& target, const std::wstring& arguments) { LaunchApp(target, arguments); };
    knownFolderPath = [](REFKNOWNFOLDERID id, DWORD flags) {
        PWSTR path = nullptr;
        std::wstring result;
        if (SUCCEEDED(SHGetKnownFolderPath(id, flags, nullptr, &path)) && path) result = path;
        CoTaskMemFree(path);
        return result;
    };
    showWindowAsync = [](HWND window, int command) { ShowWindowAsync(window, command); };
    showWindow = [](HWND window, int command) { ShowWindow(window, command); };
    setWindowPos = [](HWND window, HWND after, int x, int y, int width, int height, UINT flags) {
        SetWindowPos(window, after, x, y, width, height, flags);
    };
    closeWindow = [](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); };
}

void OpenKnownFolder(const TopBarActions& actions, REFKNOWNFOLDERID id) {
    const std::wstring path = actions.knownFolderPath(id, 0);
    if (!path.empty()) actions.shellOpen(path, L"");
}

void OpenKnownFolder(REFKNOWNFOLDERID id) { OpenKnownFolder(TopBarActions(), id); }
