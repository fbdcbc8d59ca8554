#include "apps/AppCatalog.h"

#include <windows.h>
#include <knownfolders.h>

#include <algorithm>
#include <unordered_set>

#include "apps/GroupInitial.h"
#include "apps/NameClassification.h"
#include "apps/NameKeywordTables.h"
#include "apps/StartMenuScan.h"
#include "config/PathText.h"

namespace {

using KeySet = std::unordered_set<std::wstring>;

bool Contains(const std::wstring& haystack, const wchar_t* word) { return haystack.find(word) != std::wstring::npos; }

template <size_t N>
bool ContainsAnyOf(const std::wstring& haystack, const std::wstring_view (&words)[N]) {
    for (std::wstring_view word : words) {
        if (haystack.find(word) != std::wstring::npos) return true;
    }
    return false;
}

bool NameLess(const InstalledApp& a, const InstalledApp& b) {
    return CompareStringEx(nullptr, NORM_IGNORECASE, a.name.c_str(), -1, b.name.c_str(), -1, nullptr, nullptr, 0) ==
           CSTR_LESS_THAN;
}

int Bucket(const InstalledApp& app) { return (app.initial >= L'A' && app.initial <= L'Z') ? app.initial - L'A' : 26; }

// Working sets shared by the steps of one build.
struct BuildState {
    std::vector<InstalledApp> result;
    KeySet folderMemberNameKeys;
    KeySet folderMemberExeTargets;
    KeySet seenNameKeys;
    KeySet seenExeTargets;
};

void AddFolderEntries(std::vector<StartMenuGroup>& groups, BuildState& state) {
    for (StartMenuGroup& group : groups) {
        std::vector<InstalledApp>& members = group.apps;
        if (members.size() < 2) continue;

        const size_t best = ChooseRepresentative(group.folderName, members);
        if (best != 0) std::swap(members[0], members[best]);
        if (members.size() > 2) SortAppsByName(members.begin() + 1, members.end());

        for (const InstalledApp& member : members) state.folderMemberNameKeys.insert(member.nameKey);
        // The executables the members start, with their arguments.
        state.folderMemberExeTargets.insert(group.seenTargetKeys.begin(), group.seenTargetKeys.end());

        InstalledApp folder;
        folder.name = group.folderName;
        folder.nameKey = NormalizePathKey(group.folderName);
        folder.launchId = members[0].launchId;
        folder.targetPath = members[0].targetPath;
        folder.category = AppCategoryFor(folder, folder.targetPath, folder.launchId);
        folder.initial = GroupInitialOf(folder);
        folder.isPrimary = true;
        folder.isFolder = true;
        folder.children = std::move(members);
        if (state.seenNameKeys.insert(folder.nameKey).second) {
            state.result.push_back(std::move(folder));
        }
    }
}

void AddAppsFolderItems(const std::vector<AppsFolderItem>& items, BuildState& state) {
    for (const AppsFolderItem& item : items) {
        if (item.name.empty() || item.parsingName.empty()) continue;
        InstalledApp app;
        app.name = item.name;
        app.launchId = item.parsingName;
        app.nameKey = NormalizePathKey(item.name);
        app.targetPath = item.linkTarget.empty() ? L"shell:AppsFolder\\" + item.parsingName : item.linkTarget;
        // A link among the folder's items is started as the folder starts it, so
        // the shortcut's arguments and working folder apply, not its bare target.
        if (!item.linkTarget.empty()) app.shortcutPath = L"shell:AppsFolder\\" + item.parsingName;

        const std::wstring targetKey = NormalizePathKey(app.targetPath);
        const std::wstring fileName = FileNameOf(targetKey);
        const bool exe = ExtensionOf(targetKey) == L".exe";
        const std::wstring exeKey = ExeTargetKey(targetKey, item.linkArguments);
        const bool inFolder = state.folderMemberNameKeys.count(app.nameKey) > 0 ||
                              (exe && state.folderMemberExeTargets.count(exeKey) > 0);
        const bool uninstaller = IsUninstallerName(app.nameKey, fileName);
        // Every executable is remembered, taken or not, so a later item with the
        // same target and arguments counts as a duplicate.
        const bool duplicate = exe && !state.seenExeTargets.insert(exeKey).second;
        if (inFolder || uninstaller || duplicate) continue;
        if (!state.seenNameKeys.insert(app.nameKey).second) continue;

        const std::wstring classified = ClassifiedTargetOf(app.targetPath, item.linkArguments);
        app.isPrimary = IsPrimaryAppEntry(app, classified, app.launchId);
        app.category = AppCategoryFor(app, classified, app.launchId);
        app.initial = GroupInitialOf(app);
        state.result.push_back(std::move(app));
    }
}

}  // namespace

