#pragma once
// One toast as the notification center and the banners show it, and what a
// click on it opens.

#include <cstdint>
#include <functional>
#include <string>

struct NotificationActivationOps;

struct NotificationItem {
    int64_t id = 0;
    uint64_t arrivalTime = 0;  // FILETIME; a negative stored time reads as 0
    std::wstring appId;        // the handler's PrimaryId; empty without a handler
    std::wstring appName;
    std::wstring title;
    std::wstring body;
    std::wstring exePath;  // a desktop application's executable, else empty
    bool isPackaged = false;
    bool read = false;

    // Opens the notification's source; results are ignored.
    void Activate() const;
    void Activate(const NotificationActivationOps& ops) const;
};

// What a click opens, decided from the item alone (and whether its exePath
// is an existing file). A row can start only an application: a local
// executable, or a packaged application by its id; whatever else a row names
// (a script, a shortcut, a document) opens the system's own panel instead.
enum class NotificationActivationKind {
    OpenExecutable,     // ShellExecuteW "open" on exePath
    LaunchPackagedApp,  // "shell:AppsFolder\<appId>"
    OpenDefender,       // "windowsdefender:"
    OpenWindowsUpdate,  // "ms-settings:windowsupdate"
    OpenSystemPanel,    // Win+N, the system's own notification panel
};

struct NotificationActivation {
    NotificationActivationKind kind = NotificationActivationKind::OpenSystemPanel;
    std::wstring target;  // the file, id or URI the kind opens; empty for the panel
};

NotificationActivation ChooseNotificationActivation(const NotificationItem& item, bool exePathIsFile);

// An application user model id as packaged applications have them: a "!"
// and none of \ / : " or white space, so it can name no file.
bool IsApplicationUserModelId(const std::wstring& id);

// The system calls behind activation, replaceable so the choice can be checked
// without opening anything.
struct NotificationActivationOps {
    std::function<bool(const std::wstring& path)> isExistingFile;
    std::function<void(const std::wstring& target)> shellOpen;         // ShellExecuteW "open"
    std::function<void(const std::wstring& appId)> launchPackagedApp;  // via shell:AppsFolder
    std::function<uint32_t(uint16_t virtualKey)> sendWinKeyChord;      // Win + key
};

NotificationActivationOps DefaultNotificationActivationOps();
