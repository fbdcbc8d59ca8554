#pragma once
// One read of the system's notification database, made from copies of what
// the store knows when the read is asked for, so that it can run on a worker
// while the store's owner goes on: the rows of the fixed query turned into
// items, with their read flags and which of them are new.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "notify/NotificationItem.h"
#include "notify/SqliteApi.h"

// The one query, over the only parts of the system's schema relied on: the 50
// newest toasts with their handler's id, type and display name.
inline constexpr const char* kNotificationQuery =
    "SELECT n.Id, n.ArrivalTime, n.ExpiryTime, COALESCE(h.PrimaryId, ''), "
    "COALESCE(h.HandlerType, ''), COALESCE((SELECT a.AssetValue FROM HandlerAssets a WHERE "
    "a.HandlerId = h.RecordId AND a.AssetKey = 'DisplayName' LIMIT 1), ''), n.Payload FROM "
    "Notification n LEFT JOIN NotificationHandler h ON n.HandlerId = h.RecordId WHERE n.Type = "
    "'toast' ORDER BY n.ArrivalTime DESC LIMIT 50";
inline constexpr int kNotificationBusyTimeoutMs = 120;

struct NotificationReadRequest {
    SqliteApi sqlite;
    std::wstring databasePath;
    std::wstring walPath;
    std::string databasePathUtf8;
    uint64_t now = 0;  // FILETIME; rows that expired before it are skipped
    uint64_t clearedWatermark = 0;
    std::unordered_set<int64_t> dismissedIds;
    std::unordered_map<int64_t, bool> previousRead;  // id -> read, of the list when asked
    int64_t maxSeenId = 0;
    bool initialized = false;
};

struct NotificationReadResult {
    bool ok = false;  // the query ran to its end; nothing else counts
    std::vector<NotificationItem> rows;
    std::vector<NotificationItem> arrived;  // rows with an id above maxSeenId, unread
    int64_t maxSeenId = 0;                  // the largest id of any row returned
};

// Opens the database read-only, and so that nothing is created beside it:
// a database in WAL mode whose log is absent is read as immutable (a
// read-only connection would create the log and its index and could not
// remove them again).
NotificationReadResult ReadNotifications(const NotificationReadRequest& request);
