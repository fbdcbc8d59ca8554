// Which entries the pages show, in which order, and which letters the index
// bar offers: pure logic over the catalog and the view state.
#include <windows.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_set>

#include "allapps/AllAppsWindow.h"
#include "config/PathText.h"

namespace {

constexpr size_t kLetterSlots = 28;
const std::wstring kFolderKeyPrefix = L"folder:";

size_t LetterSlotOf(wchar_t initial) {
    if (initial >= L'A' && initial <= L'Z') return static_cast<size_t>(initial - 64);
    return 27;
}

bool FitsTab(int32_t tab, AppCategory category) { return tab == 0 || static_cast<int32_t>(category) == tab; }

wchar_t FoldUnit(wchar_t c) {
    if (c == L'/') return L'\\';
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Whether text, folded, holds key (already folded).
bool ContainsFolded(std::wstring_view text, std::wstring_view key) {
    if (key.empty()) return !text.empty();
    if (key.size() > text.size()) return false;
    for (size_t at = 0; at + key.size() <= text.size(); ++at) {
        size_t i = 0;
        while (i < key.size() && FoldUnit(text[at + i]) == key[i]) ++i;
        if (i == key.size()) return true;
    }
    return false;
}

bool NameLess(const InstalledApp* a, const InstalledApp* b) {
    return CompareStringEx(nullptr, NORM_IGNORECASE, a->name.c_str(), -1, b->name.c_str(), -1, nullptr, nullptr, 0) ==
           CSTR_LESS_THAN;
}

// Collects entries once per key and marks their letters.
struct Collector {
    std::vector<const InstalledApp*> entries;
    std::unordered_set<std::wstring> keys;
    std::array<bool, kLetterSlots> present{};

    bool Add(const InstalledApp& entry, const std::wstring& key) {
        if (!keys.insert(key).second) return false;
        entries.push_back(&entry);
        present[LetterSlotOf(entry.initial)] = true;
        return true;
    }
};

}  // namespace

bool AllAppsWindow::IsEntryHidden(const InstalledApp& entry) const {
    if (entry.isFolder && hiddenKeys.count(kFolderKeyPrefix + entry.nameKey) != 0) return true;
    return hiddenKeys.count(NormalizePathKey(entry.launchId)) != 0;
}

bool AllAppsWindow::MatchesSearch(const InstalledApp& entry, const std::wstring& s) {
    if (entry.nameKey.find(s) != std::wstring::npos) return true;
    if (entry.targetPath.empty()) return false;
    // Every entry is asked at each keystroke: the stem is looked at in place,
    // folded as NormalizePathKey folds, with nothing allocated.
    return ContainsFolded(PathStem(entry.targetPath), s);
}

void AllAppsWindow::SortVisibleEntriesByName() { std::sort(visibleEntries.begin(), visibleEntries.end(), NameLess); }

void AllAppsWindow::ApplyFilterAndLayout() {
    visibleEntries.clear();
    std::array<bool, kLetterSlots> present{};
    present[0] = true;
    const std::wstring s = NormalizePathKey(searchText);
    if (!s.empty()) openFolder = nullptr;

    auto buildLetters = [&](const std::array<bool, kLetterSlots>& marks) {
        indexLetters.clear();
        for (size_t slot = 0; slot < kLetterSlots; ++slot) {
            if (!marks[slot] && slot != 0) continue;
            indexLetters.push_back(slot == 0    ? 0
                                   : slot == 27 ? static_cast<uint16_t>(L'#')
                                                : static_cast<uint16_t>(L'A' + slot - 1));
        }
        if (indexLetter != 0 &&
            std::find(indexLetters.begin(), indexLetters.end(), indexLetter) == indexLetters.end()) {
            indexLetter = 0;
        }
    };
    auto takeLetter = [&](const std::vector<const InstalledApp*>& candidates) {
        for (const InstalledApp* entry : candidates) {
            if (indexLetter == 0 || entry->initial == static_cast<wchar_t>(indexLetter))
                visibleEntries.push_back(entry);
        }
    };

    if (openFolder) {
        for (const InstalledApp& child : openFolder->children) {
            if (hiddenView || !IsEntryHidden(child)) visibleEntries.push_back(&child);
        }
        indexLetters.clear();
        letterScales.clear();
        letterLifts.clear();
    } else if (hiddenView) {
        Collector found;
        found.present[0] = true;
        for (const InstalledApp& e : catalog) {
            if (!e.isFolder) {
                if (IsEntryHidden(e) && (s.empty() || MatchesSearch(e, s))) found.Add(e, NormalizePathKey(e.launchId));
            } else if (IsEntryHidden(e)) {
                if (s.empty() || MatchesSearch(e, s)) {
                    found.Add(e, kFolderKeyPrefix + e.nameKey);
                } else {
                    for (const InstalledApp& child : e.children) {
                        if (MatchesSearch(child, s)) found.Add(child, NormalizePathKey(child.launchId));
                    }
                }
            } else {
                const bool folderMatches = !s.empty() && MatchesSearch(e, s);
                for (const InstalledApp& child : e.children) {
                    if (IsEntryHidden(child) && (s.empty() || folderMatches || MatchesSearch(child, s))) {
                        found.Add(child, NormalizePathKey(child.launchId));
                    }
                }
            }
        }
        buildLetters(found.present);
        takeLetter(found.entries);
        SortVisibleEntriesByName();
    } else if (!s.empty()) {
        Collector found;
        found.present[0] = true;
        for (const InstalledApp& e : catalog) {
            if (IsEntryHidden(e)) continue;
            if (!e.isFolder) {
                if (FitsTab(categoryTab, e.category) && MatchesSearch(e, s)) found.Add(e, NormalizePathKey(e.launchId));
                continue;
            }
            const bool folderMatches = MatchesSearch(e, s);
            for (const InstalledApp& child : e.children) {
                if (IsEntryHidden(child)) continue;
                const bool fits = FitsTab(categoryTab, child.category) || FitsTab(categoryTab, e.category);
                if (fits && (folderMatches || MatchesSearch(child, s)))
                    found.Add(child, NormalizePathKey(child.launchId));
            }
        }
        buildLetters(found.present);
        takeLetter(found.entries);
    } else {
        for (const InstalledApp& e : catalog) {
            if (IsEntryHidden(e)) continue;
            const bool fits = FitsTab(categoryTab, e.category);
            if (!e.isFolder) {
                if (e.isPrimary && fits) present[LetterSlotOf(e.initial)] = true;
                continue;
            }
            if (fits) present[LetterSlotOf(e.initial)] = true;
            for (const InstalledApp& child : e.children) {
                if (IsEntryHidden(child)) continue;
                if (FitsTab(categoryTab, child.category) || fits) present[LetterSlotOf(child.initial)] = true;
            }
        }
        buildLetters(present);
        if (indexLetter == 0) {
            for (const InstalledApp& e : catalog) {
                if (!IsEntryHidden(e) && FitsTab(categoryTab, e.category) && (e.isFolder || e.isPrimary)) {
                    visibleEntries.push_back(&e);
                }
            }
        } else {
            const wchar_t letter = static_cast<wchar_t>(indexLetter);
            std::unordered_set<std::wstring> keys;
            auto add = [&](const InstalledApp& entry, std::wstring key) {
                if (keys.insert(std::move(key)).second) visibleEntries.push_back(&entry);
            };
            for (const InstalledApp& e : catalog) {
                if (IsEntryHidden(e)) continue;
                const bool fits = FitsTab(categoryTab, e.category);
                if (!e.isFolder) {
                    if (e.isPrimary && fits && e.initial == letter) add(e, NormalizePathKey(e.launchId));
                    continue;
                }
                bool folderAdded = false;
                if (fits && e.initial == letter) {
                    folderAdded = keys.count(NormalizePathKey(e.launchId)) == 0;
                    add(e, NormalizePathKey(e.launchId));
                }
                for (const InstalledApp& child : e.children) {
                    if (IsEntryHidden(child)) continue;
                    if (!(FitsTab(categoryTab, child.category) || fits)) continue;
                    if (child.initial != letter) continue;
                    if (folderAdded && child.nameKey == e.nameKey) continue;
                    add(child, child.isFolder ? kFolderKeyPrefix + child.nameKey : NormalizePathKey(child.launchId));
                }
            }
            SortVisibleEntriesByName();
        }
    }

    if (!openFolder) {
        letterScales.resize(indexLetters.size(), 1.0f);
        letterLifts.resize(indexLetters.size(), 0.0f);
    }
    const int n = static_cast<int>(visibleEntries.size());
    pageCount = std::max(1, (n + kSlotsPerPage - 1) / kSlotsPerPage);
    page = std::clamp(page, 0, pageCount - 1);
}
