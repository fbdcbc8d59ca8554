#pragma once
// Reading shortcut files. COM must be initialised on the calling thread.

#include <optional>
#include <string>

#include "apps/ShortcutInfo.h"

// Empty only for an empty path. A file that is no shortcut, or a shortcut without
// a file-system target, gives its own path as the target.
std::optional<ShortcutInfo> ResolveShortcut(const std::wstring& path);

enum class StoredLinkKind {
    Target,     // the link stores a file-system target
    NoTarget,   // no file target (a shell item, or no file at all)
    Malformed,  // refused by the link check: the shell is never handed it
};

struct StoredLinkTarget {
    StoredLinkKind kind = StoredLinkKind::NoTarget;
    std::wstring target;  // raw, as stored, for Target
};

// What the link at path stores as its target, without ResolveShortcut's
// fallback to the path itself, so a link naming itself tells from one with
// no target.
StoredLinkTarget ReadStoredLinkTarget(const std::wstring& path);
