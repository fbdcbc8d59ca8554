#pragma once
// What the file system says of a path; the path text itself is config/PathText.

#include <string>

bool IsExistingDirectory(const std::wstring& path);

// A path on a drive ("C:\\...") where nothing is; false for every other kind of
// path (shell names, ids, network paths), which are not asked about.
bool IsMissingDrivePath(const std::wstring& path);
