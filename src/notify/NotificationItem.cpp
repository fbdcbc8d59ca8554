#include "notify/NotificationItem.h"

#include <windows.h>
#include <shellapi.h>

#include "apps/Launch.h"
#include "config/Paths.h"
#include "system/InputMethods.h"

NotificationActivation ChooseNotificationActivation(const NotificationItem& item,
                                                    bool exePathIsFile) {
    if (!item.exePath.empty() && exePathIsFile) {
        return {NotificationActivationKind::OpenExecutable, item.exePath};
    }
    if (item.isPackaged && !item.appId.empty()) {
        return {NotificationActivationKind::LaunchPackagedApp, item.appId};
    }
    const std::wstring key = NormalizePathKey(item.appId);
    if (key.find(L"windows.defender") != std::wstring::npos) {
        return {NotificationActivationKind::OpenDefender, L"windowsdefender:"};
    }
    if (key.find(L"windowsupdate") != std::wstring::npos) {
        return {NotificationActivationKind::OpenWindowsUpdate, L"ms-settings:windowsupdate"};
    }
    return {NotificationActivationKind::OpenSystemPanel, L""};
}

NotificationActivationOps DefaultNotificationActivationOps() {
    NotificationActivationOps ops;
    ops.isExistingFile = [](const std::wstring& path) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    };
    ops.shellOpen = [](const std::wstring& target) {
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    };
    ops.launchShellApp = [](const std::wstring& appId) { LaunchShellApp(appId); };
    ops.sendWinKeyChord = [](uint16_t virtualKey) { return vantreel::SendWinKeyChord(virtualKey); };
    return ops;
}

void NotificationItem::Activate() const { Activate(DefaultNotificationActivationOps()); }

void NotificationItem::Activate(const NotificationActivationOps& ops) const {
    const bool exeIsFile = !exePath.empty() && ops.isExistingFile && ops.isExistingFile(exePath);
    const NotificationActivation action = ChooseNotificationActivation(*this, exeIsFile);
    switch (action.kind) {
    case NotificationActivationKind::OpenExecutable:
    case NotificationActivationKind::OpenDefender:
    case NotificationActivationKind::OpenWindowsUpdate:
        if (ops.shellOpen) ops.shellOpen(action.target);
        break;
    case NotificationActivationKind::LaunchPackagedApp:
        if (ops.launchShellApp) ops.launchShellApp(action.target);
        break;
    case NotificationActivationKind::OpenSystemPanel:
        if (ops.sendWinKeyChord) ops.sendWinKeyChord('N');
        break;
    }
}
