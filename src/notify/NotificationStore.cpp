#include "notify/NotificationStore.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "notify/NotificationSource.h"
#include "notify/ToastText.h"

const char* const NotificationStore::kQuery =
    "SELECT n.Id, n.ArrivalTime, n.ExpiryTime, COALESCE(h.PrimaryId, ''), "
    "COALESCE(h.HandlerType, ''), COALESCE((SELECT a.AssetValue FROM HandlerAssets a WHERE "
    "a.HandlerId = h.RecordId AND a.AssetKey = 'DisplayName' LIMIT 1), ''), n.Payload FROM "
    "Notification n LEFT JOIN NotificationHandler h ON n.HandlerId = h.RecordId WHERE n.Type = "
    "'toast' ORDER BY n.ArrivalTime DESC LIMIT 50";

namespace {

uint64_t FileTimeValue(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FileStamp StampOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return {};
    }
    return {FileTimeValue(data.ftLastWriteTime), data.nFileSizeLow};
}

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

template <typename T>
bool Resolve(HMODULE library, const char* name, T& entry) {
    entry = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return entry != nullptr;
}

// Closes what one poll opened, on every way out.
struct OpenQuery {
    const SqliteApi& api;
    SqliteConnection* db = nullptr;
    SqliteStatement* statement = nullptr;
    ~OpenQuery() {
        if (statement) api.finalize(statement);
        if (db) api.close(db);
    }
};

}  // namespace

