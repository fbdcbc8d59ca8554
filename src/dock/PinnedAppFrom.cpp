#include "dock/PinnedAppFrom.h"

#include "apps/Shortcut.h"
#include "config/PathText.h"

std::optional<PinnedApp> PinnedAppFromFile(const std::wstring& path) {
    const std::optional<ShortcutInfo> info = ResolveShortcut(path);
    if (!info) return std::nullopt;
    return PinnedApp{info->displayName, info->targetPath, info->arguments, info->appUserModelId};
}

PinnedApp PinnedAppFromInstalledApp(const InstalledApp& app) {
    if (!app.shortcutPath.empty()) {
        if (std::optional<PinnedApp> pin = PinnedAppFromFile(app.shortcutPath)) {
            pin->name = app.name;
            return *pin;
        }
    }
    return PinnedApp{app.name, app.targetPath, L"", NormalizePathKey(app.targetPath)};
}
