#include "apps/ShortcutChain.h"

#include <windows.h>

#include <unordered_set>

#include "platform/Log.h"
#include "apps/Launch.h"
#include "apps/Shortcut.h"
#include "config/PathText.h"

bool IsShortcutPath(const std::wstring& path) { return NormalizePathKey(ExtensionOf(path)) == L".lnk"; }

ShortcutChain FollowShortcutChain(const std::wstring& path) {
    std::unordered_set<std::wstring> met = {NormalizePathKey(path)};
    std::wstring current = path;
    for (int links = 1; IsShortcutPath(current); ++links) {
        const StoredLinkTarget stored = ReadStoredLinkTarget(current);
        if (stored.kind == StoredLinkKind::Malformed) return {ShortcutChainEnd::Malformed, current};
        if (stored.kind == StoredLinkKind::NoTarget) return {ShortcutChainEnd::Program, current};
        const std::wstring next = ExpandLaunchTarget(stored.target);
        if (!IsShortcutPath(next)) return {ShortcutChainEnd::Program, next};
        if (!met.insert(NormalizePathKey(next)).second) return {ShortcutChainEnd::Loop, next};
        if (links >= kMaxShortcutChainLinks) return {ShortcutChainEnd::TooLong, next};
        current = next;
    }
    return {ShortcutChainEnd::Program, current};
}

bool ShortcutChainIsSafe(const std::wstring& path) {
    return !IsShortcutPath(path) || AcceptShortcutChain(path, FollowShortcutChain(path));
}

bool AcceptShortcutChain(const std::wstring& path, const ShortcutChain& chain) {
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
        case ShortcutChainEnd::Malformed:
            LogMessage(L"Shortcut refused: %s is not a sound shortcut file", chain.last.c_str());
            return false;
    }
    return false;
}
