#include "notify/NotificationStore.h"
#include "platform/ExceptionGuard.h"

#include <shlobj.h>

#include <algorithm>

#include "platform/Log.h"

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
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

template <typename T>
bool Resolve(HMODULE library, const char* name, T& entry) {
    entry = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return entry != nullptr;
}

// Matches no file's stamp, not even a missing file's (0, 0).
constexpr FileStamp kUnreadStamp = {~0ull, ~0u};

}  // namespace

uint64_t SaneClearedWatermark(uint64_t saved, uint64_t now) {
    return saved > now && saved - now > kClearedWatermarkLeeway ? now : saved;
}

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
    ops.loadLibrary = []() { return LoadLibraryExW(L"winsqlite3.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); };
    ops.now = []() {
        FILETIME now = {};
        GetSystemTimeAsFileTime(&now);
        return FileTimeValue(now);
    };
    ops.tickCount = []() { return static_cast<uint64_t>(GetTickCount64()); };
    ops.fileStamp = StampOf;
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

FileStamp NotificationStore::Stamp(const std::wstring& path) const {
    return ops_.fileStamp ? ops_.fileStamp(path) : StampOf(path);
}

bool NotificationStore::DatabaseChanged(bool store) {
    const FileStamp database = Stamp(databasePath);
    const FileStamp wal = Stamp(walPath);
    const bool changed = !(database == databaseStamp) || !(wal == walStamp);
    if (store) {
        databaseStamp = database;
        walStamp = wal;
    }
    return changed;
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

bool NotificationStore::ReadDue(bool force) {
    if (!EnsureOpen()) return false;
    if (!force && initialized && !DatabaseChanged(false)) return false;
    // Until a read succeeds every tick tries again, but a database that does
    // not exist is only looked for: no worker is started to find nothing.
    if (!force && Stamp(databasePath) == FileStamp{}) return false;
    if (!force && readFailing_ && !RetryDue()) return false;
    DatabaseChanged(true);
    return true;
}

bool NotificationStore::RetryDue() const {
    // A database file that changed since may well read now, as a change does
    // for a store that reads well.
    return Stamp(databasePath) != failedStamp_ || Tick() - failedAt_ >= retryWaitMs_;
}

NotificationReadRequest NotificationStore::MakeRequest() {
    NotificationReadRequest request;
    request.sqlite = sqlite;
    request.databasePath = databasePath;
    request.walPath = walPath;
    request.databasePathUtf8 = databasePathUtf8;
    request.now = Now();
    clearedWatermark = SaneClearedWatermark(clearedWatermark, request.now);
    request.clearedWatermark = clearedWatermark;
    request.dismissedIds = dismissedIds;
    for (const NotificationItem& item : items) request.previousRead.emplace(item.id, item.read);
    request.maxSeenId = maxSeenId;
    request.initialized = initialized;
    return request;
}

bool NotificationStore::Poll(std::vector<NotificationItem>& newItems, bool force) {
    newItems.clear();
    if (!ReadDue(force)) return false;
    return Adopt(ReadNotifications(MakeRequest()), newItems);
}

bool NotificationStore::Adopt(NotificationReadResult result, std::vector<NotificationItem>& newItems) {
    newItems.clear();
    // A read that fails part-way changes nothing: an empty or cut list would
    // wrongly drop notifications, and a low maxSeenId would bring every old
    // toast back as a banner on the next good read. It is tried again though
    // the files may not change (a lock or a busy database is soon gone), but
    // at longer and longer waits: a database that cannot be read at all must
    // not cost a read every second for the whole run.
    if (!result.ok) {
        // The stamps stored when the read was found due: the file it read.
        const FileStamp seen = databaseStamp;
        retryWaitMs_ =
            readFailing_ && seen == failedStamp_ ? std::min(retryWaitMs_ * 2, kLongestRetryMs) : kFirstRetryMs;
        failedStamp_ = seen;
        failedAt_ = Tick();
        databaseStamp = walStamp = kUnreadStamp;
        if (!readFailing_) {
            LogMessage(L"Notifications: the database could not be read; read again in 1 s, then at doubling waits");
        }
        readFailing_ = true;
        return false;
    }
    readFailing_ = false;
    maxSeenId = std::max(maxSeenId, result.maxSeenId);
    // What the user took away or saw while the rows were read stays so: it
    // neither comes back nor counts towards the unread badge or banners.
    RetireTakenAway(result.rows);
    RetireTakenAway(result.arrived);
    std::unordered_set<int64_t> seen;
    for (const NotificationItem& item : items) {
        if (item.read) seen.insert(item.id);
    }
    for (NotificationItem& row : result.rows) row.read = row.read || seen.count(row.id) != 0;

    if (!initialized) {
        initialized = true;
        items = std::move(result.rows);
        unreadCount = 0;
        return !items.empty();
    }
    std::vector<NotificationItem>& rows = result.rows;
    const int32_t unread = CountUnread(rows);
    bool unchanged = unread == unreadCount && rows.size() == items.size() && result.arrived.empty();
    for (size_t i = 0; unchanged && i < rows.size(); ++i) {
        const NotificationItem& a = rows[i];
        const NotificationItem& b = items[i];
        unchanged = a.id == b.id && a.title == b.title && a.body == b.body && a.read == b.read;
    }
    items = std::move(rows);
    unreadCount = unread;
    newItems = std::move(result.arrived);
    return !unchanged;
}

void NotificationStore::RequestPoll(bool force, WorkerStarter start, std::function<void()> ready) {
    start_ = std::move(start);
    ready_ = std::move(ready);
    if (reading_) {
        // Decided when that read's result is taken: the stamps it stored tell
        // then whether the database changed since it began.
        waiting_ = true;
        waitingForced_ = waitingForced_ || force;
        return;
    }
    if (ReadDue(force)) StartRead();
}

void NotificationStore::StartRead() {
    if (!start_) return;
    auto request = std::make_shared<NotificationReadRequest>(MakeRequest());
    // The worker holds its own reference to the library whose entry points it
    // calls, so the store may go (and free its reference) while it reads.
    HMODULE held = nullptr;
    if (library) {
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(library), &held);
    }
    std::shared_ptr<PollSlot> slot = slot_;
    std::function<void()> ready = ready_;
    reading_ = true;
    try {
        start_([request, slot, ready, held] {
            const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            NotificationReadResult result;
            try {
                result = ReadNotifications(*request);
            } catch (...) {
                platform::LogCaughtException(L"NotificationStore::StartRead worker");
                result = NotificationReadResult{};  // taken as a failed read
            }
            {
                std::lock_guard<std::mutex> lock(slot->mutex);
                slot->result = std::move(result);
            }
            if (SUCCEEDED(com)) CoUninitialize();
            if (ready) ready();
            if (held) FreeLibrary(held);
        });
    } catch (const std::exception& error) {
        reading_ = false;
        if (held) FreeLibrary(held);
        LogMessage(L"NotificationStore::RequestPoll std::exception: %S", error.what());
    }
}

bool NotificationStore::TakePolled(std::vector<NotificationItem>& newItems) {
    newItems.clear();
    std::optional<NotificationReadResult> taken;
    {
        std::lock_guard<std::mutex> lock(slot_->mutex);
        taken.swap(slot_->result);
    }
    if (!taken) return false;
    reading_ = false;
    const bool changed = Adopt(std::move(*taken), newItems);
    if (waiting_) {
        const bool force = waitingForced_;
        waiting_ = waitingForced_ = false;
        if (ReadDue(force)) StartRead();
    }
    return changed;
}

void NotificationStore::Dismiss(int64_t id) {
    dismissedIds.insert(id);
    items.erase(
        std::remove_if(items.begin(), items.end(), [id](const NotificationItem& item) { return item.id == id; }),
        items.end());
    unreadCount = CountUnread(items);
}

uint64_t NotificationStore::ClearAll() {
    // The clock, never the newest stamp: a toast stamped ahead (its clock set
    // right after it came) would hide everything that arrives until then.
    // What is listed goes by its id, whatever its stamp.
    const uint64_t now = Now();
    clearedWatermark = std::max(SaneClearedWatermark(clearedWatermark, now), now);
    for (const NotificationItem& item : items) dismissedIds.insert(item.id);
    items.clear();
    unreadCount = 0;
    return clearedWatermark;
}

void NotificationStore::SetClearedWatermark(uint64_t saved) { clearedWatermark = SaneClearedWatermark(saved, Now()); }

void NotificationStore::MarkAllRead() {
    for (NotificationItem& item : items) item.read = true;
    unreadCount = 0;
}
