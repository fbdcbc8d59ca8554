#include "dock/DockItem.h"

#include <string_view>

#include "config/Paths.h"

namespace {

std::wstring_view FileNameOf(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool DockItem::MatchesRunningApp(const RunningApp& app) const {
    if (kind != DockItemKind::App) return false;
    if (!key.empty() && key == app.key) return true;
    const std::wstring a = NormalizePathKey(path);
    const std::wstring b = NormalizePathKey(app.exePath);
    if (a.empty() || b.empty()) return false;
    return a == b || FileNameOf(a) == FileNameOf(b);
}
