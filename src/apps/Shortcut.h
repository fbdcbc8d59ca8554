#pragma once
// Reading shortcut files. COM must be initialised on the calling thread.

#include <optional>
#include <string>

#include "apps/ShortcutInfo.h"

// Empty only for an empty path. A file that is no shortcut, or a shortcut without
// a file-system target, gives its own path as the target.
std::optional<ShortcutInfo> ResolveShortcut(const std::wstring& path);
