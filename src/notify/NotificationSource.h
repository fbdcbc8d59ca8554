#pragma once
// Who sent a notification, and how long ago, as the notification center shows it.

#include <cstdint>
#include <string>

// What the database may hand over is cut to these many UTF-16 units before it
// is resolved or painted: a display name, an id. Executable paths longer than
// MAX_PATH are not taken at all (a cut path names another file).
inline constexpr size_t kSourceNameLimit = 256;
inline constexpr size_t kSourceIdLimit = 1024;

// A path a notification may start: a ".exe" under a drive letter ("C:\..."),
// shorter than MAX_PATH. Relative, UNC and device paths are refused: they
// would be looked up in the working folder or on the network.
bool IsLocalExecutablePath(const std::wstring& path);

// The source's display name (at most kSourceNameLimit units, ending in "…"
// when cut): the handler's own display name when it is plain text, else a
// name for well-known system senders, else the executable's stem, else the
// product part of an application user model id, else "系统通知".
// *exePathOut (when given) becomes the executable that appId names when it
// passes IsLocalExecutablePath.
std::wstring ResolveNotificationSourceName(const std::wstring& appId, const std::wstring& displayName,
                                           std::wstring* exePathOut);

// "刚刚", "N 分钟前", "N 小时前", "昨天", "N 天前" or "较早" for two FILETIME values.
std::wstring FormatRelativeTime(uint64_t arrivalTime, uint64_t now);
