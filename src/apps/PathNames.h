#pragma once
// Path helpers shared by launching, the Start-menu scan and the catalog.

#include <string>

#include "apps/BuiltinIcons.h"  // FileNameOf

// "{known-folder-id}\rest" becomes "<folder>\rest"; anything else, or an id that
// names no known folder, comes back unchanged.
std::wstring ExpandKnownFolderPath(const std::wstring& path);

// File stem of the path (cut at a ':' stream marker); the file name when the stem
// is empty; the path itself when that is empty too.
std::wstring DisplayNameFromPath(const std::wstring& path);

// From the last '.' to the end, when that dot lies after the last separator; else empty.
std::wstring ExtensionOf(const std::wstring& path);

// The folder part before the last separator, without it (keeps "C:\" whole); empty
// when there is no separator.
std::wstring ParentFolderOf(const std::wstring& path);

bool IsExistingDirectory(const std::wstring& path);

// A path on a drive ("C:\\...") where nothing is; false for every other kind of
// path (shell names, ids, network paths), which are not asked about.
bool IsMissingDrivePath(const std::wstring& path);
