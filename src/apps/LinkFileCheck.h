#pragma once
// The one check every shortcut file passes before the shell is handed it (to
// read, draw or start): the shell trusts the sizes inside a link and commits
// what they claim, gigabytes for a link of a hundred bytes. The verdict is
// kept per file stamp (path, size, last write time), so a bad link costs one
// read of its bytes however often it is drawn or started. Safe on any thread.

#include <string>

// False for a ".lnk" file-system path whose file cannot be read, is over 1 MiB
// or fails LinkBytesAreSound; true for everything else (other files, shell
// names, application ids, paths that name no file).
bool IsLinkFileSound(const std::wstring& path);
