#include "apps/StartMenuScan.h"

#include <shobjidl.h>
#include <wrl/client.h>

#include <filesystem>
#include <system_error>

#include "apps/GroupInitial.h"
#include "apps/NameClassification.h"
#include "apps/Shortcut.h"
#include "config/PathText.h"

using Microsoft::WRL::ComPtr;
namespace fs = std::filesystem;

namespace {

bool IsShortcutFile(const fs::directory_entry& entry) {
    std::error_code ec;
    if (!entry.is_regular_file(ec) || ec) return false;
    return NormalizePathKey(entry.path().extension().wstring()) == L".lnk";
}

// A folder the walk goes into; links to folders are not followed.
bool IsFolderToEnter(const fs::directory_entry& entry) {
    std::error_code ec;
    const fs::file_status status = entry.symlink_status(ec);
    return !ec && fs::is_directory(status);
}

// Calls visit(path) for every shortcut below root, any depth, each folder's
// entries before the next sibling of that folder. A folder that cannot be
// opened or read to its end (no rights, a path too long) loses what lies
// inside it, never the rest of the tree.
template <typename Visit>
void WalkShortcuts(const fs::path& root, Visit visit) {
    std::error_code ec;
    std::vector<fs::directory_iterator> open;
    open.emplace_back(root, fs::directory_options::skip_permission_denied, ec);
    if (ec) return;
    while (!open.empty()) {
        if (open.back() == fs::directory_iterator()) {
            open.pop_back();
            continue;
        }
        const fs::directory_entry entry = *open.back();
        open.back().increment(ec);
        if (ec) open.back() = fs::directory_iterator();
        ec.clear();
        if (IsShortcutFile(entry)) {
            visit(entry.path().wstring());
        } else if (IsFolderToEnter(entry)) {
            fs::directory_iterator inner(entry.path(), fs::directory_options::skip_permission_denied, ec);
            if (!ec) open.push_back(std::move(inner));
            ec.clear();
        }
    }
}

void Classify(InstalledApp& app, const std::wstring& target, const std::wstring& arguments,
              const std::wstring& classifyId) {
    const std::wstring classified = ClassifiedTargetOf(target, arguments);
    app.isPrimary = IsPrimaryAppEntry(app, classified, classifyId);
    app.category = AppCategoryFor(app, classified, classifyId);
    app.initial = GroupInitialOf(app);
}

void AddGroupMember(const std::wstring& linkPath, const std::wstring& name, const std::optional<ShortcutInfo>& info,
                    StartMenuGroup& group) {
    {
        const std::wstring nameKey = NormalizePathKey(name);
        if (nameKey.empty()) return;

        const std::wstring target = info ? info->targetPath : linkPath;
        const std::wstring arguments = info ? info->arguments : std::wstring();
        if (IsDocumentationShortcut(name, target)) return;
        if (!group.seenNameKeys.insert(nameKey).second) return;

        const std::wstring targetKey = NormalizePathKey(target);
        if (ExtensionOf(targetKey) == L".exe" &&
            !group.seenTargetKeys.insert(ExeTargetKey(targetKey, arguments)).second) {
            return;
        }

        InstalledApp app;
        app.name = name;
        app.launchId = linkPath;
        app.targetPath = target;
        app.nameKey = nameKey;
        app.shortcutPath = linkPath;
        app.arguments = arguments;
        if (info) app.workingFolder = info->workingDirectory;
        // The classifiers blank the user's profile folder out of the paths, so a
        // user's own name never turns into a keyword.
        Classify(app, target, arguments, linkPath);
        group.apps.push_back(std::move(app));
    }
}

// A link without an id of its own is known by its target's key (the hidden
// list keeps such keys); with arguments that key is every shortcut's to the
// program, so such a link is known, and started, by the link itself.
std::wstring FallbackLaunchId(const std::wstring& linkPath, const std::optional<ShortcutInfo>& info,
                              const std::wstring& targetKey) {
    if (!info || info->appUserModelId.empty()) return linkPath;
    const bool ownId = info->appUserModelId != targetKey;
    return ownId || info->arguments.empty() ? info->appUserModelId : linkPath;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring AskShell(const std::wstring& path) {
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

}  // namespace

std::wstring ExeTargetKey(const std::wstring& targetKey, const std::wstring& arguments) {
    return targetKey + L"|" + NormalizePathKey(arguments);
}

std::wstring KnownFolderPathOf(const KNOWNFOLDERID& folder) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(folder, 0, nullptr, &path)) && path) result = path;
    CoTaskMemFree(path);
    return result;
}

