#include "apps/PathNames.h"

#include <windows.h>

bool IsExistingDirectory(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsMissingDrivePath(const std::wstring& path) {
    const bool drive =
        path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    return drive && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}
