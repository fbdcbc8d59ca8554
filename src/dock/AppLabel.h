#pragma once
// The name shown for an application that is only known by its executable.

#include <string>

// File stem of the path: the last component (never a drive or server root),
// cut at its first ':' (stream names), without its last extension. Names that
// are only a leading-dot name, "." or "..", stay whole. "App" when empty.
std::wstring AppLabelFromPath(const std::wstring& path);
