#pragma once
// Files that one side replaces while another may be reading them: the caches
// and the configuration are written to a temporary file and moved into place.

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

// Opens path for binary reading ("rb") with read, write and delete sharing, so
// a writer can rename the file while it is open (ReplaceSharedFile); null when
// it cannot be opened. Close with fclose.
FILE* OpenSharedForReading(const std::wstring& path);

// fflush, then FlushFileBuffers: the bytes of a temporary file must be on the
// disk before a rename makes it the real file, or a crash or power loss soon
// after can leave an empty or torn file under the real name. False when
// either fails.
bool FlushToDisk(FILE* stream);

// MoveFileExW(from, to, flags), tried 3 times 15 ms apart: a scanner or an
// indexer may hold the old file for a moment. The last error is the last
// attempt's when false.
bool MoveIntoPlace(const std::wstring& from, const std::wstring& to, DWORD flags);

// MoveIntoPlace for a file that readers open with OpenSharedForReading: an
// open file cannot be replaced, but one shared for deletion can be renamed, so
// each attempt that fails first moves the old file aside to a name of its own
// and deletes it there (it goes when its last reader closes it). For files
// whose loss is only a cache miss: should the new file fail to move after the
// old one went aside, the old one may be gone.
// Should the old file, once aside, not go back after the new one failed to
// move, it stays under its aside name rather than being lost. `move` is
// MoveFileExW; tests play moves that fail.
using FileMove = std::function<bool(const std::wstring& from, const std::wstring& to, DWORD flags)>;
bool ReplaceSharedFile(const std::wstring& from, const std::wstring& to, DWORD flags);
bool ReplaceSharedFile(const std::wstring& from, const std::wstring& to, DWORD flags, const FileMove& move);
