#include "apps/StartMenuScan.h"

#include <shobjidl.h>
#include <wrl/client.h>

#include <filesystem>
#include <system_error>

#include "apps/GroupInitial.h"
#include "apps/NameClassification.h"
#include "apps/PathNames.h"
#include "apps/Shortcut.h"
#include "config/Paths.h"

using Microsoft::WRL::ComPtr;
namespace fs = std::filesystem;

namespace {

bool IsShortcutFile(const fs::directory_entry& entry) {
    std::error_code ec;
    if (!entry.is_regular_file(ec) || ec) return false;
    return NormalizePathKey(entry.path().extension().wstring()) == L".lnk";
}

// Calls visit(path) for every shortcut below root, any depth. Folders that cannot
// be opened are skipped; any other error ends the walk quietly.
template <typename Visit>
void WalkShortcuts(const fs::path& root, Visit visit) {
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (IsShortcutFile(*it)) visit(it->path().wstring());
    }
}

void Classify(InstalledApp& app, const std::wstring& target, const std::wstring& classifyId) {
    app.isPrimary = IsPrimaryAppEntry(app, target, classifyId);
    app.category = AppCategoryFor(app, target, classifyId);
    app.initial = GroupInitialOf(app);
}

void CollectGroupMembers(const fs::path& folder, StartMenuGroup& group) {
    WalkShortcuts(folder, [&](const std::wstring& linkPath) {
        const std::wstring name = ShortcutDisplayName(linkPath);
        const std::wstring nameKey = NormalizePathKey(name);
        if (nameKey.empty()) return;

        const std::optional<ShortcutInfo> info = ResolveShortcut(linkPath);
        const std::wstring target = info ? info->targetPath : linkPath;
        const std::wstring arguments = info ? info->arguments : std::wstring();
        if (IsDocumentationShortcut(name, target)) return;
        if (!group.seenNameKeys.insert(nameKey).second) return;

        const std::wstring targetKey = NormalizePathKey(target);
        if (ExtensionOf(targetKey) == L".exe" &&
            !group.seenTargetKeys.insert(targetKey + L"|" + NormalizePathKey(arguments)).second) {
            return;
        }

        InstalledApp app;
        app.name = name;
        app.launchId = linkPath;
        app.targetPath = target;
        app.nameKey = nameKey;
        // The classifiers blank the user's profile folder out of the paths, so a
        // user's own name never turns into a keyword.
        Classify(app, target, linkPath);
        group.apps.push_back(std::move(app));
    });
}

}  // namespace

std::wstring KnownFolderPathOf(const KNOWNFOLDERID& folder) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(folder, 0, nullptr, &path)) && path) result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring ShortcutDisplayName(const std::wstring& path) {
    ComPtr<IShellItem> item;
    if (SUCCEEDED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_PPV_ARGS(&item)))) {
        PWSTR name = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_NORMALDISPLAY, &name)) && name) {
            std::wstring result = name;
            CoTaskMemFree(name);
            if (!result.empty()) return result;
        }
    }
    const fs::path p(path);
    std::wstring stem = p.stem().wstring();
    if (!stem.empty()) return stem;
    return p.filename().wstring();
}

void CollectStartMenuShortcuts(const KNOWNFOLDERID& folder, std::vector<StartMenuGroup>& groups,
                               StartMenuGroupIndex& index) {
    const std::wstring root = KnownFolderPathOf(folder);
    if (!root.empty()) CollectStartMenuShortcutsIn(root, groups, index);
}

void CollectStartMenuShortcutsIn(const std::wstring& root, std::vector<StartMenuGroup>& groups,
                                 StartMenuGroupIndex& index) {
    if (root.empty()) return;
    std::error_code ec;
    fs::directory_iterator it(fs::path(root), fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_directory(typeEc) || typeEc) continue;
        const std::wstring fileKey = NormalizePathKey(it->path().filename().wstring());
        if (fileKey == L"startup" || fileKey == L"启动") continue;

        const std::wstring folderName = ShortcutDisplayName(it->path().wstring());
        const std::wstring folderKey = NormalizePathKey(folderName);
        if (folderKey.empty()) continue;

        auto found = index.find(folderKey);
        if (found == index.end()) {
            StartMenuGroup group;
            group.folderName = folderName;
            groups.push_back(std::move(group));
            found = index.emplace(folderKey, groups.size() - 1).first;
        }
        CollectGroupMembers(it->path(), groups[found->second]);
    }
}

void ScanStartMenuFallback(const KNOWNFOLDERID& folder,
                           std::unordered_set<std::wstring>& takenNameKeys,
                           std::unordered_set<std::wstring>& takenExeTargets,
                           std::vector<InstalledApp>& out) {
    const std::wstring root = KnownFolderPathOf(folder);
    if (!root.empty()) ScanStartMenuFallbackIn(root, takenNameKeys, takenExeTargets, out);
}

void ScanStartMenuFallbackIn(const std::wstring& root,
                             std::unordered_set<std::wstring>& takenNameKeys,
                             std::unordered_set<std::wstring>& takenExeTargets,
                             std::vector<InstalledApp>& out) {
    if (root.empty()) return;
    WalkShortcuts(fs::path(root), [&](const std::wstring& linkPath) {
        const fs::path p(linkPath);
        const std::wstring name = p.stem().wstring();
        const std::wstring nameKey = NormalizePathKey(name);
        if (nameKey.empty()) return;

        const std::optional<ShortcutInfo> info = ResolveShortcut(linkPath);
        const std::wstring target = info ? info->targetPath : linkPath;
        const std::wstring launchId =
            info && !info->appUserModelId.empty() ? info->appUserModelId : linkPath;
        const std::wstring targetKey = NormalizePathKey(target);
        if (IsUninstallerName(nameKey, FileNameOf(targetKey))) return;
        if (!takenNameKeys.insert(nameKey).second) return;
        if (ExtensionOf(targetKey) == L".exe" && !takenExeTargets.insert(targetKey).second) return;

        InstalledApp app;
        app.name = name;
        app.launchId = launchId;
        app.targetPath = target;
        app.nameKey = nameKey;
        Classify(app, target, launchId);
        out.push_back(std::move(app));
    });
}
