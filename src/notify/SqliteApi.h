#pragma once
// The ten SQLite entry points the notification store uses, declared here from
// SQLite's documented programming interface and resolved by name at run time
// from the system's own "winsqlite3.dll"; the program imports no SQLite
// library.

#include <cstdint>

struct SqliteConnection;  // sqlite3
struct SqliteStatement;   // sqlite3_stmt

namespace sqlite_api {
inline constexpr int kOk = 0;
inline constexpr int kBusy = 5;
inline constexpr int kRow = 100;
inline constexpr int kDone = 101;
inline constexpr int kOpenReadOnly = 0x00000001;
}  // namespace sqlite_api

struct SqliteApi {
    using OpenV2 = int (*)(const char* file, SqliteConnection** db, int flags, const char* vfs);
    using Close = int (*)(SqliteConnection* db);
    using BusyTimeout = int (*)(SqliteConnection* db, int ms);
    using PrepareV2 = int (*)(SqliteConnection* db, const char* sql, int bytes, SqliteStatement** statement,
                              const char** tail);
    using Step = int (*)(SqliteStatement* statement);
    using Finalize = int (*)(SqliteStatement* statement);
    using ColumnInt64 = long long (*)(SqliteStatement* statement, int column);
    using ColumnText = const unsigned char* (*)(SqliteStatement* statement, int column);
    using ColumnBlob = const void* (*)(SqliteStatement* statement, int column);
    using ColumnBytes = int (*)(SqliteStatement* statement, int column);

    OpenV2 open_v2 = nullptr;
    Close close = nullptr;
    BusyTimeout busy_timeout = nullptr;
    PrepareV2 prepare_v2 = nullptr;
    Step step = nullptr;
    Finalize finalize = nullptr;
    ColumnInt64 column_int64 = nullptr;
    ColumnText column_text = nullptr;
    ColumnBlob column_blob = nullptr;
    ColumnBytes column_bytes = nullptr;

    bool Complete() const {
        return open_v2 && close && busy_timeout && prepare_v2 && step && finalize && column_int64 && column_text &&
               column_blob && column_bytes;
    }
};
