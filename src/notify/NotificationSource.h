#pragma once
// Who sent a notification, and how long ago, as the notification center shows it.

#include <cstdint>
#include <string>

// The source's display name: the handler's own display name when it is plain
// text, else a name for well-known system senders, else the executable's stem,
// else the product part of an application user model id, else "系统通知".
// *exePathOut (when given) becomes the executable that appId names, when that
// file exists or at least looks like a path.
std::wstring ResolveNotificationSourceName(const std::wstring& appId,
                                           const std::wstring& displayName,
                                           std::wstring* exePathOut);

// "刚刚", "N 分钟前", "N 小时前", "昨天", "N 天前" or "较早" for two FILETIME values.
std::wstring FormatRelativeTime(uint64_t arrivalTime, uint64_t now);
