#include "apps/NameClassification.h"

#include <windows.h>
#include <shlobj.h>

#include <mutex>
#include <string_view>
#include <vector>

#include "apps/NameKeywordTables.h"
#include "config/PathText.h"

namespace {

bool Contains(std::wstring_view haystack, std::wstring_view word) {
    return haystack.find(word) != std::wstring_view::npos;
}

template <size_t N>
bool ContainsAny(std::wstring_view haystack, const std::wstring_view (&words)[N]) {
    for (std::wstring_view word : words) {
        if (Contains(haystack, word)) return true;
    }
    return false;
}

template <size_t N>
bool EqualsAny(std::wstring_view text, const std::wstring_view (&words)[N]) {
    for (std::wstring_view word : words) {
        if (text == word) return true;
    }
    return false;
}

bool FileNameHasUninstaller(const std::wstring& fileName) {
    return fileName.size() >= 5 && Contains(fileName, L"unins");
}

// Replaces every occurrence of the profile folder's key, so the account's name
// cannot act as a keyword; the rest of the path still counts.
std::wstring WithoutProfile(std::wstring key, const std::wstring& profileKey) {
    if (profileKey.empty()) return key;
    size_t at = 0;
    while ((at = key.find(profileKey, at)) != std::wstring::npos) {
        key.replace(at, profileKey.size(), L"%userprofile%");
        at += 13;
    }
    return key;
}

std::wstring ComputeUserProfileKey() {
    PWSTR path = nullptr;
    std::wstring key;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &path)) && path) {
        key = NormalizePathKey(path);
        while (!key.empty() && key.back() == L'\\') key.pop_back();
    }
    CoTaskMemFree(path);
    // A drive root or a bare name would blank far too much.
    if (key.size() < 4) key.clear();
    return key;
}

// The arguments split as a command line is: at blanks, double quotes grouping.
std::vector<std::wstring> ArgumentWords(const std::wstring& arguments) {
    std::vector<std::wstring> words;
    std::wstring word;
    bool quoted = false, inWord = false;
    for (wchar_t c : arguments) {
        if (c == L'"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == L' ' || c == L'\t')) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

// The program named after "--processStart" (or its "AndWait" form, or with '='); empty when none.
std::wstring ProcessStartName(const std::wstring& arguments) {
    const std::vector<std::wstring> words = ArgumentWords(arguments);
    for (size_t i = 0; i < words.size(); ++i) {
        const std::wstring key = NormalizePathKey(words[i]);
        if ((key == L"--processstart" || key == L"--processstartandwait") && i + 1 < words.size()) {
            return words[i + 1];
        }
        for (std::wstring_view option :
             {std::wstring_view(L"--processstart="), std::wstring_view(L"--processstartandwait=")}) {
            if (key.compare(0, option.size(), option) == 0) return words[i].substr(option.size());
        }
    }
    return {};
}

}  // namespace

std::wstring ClassifiedTargetOf(const std::wstring& targetPath, const std::wstring& arguments) {
    if (FileNameOf(NormalizePathKey(targetPath)) != L"update.exe") return targetPath;
    const std::wstring name = FileNameOf(ProcessStartName(arguments));
    if (name.empty()) return targetPath;
    const std::wstring folder = ParentFolderOf(targetPath);
    if (folder.empty()) return name;
    return folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

const std::wstring& UserProfileKey() {
    static std::once_flag once;
    // Never destroyed: catalog threads may still classify while the process exits.
    static std::wstring* key = nullptr;
    std::call_once(once, [] { key = new std::wstring(ComputeUserProfileKey()); });
    return *key;
}

bool IsUninstallerName(const std::wstring& nameKey, const std::wstring& fileName) {
    return Contains(nameKey, L"uninstall") || Contains(nameKey, L"卸载") || FileNameHasUninstaller(fileName);
}

bool IsDocumentationShortcut(const std::wstring& displayName, const std::wstring& targetPath) {
    const std::wstring nameKey = NormalizePathKey(displayName);
    const std::wstring targetKey = NormalizePathKey(targetPath);
    const std::wstring extension = ExtensionOf(targetKey);
    const std::wstring fileName = FileNameOf(targetKey);
    if (nameKey.empty()) return true;
    if (Contains(nameKey, L"uninstall") || Contains(nameKey, L"卸载")) return true;
    if (Contains(fileName, L"unins")) return true;
    if (EqualsAny(extension, name_tables::kDocumentationExtensions)) return true;
    return ContainsAny(nameKey, name_tables::kDocumentationNameWords);
}

AppCategory AppCategoryFor(const InstalledApp& entry, const std::wstring& targetPath, const std::wstring& launchId) {
    return AppCategoryFor(entry, targetPath, launchId, UserProfileKey());
}

AppCategory AppCategoryFor(const InstalledApp& entry, const std::wstring& targetPath, const std::wstring& launchId,
                           const std::wstring& profileKey) {
    const std::wstring haystack = NormalizePathKey(entry.name) + L" " +
                                  WithoutProfile(NormalizePathKey(targetPath), profileKey) + L" " +
                                  WithoutProfile(NormalizePathKey(launchId), profileKey);
    if (ContainsAny(haystack, name_tables::kMediaKeywords)) return AppCategory::Media;
    if (ContainsAny(haystack, name_tables::kSocialKeywords)) return AppCategory::Social;
    if (ContainsAny(haystack, name_tables::kOfficeKeywords)) return AppCategory::Office;
    if (ContainsAny(haystack, name_tables::kDevelopmentKeywords)) return AppCategory::Development;
    if (ContainsAny(haystack, name_tables::kGamesKeywords)) return AppCategory::Games;
    return AppCategory::Other;
}

bool IsPrimaryAppEntry(const InstalledApp& entry, const std::wstring& targetPath, const std::wstring& launchId) {
    const std::wstring nameKey = NormalizePathKey(entry.name);
    const std::wstring targetKey = NormalizePathKey(targetPath);
    const std::wstring extension = ExtensionOf(targetKey);
    const std::wstring fileName = FileNameOf(targetKey);
    const std::wstring idKey = NormalizePathKey(launchId);

    if (nameKey.empty()) return false;
    if (Contains(nameKey, L"uninstall") || Contains(nameKey, L"卸载")) return false;
    if (FileNameHasUninstaller(fileName)) return false;
    if (fileName.size() >= 9 && Contains(fileName, L"uninstall")) return false;
    if (EqualsAny(extension, name_tables::kAuxiliaryExtensions)) return false;
    if (ContainsAny(nameKey, name_tables::kAuxiliaryNameWords)) return false;
    if (extension == L".exe" && !EqualsAny(fileName, name_tables::kMainProgramFiles)) {
        if (EqualsAny(fileName, name_tables::kSystemToolFiles)) return false;
        if (ContainsAny(fileName, name_tables::kAuxiliaryFileFragments)) return false;
    }
    return !ContainsAny(idKey, name_tables::kAuxiliaryPackageIds);
}