bool DesktopIniNames::Names(const std::wstring& folder, const std::wstring& fileName) {
    auto found = folders_.find(folder);
    if (found == folders_.end()) {
        std::unordered_set<std::wstring> named;
        const std::wstring ini = folder + L"\\desktop.ini";
        if (GetFileAttributesW(ini.c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::wstring section(32768, L'\0');
            const DWORD length = GetPrivateProfileSectionW(L"LocalizedFileNames", section.data(),
                                                           static_cast<DWORD>(section.size()), ini.c_str());
            section.resize(length);
            // "name=value" entries, each ended by a null.
            for (size_t start = 0; start < section.size();) {
                size_t end = section.find(L'\0', start);
                if (end == std::wstring::npos) end = section.size();
                const std::wstring entry = section.substr(start, end - start);
                const size_t equals = entry.find(L'=');
                if (equals != std::wstring::npos) named.insert(NormalizePathKey(entry.substr(0, equals)));
                start = end + 1;
            }
        }
        found = folders_.emplace(folder, std::move(named)).first;
    }
    return found->second.count(NormalizePathKey(fileName)) > 0;
}

std::wstring ShellDisplayName(const std::wstring& path) { return AskShell(path); }

std::wstring ShortcutDisplayName(const std::wstring& path) {
    DesktopIniNames names;
    return ShortcutDisplayName(path, names);
}

std::wstring ShortcutDisplayName(const std::wstring& path, const ShellDisplayNameFn& shellName) {
    DesktopIniNames names;
    return ShortcutDisplayName(path, names, shellName);
}

std::wstring ShortcutDisplayName(const std::wstring& path, DesktopIniNames& names,
                                 const ShellDisplayNameFn& shellName) {
    const fs::path p(path);
    const std::wstring fileName = p.filename().wstring();
    const std::wstring folder = p.parent_path().wstring();
    if (fileName.empty() || folder.empty() || names.Names(folder, fileName)) return shellName(path);
    const std::wstring stem = p.stem().wstring();
    if (NormalizePathKey(p.extension().wstring()) == L".lnk" && !stem.empty() && stem != fileName) return stem;
    // A folder takes its name from its own desktop.ini when it has one.
    if (IsDirectory(path) && GetFileAttributesW((path + L"\\desktop.ini").c_str()) == INVALID_FILE_ATTRIBUTES) {
        return fileName;
    }
    return shellName(path);
}

void CollectStartMenuShortcuts(const KNOWNFOLDERID& folder, std::vector<StartMenuGroup>& groups,
                               StartMenuGroupIndex& index) {
    const std::wstring root = KnownFolderPathOf(folder);
    if (!root.empty()) CollectStartMenuShortcutsIn(root, groups, index);
}

void CollectStartMenuShortcutsIn(const std::wstring& root, std::vector<StartMenuGroup>& groups,
                                 StartMenuGroupIndex& index, ShortcutReadings* readings) {
    if (root.empty()) return;
    // First every folder and shortcut in walk order, then the shortcuts read
    // all at once (on several threads, unchanged ones not at all), then the
    // groups filled in the same order as a one-by-one walk would.
    struct Folder {
        size_t group;
        size_t firstLink;
    };
    std::vector<Folder> folders;
    std::vector<std::wstring> links, names;
    DesktopIniNames iniNames;
    std::error_code ec;
    fs::directory_iterator it(fs::path(root), fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_directory(typeEc) || typeEc) continue;
        const std::wstring fileKey = NormalizePathKey(it->path().filename().wstring());
        if (fileKey == L"startup" || fileKey == L"启动") continue;

        const std::wstring folderName = ShortcutDisplayName(it->path().wstring(), iniNames);
        const std::wstring folderKey = NormalizePathKey(folderName);
        if (folderKey.empty()) continue;

        auto found = index.find(folderKey);
        if (found == index.end()) {
            StartMenuGroup group;
            group.folderName = folderName;
            groups.push_back(std::move(group));
            found = index.emplace(folderKey, groups.size() - 1).first;
        }
        folders.push_back({found->second, links.size()});
        WalkShortcuts(it->path(), [&](const std::wstring& linkPath) {
            std::wstring name = ShortcutDisplayName(linkPath, iniNames);
            // A shortcut without a name is skipped unread, as before.
            if (NormalizePathKey(name).empty()) return;
            links.push_back(linkPath);
            names.push_back(std::move(name));
        });
    }
    const std::vector<std::optional<ShortcutInfo>> infos =
        readings ? readings->Resolve(links) : ResolveShortcuts(links);
    for (size_t f = 0; f < folders.size(); ++f) {
        const size_t end = f + 1 < folders.size() ? folders[f + 1].firstLink : links.size();
        for (size_t i = folders[f].firstLink; i < end; ++i) {
            AddGroupMember(links[i], names[i], infos[i], groups[folders[f].group]);
        }
    }
}

