#include "dock/DockModel.h"

#include <algorithm>

#include "config/PathText.h"

namespace {

constexpr wchar_t kLaunchpadKey[] = L"::launchpad";
constexpr wchar_t kRecycleBinKey[] = L"::recycle_bin";
constexpr wchar_t kLaunchpadLabel[] = L"\u5168\u90E8\u5E94\u7528";
constexpr wchar_t kRecycleBinLabel[] = L"\u56DE\u6536\u7AD9";

std::wstring KeyFor(const std::wstring& appId, const std::wstring& path) {
    return NormalizePathKey(appId.empty() ? path : appId);
}

// What a merge compares to decide whether the dock must rebuild its visuals.
struct ItemState {
    int64_t id;
    bool running;
    bool active;
    bool allMinimized;
    std::vector<HWND> windows;

    bool SameAs(const DockItem& item) const {
        return id == item.id && running == item.running && active == item.active && allMinimized == item.allMinimized &&
               windows == item.windows;
    }
};

}  // namespace

DockItem DockModel::MakeItem(DockItemKind kind) {
    DockItem item;
    item.id = nextId++;
    item.kind = kind;
    return item;
}

void DockModel::LoadFromConfig(const DockConfig& config) {
    items.clear();
    EnsureSpecialItems();
    int insertAt = FirstNonLaunchpadIndex();
    for (const PinnedApp& app : config.pinned) {
        if (app.path.empty()) continue;
        DockItem item = MakeItem(DockItemKind::App);
        item.label = app.name;
        item.path = app.path;
        item.args = app.args;
        item.key = KeyFor(app.appId, app.path);
        item.pinned = true;
        items.insert(items.begin() + insertAt, std::move(item));
        ++insertAt;
    }
}

void DockModel::EnsureSpecialItems() {
    bool hasLaunchpad = false, hasSeparator = false, hasRecycleBin = false;
    for (const DockItem& item : items) {
        hasLaunchpad |= item.kind == DockItemKind::Launchpad;
        hasSeparator |= item.kind == DockItemKind::Separator;
        hasRecycleBin |= item.kind == DockItemKind::RecycleBin;
    }
    if (!hasLaunchpad) {
        DockItem item = MakeItem(DockItemKind::Launchpad);
        item.label = kLaunchpadLabel;
        item.key = kLaunchpadKey;
        item.pinned = true;
        items.insert(items.begin(), std::move(item));
    }
    if (!hasSeparator) items.push_back(MakeItem(DockItemKind::Separator));
    if (!hasRecycleBin) {
        DockItem item = MakeItem(DockItemKind::RecycleBin);
        item.label = kRecycleBinLabel;
        item.key = kRecycleBinKey;
        item.pinned = true;
        items.push_back(std::move(item));
    }
}

bool DockModel::SyncRunningApps(const std::vector<RunningApp>& apps) {
    std::vector<ItemState> before;
    before.reserve(items.size());
    for (const DockItem& item : items) {
        before.push_back({item.id, item.running, item.active, item.allMinimized, item.windows});
    }

    for (DockItem& item : items) {
        if (item.kind != DockItemKind::App) continue;
        item.running = item.active = item.allMinimized = false;
        item.windows.clear();
    }

    std::vector<const RunningApp*> unmatched;
    for (const RunningApp& app : apps) {
        auto match =
            std::find_if(items.begin(), items.end(), [&](const DockItem& i) { return i.MatchesRunningApp(app); });
        if (match == items.end()) {
            unmatched.push_back(&app);
            continue;
        }
        DockItem& item = *match;
        const bool wasRunning = item.running;
        // Several groups can merge into one item: the first sets allMinimized,
        // later ones can only clear it, and none can stop what another started.
        item.running = wasRunning || !app.windows.empty();
        item.active = item.active || app.isForeground;
        item.allMinimized = wasRunning ? (item.allMinimized && app.allMinimized) : app.allMinimized;
        item.windows.insert(item.windows.end(), app.windows.begin(), app.windows.end());
        if (item.path.empty() && !app.exePath.empty()) item.path = app.exePath;
    }

    std::erase_if(items, [](const DockItem& i) { return i.kind == DockItemKind::App && !i.pinned && !i.running; });
    EnsureSpecialItems();

    auto separator =
        std::find_if(items.begin(), items.end(), [](const DockItem& i) { return i.kind == DockItemKind::Separator; });
    size_t insertAt = static_cast<size_t>(separator - items.begin());
    for (const RunningApp* app : unmatched) {
        DockItem item = MakeItem(DockItemKind::App);
        item.label = app->label;
        item.path = app->exePath;
        item.key = app->key;
        item.running = !app->windows.empty();
        item.active = app->isForeground;
        item.allMinimized = app->allMinimized;
        item.windows = app->windows;
        items.insert(items.begin() + insertAt, std::move(item));
        ++insertAt;
    }

    if (items.size() != before.size()) return true;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!before[i].SameAs(items[i])) return true;
    }
    return false;
}

std::vector<PinnedApp> DockModel::GetPinnedApps() const {
    std::vector<PinnedApp> pinned;
    for (const DockItem& item : items) {
        if (item.kind == DockItemKind::App && item.pinned)
            pinned.push_back({item.label, item.path, item.args, item.key});
    }
    return pinned;
}

bool DockModel::PinApp(const PinnedApp& app, int insertIndex) {
    if (app.path.empty()) return false;
    const std::wstring key = KeyFor(app.appId, app.path);
    const std::wstring pathKey = NormalizePathKey(app.path);

    auto existing = std::find_if(items.begin(), items.end(), [&](const DockItem& i) {
        return i.kind == DockItemKind::App && (i.key == key || NormalizePathKey(i.path) == pathKey);
    });
    if (existing != items.end()) {
        // Pinning twice is no edit: callers would otherwise save and advance a
        // drop slot for nothing.
        if (existing->pinned) return false;
        existing->pinned = true;
        if (!app.name.empty()) existing->label = app.name;
        if (!app.args.empty()) existing->args = app.args;
        return true;
    }

    const int start = FirstNonLaunchpadIndex();
    const int end = PinnedRunEnd();
    int at = insertIndex;
    if (insertIndex < 0 || insertIndex > end) {
        at = end;
    } else if (insertIndex < start) {
        at = start;
    }
    DockItem item = MakeItem(DockItemKind::App);
    item.label = app.name;
    item.path = app.path;
    item.args = app.args;
    item.key = key;
    item.pinned = true;
    items.insert(items.begin() + at, std::move(item));
    return true;
}

bool DockModel::Unpin(int64_t id) {
    const int index = IndexOfId(id);
    if (index < 0 || items[index].kind != DockItemKind::App) return false;
    items[index].pinned = false;
    if (!items[index].running) items.erase(items.begin() + index);
    return true;
}

int DockModel::IndexOfId(int64_t id) const {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

int DockModel::FirstNonLaunchpadIndex() const {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind != DockItemKind::Launchpad) return static_cast<int>(i);
    }
    return static_cast<int>(items.size());
}

int DockModel::PinnedRunEnd() const {
    for (size_t i = FirstNonLaunchpadIndex(); i < items.size(); ++i) {
        if (items[i].kind != DockItemKind::App) return static_cast<int>(i);
    }
    return static_cast<int>(items.size());
}

int DockModel::PinnedCount() const { return std::max(PinnedRunEnd() - FirstNonLaunchpadIndex(), 0); }

bool DockModel::IsInPinnedRange(int index) const { return FirstNonLaunchpadIndex() <= index && index < PinnedRunEnd(); }
