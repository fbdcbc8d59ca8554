#include "apps/ShortcutChain.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <unordered_set>

#include "platform/Log.h"
#include "apps/Launch.h"
#include "apps/PathNames.h"
#include "apps/Shortcut.h"
#include "config/Paths.h"

using Microsoft::WRL::ComPtr;

namespace {

// ResolveShortcut gives a shortcut's own path both when it has no file target
// and when it names itself; only the stored path tells the two apart.
bool StoresAPath(const std::wstring& link) {
    ComPtr<IShellLinkW> shellLink;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shellLink))) ||
        FAILED(shellLink.As(&file)) || FAILED(file->Load(link.c_str(), STGM_READ))) {
        return false;
    }
    wchar_t stored[MAX_PATH] = {};
    return SUCCEEDED(shellLink->GetPath(stored, MAX_PATH, nullptr, SLGP_RAWPATH)) && stored[0] != L'\0';
}

}  // namespace

bool IsShortcutPath(const std::wstring& path) { return NormalizePathKey(ExtensionOf(path)) == L".lnk"; }

std::optional<std::wstring> ReadStoredShortcutTarget(const std::wstring& link) {
    const std::optional<ShortcutInfo> info = ResolveShortcut(link);
    if (!info || info->targetPath.empty()) return std::nullopt;
    if (NormalizePathKey(info->targetPath) == NormalizePathKey(link) && !StoresAPath(link)) return std::nullopt;
    return info->targetPath;
}

ShortcutChain FollowShortcutChain(const std::wstring& path, const StoredShortcutTarget& read) {
    std::unordered_set<std::wstring> met = {NormalizePathKey(path)};
    std::wstring current = path;
    for (int links = 1; IsShortcutPath(current); ++links) {
        const std::optional<std::wstring> stored = read(current);
        if (!stored) return {ShortcutChainEnd::Program, current};
        const std::wstring next = ExpandLaunchTarget(*stored);
        if (!IsShortcutPath(next)) return {ShortcutChainEnd::Program, next};
        if (!met.insert(NormalizePathKey(next)).second) return {ShortcutChainEnd::Loop, next};
        if (links >= kMaxShortcutChainLinks) return {ShortcutChainEnd::TooLong, next};
        current = next;
    }
    return {ShortcutChainEnd::Program, current};
}

bool ShortcutChainIsSafe(const std::wstring& path) {
    if (!IsShortcutPath(path)) return true;
    const ShortcutChain chain = FollowShortcutChain(path);
    switch (chain.end) {
        case ShortcutChainEnd::Program:
            return true;
        case ShortcutChainEnd::Loop:
            LogMessage(L"Shortcut refused: %s leads back to %s", path.c_str(), chain.last.c_str());
            return false;
        case ShortcutChainEnd::TooLong:
            LogMessage(L"Shortcut refused: %s still leads to a shortcut after %d of them", path.c_str(),
                       kMaxShortcutChainLinks);
            return false;
    }
    return false;
}