void ScanStartMenuFallback(const KNOWNFOLDERID& folder, std::unordered_set<std::wstring>& takenNameKeys,
                           std::unordered_set<std::wstring>& takenExeTargets, std::vector<InstalledApp>& out) {
    const std::wstring root = KnownFolderPathOf(folder);
    if (!root.empty()) ScanStartMenuFallbackIn(root, takenNameKeys, takenExeTargets, out);
}

void ScanStartMenuFallbackIn(const std::wstring& root, std::unordered_set<std::wstring>& takenNameKeys,
                             std::unordered_set<std::wstring>& takenExeTargets, std::vector<InstalledApp>& out,
                             ShortcutReadings* readings) {
    if (root.empty()) return;
    // The shortcuts first, those whose name is taken already left unread, then
    // read all at once as the main walk reads its own.
    std::vector<std::wstring> links, names;
    WalkShortcuts(fs::path(root), [&](const std::wstring& linkPath) {
        std::wstring name = fs::path(linkPath).stem().wstring();
        const std::wstring nameKey = NormalizePathKey(name);
        if (nameKey.empty() || takenNameKeys.count(nameKey) != 0) return;
        links.push_back(linkPath);
        names.push_back(std::move(name));
    });
    const std::vector<std::optional<ShortcutInfo>> infos =
        readings ? readings->Resolve(links) : ResolveShortcuts(links);
    for (size_t i = 0; i < links.size(); ++i) {
        const std::wstring& linkPath = links[i];
        const std::optional<ShortcutInfo>& info = infos[i];
        const std::wstring nameKey = NormalizePathKey(names[i]);
        const std::wstring target = info ? info->targetPath : linkPath;
        const std::wstring arguments = info ? info->arguments : std::wstring();
        const std::wstring targetKey = NormalizePathKey(target);
        const std::wstring launchId = FallbackLaunchId(linkPath, info, targetKey);
        if (IsUninstallerName(nameKey, FileNameOf(targetKey))) continue;
        if (!takenNameKeys.insert(nameKey).second) continue;
        if (ExtensionOf(targetKey) == L".exe" && !takenExeTargets.insert(ExeTargetKey(targetKey, arguments)).second) {
            continue;
        }

        InstalledApp app;
        app.name = names[i];
        app.launchId = launchId;
        app.targetPath = target;
        app.nameKey = nameKey;
        app.shortcutPath = linkPath;
        app.arguments = arguments;
        if (info) app.workingFolder = info->workingDirectory;
        Classify(app, target, arguments, launchId);
        out.push_back(std::move(app));
    }
}
