#include "support/ToastDatabase.h"

#include <windows.h>

#include "support/TestSupport.h"

namespace testing_support {

struct SqliteWriterApi {
    int (*open_v2)(const char*, void**, int, const char*) = nullptr;
    int (*close)(void*) = nullptr;
    int (*exec)(void*, const char*, void*, void*, char**) = nullptr;
    int (*prepare_v2)(void*, const char*, int, void**, const char**) = nullptr;
    int (*bind_int64)(void*, int, long long) = nullptr;
    int (*bind_text)(void*, int, const char*, int, void (*)(void*)) = nullptr;
    int (*bind_blob)(void*, int, const void*, int, void (*)(void*)) = nullptr;
    int (*bind_null)(void*, int) = nullptr;
    int (*step)(void*) = nullptr;
    int (*finalize)(void*) = nullptr;
    const char* (*errmsg)(void*) = nullptr;
    void (*free)(void*) = nullptr;
    bool loaded = false;
};

namespace {

// SQLITE_TRANSIENT: SQLite copies bound values at once.
void (*const kTransient)(void*) = reinterpret_cast<void (*)(void*)>(-1);

template <typename T>
bool Load(HMODULE module, const char* name, T& entry) {
    entry = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return entry != nullptr;
}

const SqliteWriterApi* WriterApi() {
    static const SqliteWriterApi api = [] {
        SqliteWriterApi a;
        HMODULE module = LoadLibraryExW(L"winsqlite3.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module) return a;
        a.loaded = Load(module, "sqlite3_open_v2", a.open_v2) && Load(module, "sqlite3_close", a.close) &&
                   Load(module, "sqlite3_exec", a.exec) &&
                   Load(module, "sqlite3_prepare_v2", a.prepare_v2) &&
                   Load(module, "sqlite3_bind_int64", a.bind_int64) &&
                   Load(module, "sqlite3_bind_text", a.bind_text) &&
                   Load(module, "sqlite3_bind_blob", a.bind_blob) &&
                   Load(module, "sqlite3_bind_null", a.bind_null) && Load(module, "sqlite3_step", a.step) &&
                   Load(module, "sqlite3_finalize", a.finalize) && Load(module, "sqlite3_errmsg", a.errmsg) &&
                   Load(module, "sqlite3_free", a.free);
        return a;
    }();
    return api.loaded ? &api : nullptr;
}

// One prepared statement, bound and stepped once.
class Statement {
public:
    Statement(const SqliteWriterApi& api, void* db, const char* sql) : api_(api) {
        api_.prepare_v2(db, sql, -1, &statement_, nullptr);
    }
    ~Statement() {
        if (statement_) api_.finalize(statement_);
    }
    void Int(int index, int64_t value) { api_.bind_int64(statement_, index, value); }
    void Text(int index, const std::string& text) {
        api_.bind_text(statement_, index, text.data(), static_cast<int>(text.size()), kTransient);
    }
    void Blob(int index, const std::optional<std::string>& bytes) {
        if (!bytes) {
            api_.bind_null(statement_, index);
        } else {
            api_.bind_blob(statement_, index, bytes->data(), static_cast<int>(bytes->size()), kTransient);
        }
    }
    void OptionalInt(int index, std::optional<int64_t> value) {
        if (value) Int(index, *value); else api_.bind_null(statement_, index);
    }
    int Run() { return statement_ ? api_.step(statement_) : 1; }

private:
    const SqliteWriterApi& api_;
    void* statement_ = nullptr;
};

constexpr int kDone = 101;

}  // namespace

std::wstring ToastDatabase::PathIn(const std::wstring& localAppData) {
    return localAppData + L"\\Microsoft\\Windows\\Notifications\\wpndatabase.db";
}

ToastDatabase::ToastDatabase(const std::wstring& localAppData) : path_(PathIn(localAppData)) {
    api_ = WriterApi();
    if (!api_) {
        error_ = "the test SQLite (winsqlite3.dll in system32) is missing";
        return;
    }
    std::wstring folder = localAppData;
    for (const wchar_t* part : {L"\\Microsoft", L"\\Windows", L"\\Notifications"}) {
        folder += part;
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    // SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
    if (api_->open_v2(ToUtf8(path_).c_str(), &db_, 0x2 | 0x4, nullptr) != 0) {
        error_ = db_ ? api_->errmsg(db_) : "open failed";
        if (db_) api_->close(db_);
        db_ = nullptr;
        return;
    }
    const bool made =
        Exec("PRAGMA journal_mode=WAL") &&
        Exec("CREATE TABLE IF NOT EXISTS Notification (Id INTEGER PRIMARY KEY, HandlerId INTEGER, "
             "Type TEXT, Payload BLOB, ArrivalTime INTEGER, ExpiryTime INTEGER)") &&
        Exec("CREATE TABLE IF NOT EXISTS NotificationHandler (RecordId INTEGER PRIMARY KEY, "
             "PrimaryId TEXT, HandlerType TEXT)") &&
        Exec("CREATE TABLE IF NOT EXISTS HandlerAssets (HandlerId INTEGER, AssetKey TEXT, "
             "AssetValue TEXT)");
    if (!made) Close();
}

ToastDatabase::~ToastDatabase() { Close(); }

void ToastDatabase::Close() {
    if (db_) api_->close(db_);
    db_ = nullptr;
}

bool ToastDatabase::Check(int result, const char* what) {
    if (result == kDone || result == 0) return true;
    error_ = std::string(what) + ": " + (db_ ? api_->errmsg(db_) : "closed");
    return false;
}

bool ToastDatabase::Exec(const std::string& sql) {
    if (!db_) return false;
    char* message = nullptr;
    const int result = api_->exec(db_, sql.c_str(), nullptr, nullptr, &message);
    if (message) {
        error_ = message;
        api_->free(message);
    }
    return result == 0;
}

bool ToastDatabase::AddHandler(int64_t recordId, const std::string& primaryId,
                               const std::string& handlerType,
                               const std::optional<std::string>& displayName) {
    if (!db_) return false;
    Statement handler(*api_, db_,
                      "INSERT INTO NotificationHandler (RecordId, PrimaryId, HandlerType) VALUES (?, ?, ?)");
    handler.Int(1, recordId);
    handler.Text(2, primaryId);
    handler.Text(3, handlerType);
    if (!Check(handler.Run(), "handler")) return false;
    if (!displayName) return true;
    Statement asset(*api_, db_,
                    "INSERT INTO HandlerAssets (HandlerId, AssetKey, AssetValue) VALUES (?, 'DisplayName', ?)");
    asset.Int(1, recordId);
    asset.Text(2, *displayName);
    return Check(asset.Run(), "asset");
}

bool ToastDatabase::AddNotification(int64_t id, std::optional<int64_t> handlerId,
                                    int64_t arrivalTime, const std::optional<std::string>& payload,
                                    int64_t expiryTime, const std::string& type) {
    if (!db_) return false;
    Statement row(*api_, db_,
                  "INSERT INTO Notification (Id, HandlerId, Type, Payload, ArrivalTime, ExpiryTime) "
                  "VALUES (?, ?, ?, ?, ?, ?)");
    row.Int(1, id);
    row.OptionalInt(2, handlerId);
    row.Text(3, type);
    row.Blob(4, payload);
    row.Int(5, arrivalTime);
    row.Int(6, expiryTime);
    return Check(row.Run(), "notification");
}

std::string ToastDatabase::ToastXml(std::initializer_list<std::string> texts) {
    std::string xml = "<toast><visual><binding template=\"ToastGeneric\">";
    for (const std::string& text : texts) xml += "<text>" + text + "</text>";
    return xml + "</binding></visual></toast>";
}

}  // namespace testing_support