NotificationStoreOps DefaultNotificationStoreOps() {
    NotificationStoreOps ops;
    ops.localAppDataFolder = []() -> std::wstring {
        PWSTR folder = nullptr;
        std::wstring result;
        if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder)) && folder) {
            result = folder;
        }
        CoTaskMemFree(folder);
        return result;
    };
    ops.loadLibrary = []() {
        return LoadLibraryExW(L"winsqlite3.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    };
    ops.now = []() {
        FILETIME now = {};
        GetSystemTimeAsFileTime(&now);
        return FileTimeValue(now);
    };
    return ops;
}

NotificationStore::~NotificationStore() {
    if (library) FreeLibrary(library);
}

bool NotificationStore::EnsureOpen() {
    if (openAttempted) return available;
    openAttempted = true;

    const std::wstring folder = ops_.localAppDataFolder ? ops_.localAppDataFolder() : L"";
    if (!folder.empty()) {
        const std::wstring notifications = folder + L"\\Microsoft\\Windows\\Notifications\\";
        databasePath = notifications + L"wpndatabase.db";
        walPath = notifications + L"wpndatabase.db-wal";
        databasePathUtf8 = WideToUtf8(databasePath);
    }
    if (!databasePathUtf8.empty() && ops_.loadLibrary) {
        library = ops_.loadLibrary();
        if (library) {
            bool all = Resolve(library, "sqlite3_open_v2", sqlite.open_v2);
            all = Resolve(library, "sqlite3_close", sqlite.close) && all;
            all = Resolve(library, "sqlite3_busy_timeout", sqlite.busy_timeout) && all;
            all = Resolve(library, "sqlite3_prepare_v2", sqlite.prepare_v2) && all;
            all = Resolve(library, "sqlite3_step", sqlite.step) && all;
            all = Resolve(library, "sqlite3_finalize", sqlite.finalize) && all;
            all = Resolve(library, "sqlite3_column_int64", sqlite.column_int64) && all;
            all = Resolve(library, "sqlite3_column_text", sqlite.column_text) && all;
            all = Resolve(library, "sqlite3_column_blob", sqlite.column_blob) && all;
            all = Resolve(library, "sqlite3_column_bytes", sqlite.column_bytes) && all;
            if (all && ops_.wrapEntryPoints) ops_.wrapEntryPoints(sqlite);
            available = all && sqlite.Complete();
        }
    }
    return available;
}

bool NotificationStore::DatabaseChanged(bool store) {
    const FileStamp database = StampOf(databasePath);
    const FileStamp wal = StampOf(walPath);
    const bool changed = !(database == databaseStamp) || !(wal == walStamp);
    if (store) {
        databaseStamp = database;
        walStamp = wal;
    }
    return changed;
}

std::string NotificationStore::ColumnText(SqliteStatement* statement, int column) const {
    const unsigned char* text = sqlite.column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

void NotificationStore::RetireTakenAway(std::vector<NotificationItem>& list) const {
    std::erase_if(list, [this](const NotificationItem& item) {
        return item.arrivalTime <= clearedWatermark || dismissedIds.count(item.id) != 0;
    });
}

int32_t NotificationStore::CountUnread(const std::vector<NotificationItem>& list) const {
    return static_cast<int32_t>(
        std::count_if(list.begin(), list.end(), [](const NotificationItem& i) { return !i.read; }));
}

bool NotificationStore::Poll(std::vector<NotificationItem>& newItems, bool force) {
    newItems.clear();
    if (!EnsureOpen()) return false;
    if (!force && initialized && !DatabaseChanged(false)) return false;
    DatabaseChanged(true);
    if (GetFileAttributesW(databasePath.c_str()) == INVALID_FILE_ATTRIBUTES) return false;

    std::vector<NotificationItem> rows;
    std::vector<NotificationItem> arrived;
    int64_t runningMax = maxSeenId;
    // A read that fails part-way changes nothing: an empty or cut list would
    // wrongly drop notifications, and a low maxSeenId would bring every old
    // toast back as a banner on the next good read.
    if (!ReadRows(rows, arrived, runningMax)) return false;
    maxSeenId = runningMax;
    // What the user took away while the rows were read stays away: it neither
    // comes back into the list nor counts towards the unread badge or banners.
    RetireTakenAway(rows);
    RetireTakenAway(arrived);

    if (!initialized) {
        initialized = true;
        items = std::move(rows);
        unreadCount = 0;
        return !items.empty();
    }
    const int32_t unread = CountUnread(rows);
    bool unchanged = unread == unreadCount && rows.size() == items.size() && arrived.empty();
    for (size_t i = 0; unchanged && i < rows.size(); ++i) {
        const NotificationItem& a = rows[i];
        const NotificationItem& b = items[i];
        unchanged = a.id == b.id && a.title == b.title && a.body == b.body && a.read == b.read;
    }
    items = std::move(rows);
    unreadCount = unread;
    newItems = std::move(arrived);
    return !unchanged;
}

bool NotificationStore::ReadRows(std::vector<NotificationItem>& rows,
                                 std::vector<NotificationItem>& newItems, int64_t& runningMax) {
    OpenQuery query{sqlite};
    const int opened =
        sqlite.open_v2(databasePathUtf8.c_str(), &query.db, sqlite_api::kOpenReadOnly, nullptr);
    if (!query.db || opened != sqlite_api::kOk) return false;
    sqlite.busy_timeout(query.db, kBusyTimeoutMs);
    if (sqlite.prepare_v2(query.db, kQuery, -1, &query.statement, nullptr) != sqlite_api::kOk ||
        !query.statement) {
        return false;
    }

    std::unordered_map<int64_t, bool> previousRead;  // id -> read, of the current list
    for (const NotificationItem& item : items) previousRead.emplace(item.id, item.read);
    const uint64_t now = ops_.now ? ops_.now() : 0;
    const int64_t seenBefore = maxSeenId;

    int result;
    while ((result = sqlite.step(query.statement)) == sqlite_api::kRow) {
        SqliteStatement* s = query.statement;
        const int64_t id = sqlite.column_int64(s, 0);
        const long long arrival = sqlite.column_int64(s, 1);
        const long long expiry = sqlite.column_int64(s, 2);
        const uint64_t arrivalTime = arrival < 0 ? 0 : static_cast<uint64_t>(arrival);
        const uint64_t expiryTime = expiry < 0 ? 0 : static_cast<uint64_t>(expiry);
        runningMax = std::max(runningMax, id);
        if ((expiryTime != 0 && expiryTime < now) || arrivalTime <= clearedWatermark ||
            dismissedIds.count(id)) {
            continue;
        }

        NotificationItem item;
        item.id = id;
        item.arrivalTime = arrivalTime;
        item.appId = Utf8ToWide(ColumnText(s, 3));
        item.isPackaged = ColumnText(s, 4).find("immersive") != std::string::npos;
        const std::wstring displayName = Utf8ToWide(ColumnText(s, 5));
        const void* payload = sqlite.column_blob(s, 6);
        const int payloadBytes = sqlite.column_bytes(s, 6);
        if (payload && payloadBytes > 0) {
            ParseToastPayload(static_cast<const unsigned char*>(payload),
                              static_cast<size_t>(payloadBytes), item.title, item.body);
        }
        if (item.title.empty() && item.body.empty()) continue;
        item.appName = ResolveNotificationSourceName(item.appId, displayName, &item.exePath);

        if (!initialized) {
            item.read = true;
        } else if (id > seenBefore) {
            item.read = false;
            newItems.push_back(item);
        } else {
            const auto previous = previousRead.find(id);
            item.read = previous != previousRead.end() && previous->second;
        }
        rows.push_back(std::move(item));
    }
    return result == sqlite_api::kDone;
}

void NotificationStore::Dismiss(int64_t id) {
    dismissedIds.insert(id);
    items.erase(std::remove_if(items.begin(), items.end(),
                               [id](const NotificationItem& item) { return item.id == id; }),
                items.end());
    unreadCount = CountUnread(items);
}

uint64_t NotificationStore::ClearAll() {
    uint64_t watermark = ops_.now ? ops_.now() : 0;
    for (const NotificationItem& item : items) watermark = std::max(watermark, item.arrivalTime);
    clearedWatermark = watermark;
    items.clear();
    unreadCount = 0;
    return watermark;
}

void NotificationStore::MarkAllRead() {
    for (NotificationItem& item : items) item.read = true;
    unreadCount = 0;
}
