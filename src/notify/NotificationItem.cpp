#include "notify/NotificationItem.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "apps/Launch.h"
#include "apps/ShortcutChain.h"
#include "config/PathText.h"
#include "notify/NotificationSource.h"
#include "system/InputMethods.h"

bool IsApplicationUserModelId(const std::wstring& id) {
    if (id.find(L'!') == std::wstring::npos) return false;
    return std::none_of(id.begin(), id.end(), [](wchar_t c) {
        return c == L'\\' || c == L'/' || c == L':' || c == L'"' || std::iswspace(c);
    });
}

NotificationActivation ChooseNotificationActivation(const NotificationItem& item, bool exePathIsFile) {
    if (exePathIsFile && IsLocalExecutablePath(item.exePath)) {
        return {NotificationActivationKind::OpenExecutable, item.exePath};
    }
    if (item.isPackaged) {
        if (IsApplicationUserModelId(item.appId)) {
            return {NotificationActivationKind::LaunchPackagedApp, item.appId};
        }
        return {NotificationActivationKind::OpenSystemPanel, L""};
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
        if (!ShortcutChainIsSafe(target)) return;
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    };
    ops.launchPackagedApp = [](const std::wstring& appId) { LaunchApp(L"shell:AppsFolder\\" + appId, L""); };
    ops.sendWinKeyChord = [](uint16_t virtualKey) { return vantreel::SendWinKeyChord(virtualKey); };
    return ops;
}

void NotificationItem::Activate() const { Activate(DefaultNotificationActivationOps()); }

void NotificationItem::Activate(const NotificationActivationOps& ops) const {
    const bool exeIsFile = IsLocalExecutablePath(exePath) && ops.isExistingFile && ops.isExistingFile(exePath);
    const NotificationActivation action = ChooseNotificationActivation(*this, exeIsFile);
    switch (action.kind) {
        case NotificationActivationKind::OpenExecutable:
        case NotificationActivationKind::OpenDefender:
        case NotificationActivationKind::OpenWindowsUpdate:
            if (ops.shellOpen) ops.shellOpen(action.target);
            break;
        case NotificationActivationKind::LaunchPackagedApp:
            if (ops.launchPackagedApp) ops.launchPackagedApp(action.target);
            break;
        case NotificationActivationKind::OpenSystemPanel:
            if (ops.sendWinKeyChord) ops.sendWinKeyChord('N');
            break;
    }
}