CatalogSources DefaultCatalogSources() {
    return CatalogSources{KnownFolderPathOf(FOLDERID_CommonPrograms), KnownFolderPathOf(FOLDERID_Programs),
                          EnumerateShellAppsFolder, nullptr};
}

std::vector<InstalledApp> EnumerateInstalledApps() { return EnumerateInstalledApps(DefaultCatalogSources()); }

std::vector<InstalledApp> EnumerateInstalledApps(const CatalogSources& sources) {
    BuildState state;
    std::vector<StartMenuGroup> groups;
    StartMenuGroupIndex index;
    ShortcutReadings* readings = sources.readings.get();
    if (readings) readings->BeginBuild();
    CollectStartMenuShortcutsIn(sources.commonPrograms, groups, index, readings);
    CollectStartMenuShortcutsIn(sources.userPrograms, groups, index, readings);
    AddFolderEntries(groups, state);

    std::optional<std::vector<AppsFolderItem>> appsItems;
    if (sources.appsFolder) appsItems = sources.appsFolder();
    if (appsItems) AddAppsFolderItems(*appsItems, state);

    // The Apps folder is where the shortcuts outside folder entries come from.
    // When it cannot be read (or reads empty, which a working one never does:
    // it lists the Start menu itself), they come from the Start-menu folders,
    // leaving out what a folder entry already holds.
    if (!appsItems || appsItems->empty() || state.result.empty()) {
        state.seenNameKeys.insert(state.folderMemberNameKeys.begin(), state.folderMemberNameKeys.end());
        state.seenExeTargets.insert(state.folderMemberExeTargets.begin(), state.folderMemberExeTargets.end());
        ScanStartMenuFallbackIn(sources.commonPrograms, state.seenNameKeys, state.seenExeTargets, state.result,
                                readings);
        ScanStartMenuFallbackIn(sources.userPrograms, state.seenNameKeys, state.seenExeTargets, state.result, readings);
    }
    if (readings) readings->Sweep();
    SortAppsForDisplay(state.result.begin(), state.result.end());
    return std::move(state.result);
}

int RepresentativeScore(const std::wstring& folderKey, const InstalledApp& member) {
    const std::wstring nameKey = NormalizePathKey(member.name);
    int score = 0;
    if (!folderKey.empty()) {
        if (nameKey == folderKey) {
            score = 100;
        } else if (Contains(nameKey, folderKey.c_str()) || Contains(folderKey, nameKey.c_str())) {
            score = 60;
        }
    }
    if (member.isPrimary) score += 35;
    if (ContainsAnyOf(nameKey, name_tables::kRepresentativeBonusWords)) {
        score += 25;
    }
    if (ContainsAnyOf(nameKey, name_tables::kRepresentativePenaltyWords)) {
        score -= 20;
    }
    return score;
}

size_t ChooseRepresentative(const std::wstring& folderName, const std::vector<InstalledApp>& members) {
    const std::wstring folderKey = NormalizePathKey(folderName);
    int bestScore = -10000;
    size_t best = 0;
    for (size_t i = 0; i < members.size(); ++i) {
        const int score = RepresentativeScore(folderKey, members[i]);
        if (score > bestScore) {
            bestScore = score;
            best = i;
        }
    }
    return best;
}

bool InstalledAppLess(const InstalledApp& a, const InstalledApp& b) {
    const int bucketA = Bucket(a);
    const int bucketB = Bucket(b);
    if (bucketA != bucketB) return bucketA < bucketB;
    return NameLess(a, b);
}

void SortAppsByName(InstalledAppIterator first, InstalledAppIterator last) { std::sort(first, last, NameLess); }

void SortAppsForDisplay(InstalledAppIterator first, InstalledAppIterator last) {
    std::sort(first, last, InstalledAppLess);
}
