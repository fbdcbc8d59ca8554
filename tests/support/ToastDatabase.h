#pragma once
// Writes a toast-notification database laid out like the system's
// "wpndatabase.db" (only the tables and columns the notification store relies
// on), in WAL mode, through a writer connection that stays open like the
// system's own service. Uses the test SQLite that the test prefix keeps in
// system32.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace testing_support {

struct SqliteWriterApi;

class ToastDatabase {
public:
    // Creates "<localAppData>\Microsoft\Windows\Notifications\wpndatabase.db"
    // (with its folders), or opens it when it exists.
    explicit ToastDatabase(const std::wstring& localAppData);
    ~ToastDatabase();
    ToastDatabase(const ToastDatabase&) = delete;
    ToastDatabase& operator=(const ToastDatabase&) = delete;

    static std::wstring PathIn(const std::wstring& localAppData);

    bool Ok() const { return db_ != nullptr; }
    const std::wstring& Path() const { return path_; }
    const std::string& LastError() const { return error_; }

    // A handler row, with a 'DisplayName' asset when displayName is given.
    bool AddHandler(int64_t recordId, const std::string& primaryId, const std::string& handlerType,
                    const std::optional<std::string>& displayName = std::nullopt);
    // A notification row; a missing handler or payload is stored as NULL.
    bool AddNotification(int64_t id, std::optional<int64_t> handlerId, int64_t arrivalTime,
                         const std::optional<std::string>& payload, int64_t expiryTime = 0,
                         const std::string& type = "toast");
    bool Exec(const std::string& sql);
    // Closes the writer: the log is checkpointed into the database file.
    void Close();

    // A toast payload with one text element per given text.
    static std::string ToastXml(std::initializer_list<std::string> texts);

private:
    bool Check(int result, const char* what);

    const SqliteWriterApi* api_ = nullptr;
    void* db_ = nullptr;
    std::wstring path_;
    std::string error_;
};

}  // namespace testing_support
