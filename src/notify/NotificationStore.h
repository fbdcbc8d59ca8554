#pragma once
// The toast notifications the system itself recorded, read strictly read-only
// from its notification database with one fixed query. Keeps the list for the
// notification center, works out which rows are new for the banners, and keeps
// the user's dismissals and clear-all watermark. Its state belongs to the UI
// thread; a read of the database may run on a worker (RequestPoll), whose
// result the UI thread adopts (TakePolled).

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include <memory>
#include <mutex>
#include <optional>

#include "notify/NotificationItem.h"
#include "notify/NotificationRead.h"
#include "notify/SqliteApi.h"

struct FileStamp {
    uint64_t lastWrite = 0;
    uint32_t sizeLow = 0;
    bool operator==(const FileStamp&) const = default;
};

// What the store asks of the system, replaceable by tests.
struct NotificationStoreOps {
    // The local application-data folder; empty when the shell cannot tell.
    std::function<std::wstring()> localAppDataFolder;
    // "winsqlite3.dll" from the system directory; null when it cannot be loaded.
    std::function<HMODULE()> loadLibrary;
    // The current time as a FILETIME value.
    std::function<uint64_t()> now;
    // Called once with the resolved entry points, which it may replace.
    std::function<void(SqliteApi&)> wrapEntryPoints;
    // Milliseconds of a clock that only goes forward, for the waits between
    // failed reads.
    std::function<uint64_t()> tickCount;
    // A file's last write time and size; (0, 0) when it cannot be read.
    std::function<FileStamp(const std::wstring& path)> fileStamp;
};

NotificationStoreOps DefaultNotificationStoreOps();

// A clear-all watermark more than this far ahead of the clock (FILETIME units:
// a minute) was taken by a clock that has since been set back.
inline constexpr uint64_t kClearedWatermarkLeeway = 60ull * 10'000'000ull;
// The watermark to apply: one too far ahead of `now` is taken as `now`, so it
// hides what was cleared and never what comes later.
uint64_t SaneClearedWatermark(uint64_t saved, uint64_t now);

class NotificationStore {
public:
    // At most this many rows are read, the newest first.
    static constexpr int kRowLimit = 50;
    // A failed read is tried again after the first wait, each further failure
    // doubling it up to the longest. A database file whose stamp changed since
    // the failure is read at the next poll, and a failure then waits the first
    // wait again. A forced poll reads at once.
    static constexpr uint64_t kFirstRetryMs = 1000;
    static constexpr uint64_t kLongestRetryMs = 60000;

    // Runs a body on a new thread; throws std::system_error when none can be made.
    using WorkerStarter = std::function<void(std::function<void()> body)>;

    NotificationStore() : NotificationStore(DefaultNotificationStoreOps()) {}
    explicit NotificationStore(NotificationStoreOps ops) : ops_(std::move(ops)) {}
    NotificationStore(const NotificationStore&) = delete;
    NotificationStore& operator=(const NotificationStore&) = delete;
    ~NotificationStore();

    bool EnsureOpen();
    bool DatabaseChanged(bool store);
    // Re-reads the database (unforced: only when it changed on disk); newItems
    // gets the rows that arrived since the previous read; true when the visible
    // list changed.
    bool Poll(std::vector<NotificationItem>& newItems, bool force);
    // The same read on a worker made by `start`; `ready` is called on that
    // worker once TakePolled has its result. A request made while a read is
    // under way waits for that read's result to be taken, then runs (forced
    // when any waiting request was).
    void RequestPoll(bool force, WorkerStarter start, std::function<void()> ready);
    // Adopts a finished read as Poll does (dismissals and clear-all made
    // meanwhile still hold); false when none waits or nothing visible changed.
    bool TakePolled(std::vector<NotificationItem>& newItems);
    void Dismiss(int64_t id);
    // Hides what is listed now, by id, and what arrived up to now, by the
    // returned watermark, which the owner saves.
    uint64_t ClearAll();
    // Applies a saved watermark (see SaneClearedWatermark).
    void SetClearedWatermark(uint64_t saved);
    void MarkAllRead();

    HMODULE library = nullptr;
    SqliteApi sqlite;
    bool openAttempted = false;
    bool available = false;
    std::wstring databasePath;
    std::string databasePathUtf8;
    std::wstring walPath;
    FileStamp databaseStamp;
    FileStamp walStamp;
    bool initialized = false;
    int64_t maxSeenId = 0;
    uint64_t clearedWatermark = 0;
    std::unordered_set<int64_t> dismissedIds;
    std::vector<NotificationItem> items;
    int32_t unreadCount = 0;

private:
    // The worker's hand-over; shared, so a worker that outlives the store
    // writes into a live object.
    struct PollSlot {
        std::mutex mutex;
        std::optional<NotificationReadResult> result;
    };

    // The checks before a read; stores the file stamps when one is due.
    bool ReadDue(bool force);
    // The wait after the last failed read has run out.
    bool RetryDue() const;
    FileStamp Stamp(const std::wstring& path) const;
    uint64_t Tick() const { return ops_.tickCount ? ops_.tickCount() : 0; }
    // Also corrects a watermark that the clock has fallen behind since it was set.
    NotificationReadRequest MakeRequest();
    uint64_t Now() const { return ops_.now ? ops_.now() : 0; }
    bool Adopt(NotificationReadResult result, std::vector<NotificationItem>& newItems);
    void StartRead();
    int32_t CountUnread(const std::vector<NotificationItem>& list) const;
    // Drops dismissed rows and rows at or before the clear-all watermark.
    void RetireTakenAway(std::vector<NotificationItem>& list) const;

    NotificationStoreOps ops_;
    std::shared_ptr<PollSlot> slot_ = std::make_shared<PollSlot>();
    bool reading_ = false;      // a worker's result is not taken yet
    bool readFailing_ = false;  // the last read failed (logged once per run of failures)
    uint64_t retryWaitMs_ = 0;  // the wait after the last failed read
    uint64_t failedAt_ = 0;     // Tick() of that failure
    FileStamp failedStamp_;     // the database file's stamp as that read found it
    bool waiting_ = false;      // a request came while reading
    bool waitingForced_ = false;
    WorkerStarter start_;
    std::function<void()> ready_;
};
