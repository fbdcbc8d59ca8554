#include "apps/UninstallMatch.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "config/PathText.h"

namespace {

bool IsAsciiWordCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

// The folder key `folder` is `directory` itself or one of its parents.
bool IsSameOrParentFolder(const std::wstring& folder, const std::wstring& directory) {
    if (directory.size() < folder.size() || directory.compare(0, folder.size(), folder) != 0) return false;
    return directory.size() == folder.size() || directory[folder.size()] == L'\\';
}

}  // namespace

std::wstring TrimFolderKey(std::wstring key) {
    while (!key.empty() && key.back() == L'\\') key.pop_back();
    return key;
}

const std::vector<std::wstring>& ContainerFolderKeys() {
    static const std::vector<std::wstring> keys = [] {
        std::vector<std::wstring> result;
        for (REFKNOWNFOLDERID id : {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86, FOLDERID_ProgramFilesX64,
                                    FOLDERID_LocalAppData, FOLDERID_RoamingAppData, FOLDERID_Windows}) {
            PWSTR path = nullptr;
            if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path && *path) {
                result.push_back(TrimFolderKey(NormalizePathKey(path)));
            }
            CoTaskMemFree(path);
        }
        return result;
    }();
    return keys;
}

bool IsTooBroadForLocation(const std::wstring& folderKey, const std::vector<std::wstring>& containers) {
    const std::wstring folder = TrimFolderKey(folderKey);
    if (folder.size() <= 2) return true;  // "c:" or nothing: a drive root
    for (const auto& container : containers) {
        if (folder == container) return true;
    }
    return false;
}

bool ContainsAsWord(const std::wstring& text, const std::wstring& part) {
    if (part.empty()) return false;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) {
        size_t end = at + part.size();
        bool openBefore = at == 0 || !IsAsciiWordCharacter(text[at - 1]);
        bool openAfter = end == text.size() || !IsAsciiWordCharacter(text[end]);
        if (openBefore && openAfter) return true;
    }
    return false;
}

UninstallMatcher::UninstallMatcher(std::wstring nameKey, std::wstring directoryKey,
                                   const std::vector<std::wstring>& containers)
    : nameKey_(std::move(nameKey)), directoryKey_(TrimFolderKey(std::move(directoryKey))), containers_(&containers) {
    // A program directly in a drive root or a container folder shares its
    // folder with everything else there.
    locationsApply_ = directoryKey_.size() > 10 && !IsTooBroadForLocation(directoryKey_, containers);
}

bool UninstallMatcher::Consider(const std::wstring& display, const std::wstring& location, const std::wstring& icon,
                                const std::wstring& command) {
    if (!nameKey_.empty() && nameKey_ == display) {
        candidate_ = command;
        return true;
    }
    if (locationsApply_) {
        size_t matched = 0;
        const std::wstring folder = TrimFolderKey(location);
        if (!folder.empty() && !IsTooBroadForLocation(folder, *containers_) &&
            IsSameOrParentFolder(folder, directoryKey_)) {
            matched = folder.size();
        }
        if (!icon.empty() && icon.find(directoryKey_ + L"\\") != std::wstring::npos) matched = directoryKey_.size();
        if (matched > 0) {
            if (matched >= candidateLocation_) {
                candidate_ = command;
                candidateLocation_ = matched;
            }
            return false;
        }
    }
    if (candidate_.empty() && nameKey_.size() > 2 &&
        (ContainsAsWord(display, nameKey_) || ContainsAsWord(nameKey_, display))) {
        candidate_ = command;
    }
    return false;
}
