#include "notify/NotificationRead.h"

#include <windows.h>

#include <algorithm>

#include "notify/NotificationSource.h"
#include "notify/ToastText.h"
#include "platform/UniqueHandle.h"

namespace {

constexpr int kOpenUri = 0x00000040;  // SQLITE_OPEN_URI

// Closes what one read opened, on every way out.
struct OpenQuery {
    const SqliteApi& api;
    SqliteConnection* db = nullptr;
    SqliteStatement* statement = nullptr;
    ~OpenQuery() {
        if (statement) api.finalize(statement);
        if (db) api.close(db);
    }
};

std::string ColumnText(const SqliteApi& api, SqliteStatement* statement, int column) {
    const unsigned char* text = api.column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

// Only the start of a long text is converted: every three UTF-8 bytes give
// at least one UTF-16 unit, so a cut prefix always converts to more than
// `limit` units and is cut (with its broken last sequence) below.
std::wstring CappedText(const std::string& utf8, size_t limit, bool ellipsis) {
    std::wstring text = Utf8ToWide(utf8.data(), std::min(utf8.size(), 3 * limit + 3));
    CutAtCodePoint(text, limit, ellipsis);
    return text;
}

bool FileExists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Bytes 18 and 19 of the database header are 2 in WAL mode.
bool InWalMode(const std::wstring& path) {
    const platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    unsigned char header[20] = {};
    DWORD got = 0;
    const bool read = ReadFile(file.get(), header, sizeof(header), &got, nullptr) && got == sizeof(header);
    return read && header[18] == 2 && header[19] == 2;
}

// What SQLite is asked to open: the database's own path, or, for a database
// in WAL mode whose log is absent, an immutable "file:" name.
std::string NotificationDatabaseOpenName(const std::wstring& databasePath, const std::wstring& walPath,
                                         const std::string& databasePathUtf8, int& flags) {
    const std::string& path = databasePathUtf8;
    const bool drive = path.size() > 2 && path[1] == ':' && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z');
    // Without a log there is nothing to read but the database file, so an
    // immutable read misses nothing; a log that exists is read as usual.
    if (!drive || FileExists(walPath) || !InWalMode(databasePath)) return path;
    std::string uri = "file:///";
    for (char c : path) {
        if (c == '\\') {
            uri += '/';
        } else if (c == '%' || c == '?' || c == '#') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            uri += '%';
            uri += kHex[(static_cast<unsigned char>(c) >> 4) & 0xF];
            uri += kHex[static_cast<unsigned char>(c) & 0xF];
        } else {
            uri += c;
        }
    }
    flags |= kOpenUri;
    return uri + "?immutable=1";
}

}  // namespace

NotificationReadResult ReadNotifications(const NotificationReadRequest& request) {
    NotificationReadResult result;
    result.maxSeenId = request.maxSeenId;
    if (!FileExists(request.databasePath)) return result;

    const SqliteApi& api = request.sqlite;
    OpenQuery query{api};
    int flags = sqlite_api::kOpenReadOnly;
    const std::string name =
        NotificationDatabaseOpenName(request.databasePath, request.walPath, request.databasePathUtf8, flags);
    if (api.open_v2(name.c_str(), &query.db, flags, nullptr) != sqlite_api::kOk || !query.db) return result;
    api.busy_timeout(query.db, kNotificationBusyTimeoutMs);
    if (api.prepare_v2(query.db, kNotificationQuery, -1, &query.statement, nullptr) != sqlite_api::kOk ||
        !query.statement) {
        return result;
    }

    int step;
    while ((step = api.step(query.statement)) == sqlite_api::kRow) {
        SqliteStatement* s = query.statement;
        const int64_t id = api.column_int64(s, 0);
        const long long arrival = api.column_int64(s, 1);
        const long long expiry = api.column_int64(s, 2);
        const uint64_t arrivalTime = arrival < 0 ? 0 : static_cast<uint64_t>(arrival);
        const uint64_t expiryTime = expiry < 0 ? 0 : static_cast<uint64_t>(expiry);
        result.maxSeenId = std::max(result.maxSeenId, id);
        if ((expiryTime != 0 && expiryTime < request.now) || arrivalTime <= request.clearedWatermark ||
            request.dismissedIds.count(id)) {
            continue;
        }

        NotificationItem item;
        item.id = id;
        item.arrivalTime = arrivalTime;
        item.appId = CappedText(ColumnText(api, s, 3), kSourceIdLimit, false);
        item.isPackaged = ColumnText(api, s, 4).find("immersive") != std::string::npos;
        const std::wstring displayName = CappedText(ColumnText(api, s, 5), kSourceNameLimit, true);
        const void* payload = api.column_blob(s, 6);
        const int payloadBytes = api.column_bytes(s, 6);
        if (payload && payloadBytes > 0) {
            ParseToastPayload(static_cast<const unsigned char*>(payload), static_cast<size_t>(payloadBytes), item.title,
                              item.body);
        }
        if (item.title.empty() && item.body.empty()) continue;
        item.appName = ResolveNotificationSourceName(item.appId, displayName, &item.exePath);

        if (!request.initialized) {
            item.read = true;
        } else if (id > request.maxSeenId) {
            item.read = false;
            result.arrived.push_back(item);
        } else {
            const auto previous = request.previousRead.find(id);
            item.read = previous != request.previousRead.end() && previous->second;
        }
        result.rows.push_back(std::move(item));
    }
    result.ok = step == sqlite_api::kDone;
    return result;
}
