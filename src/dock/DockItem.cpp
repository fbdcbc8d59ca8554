#include "dock/DockItem.h"

#include <string_view>

#include "config/PathText.h"

bool DockItem::MatchesRunningApp(const RunningApp& app) const {
    if (kind != DockItemKind::App) return false;
    if (!key.empty() && key == app.key) return true;
    const std::wstring a = NormalizePathKey(path);
    const std::wstring b = NormalizePathKey(app.exePath);
    if (a.empty() || b.empty()) return false;
    return a == b || FileNameOf(a) == FileNameOf(b);
}
