// The notification store over a real toast database written by the test SQLite,
// with a writer connection held open as the system's service holds it.

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "notify/NotificationSource.h"
#include "notify/NotificationStore.h"
#include "support/TestSupport.h"
#include "support/ToastDatabase.h"

using testing_support::TempDir;
using testing_support::ToastDatabase;

namespace {

constexpr uint64_t kNow = 134000000000000000ull;
constexpr int64_t kMinute = 600000000ll;

// Entry points wrapped by the tests: they count and may fail, then call the real ones.
namespace wrapped {
SqliteApi real;
int opens = 0;
int openFlags = -1;
int busyTimeout = -1;
int stepsBeforeBusy = -1;  // >= 0: that many rows, then SQLITE_BUSY
int steps = 0;
std::function<void(int)> beforeStep;  // called with the number of rows already stepped

void Install(SqliteApi& api) {
    real = api;
    api.open_v2 = [](const char* file, SqliteConnection** db, int flags, const char* vfs) {
        ++opens;
        openFlags = flags;
        return real.open_v2(file, db, flags, vfs);
    };
    api.busy_timeout = [](SqliteConnection* db, int ms) {
        busyTimeout = ms;
        return real.busy_timeout(db, ms);
    };
    api.step = [](SqliteStatement* statement) {
        if (beforeStep) beforeStep(steps);
        if (stepsBeforeBusy >= 0 && steps >= stepsBeforeBusy) return 5;
        ++steps;
        return real.step(statement);
    };
}
}  // namespace wrapped

class NotificationStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        wrapped::opens = 0;
        wrapped::stepsBeforeBusy = -1;
        wrapped::steps = 0;
        wrapped::beforeStep = nullptr;
    }
    void TearDown() override { wrapped::beforeStep = nullptr; }

    NotificationStoreOps Ops() {
        NotificationStoreOps ops = DefaultNotificationStoreOps();
        ops.localAppDataFolder = [this] { return appData.Path(); };
        ops.now = [] { return kNow; };
        ops.wrapEntryPoints = wrapped::Install;
        return ops;
    }

    // Toast n: handler 1, arrived n minutes before now.
    bool AddToast(ToastDatabase& db, int64_t id, int64_t minutesAgo, int64_t expiry = 0) {
        return db.AddNotification(id, 1, static_cast<int64_t>(kNow) - minutesAgo * kMinute,
                                  ToastDatabase::ToastXml({"title " + std::to_string(id), "body"}),
                                  expiry);
    }

    std::vector<int64_t> Ids(const std::vector<NotificationItem>& list) {
        std::vector<int64_t> ids;
        for (const NotificationItem& item : list) ids.push_back(item.id);
        return ids;
    }

    TempDir appData;
};

}  // namespace

TEST_F(NotificationStoreTest, FirstReadThenNewAndReturningToasts) {
    ToastDatabase db(appData.Path());
    ASSERT_TRUE(db.Ok()) << db.LastError();
    ASSERT_TRUE(db.AddHandler(1, "Contoso.Notes_8wekyb3d8bbwe!App", "app:immersive", "Notes App"));
    for (int64_t id = 1; id <= 10; ++id) ASSERT_TRUE(AddToast(db, id, 100 - id));
    ASSERT_TRUE(AddToast(db, 20, 5, static_cast<int64_t>(kNow) - 1));  // expired
    ASSERT_TRUE(testing_support::FileExists(db.Path() + L"-wal"));     // the writer's log

    NotificationStore store(Ops());
    std::vector<NotificationItem> arrived{NotificationItem{}};
    EXPECT_TRUE(store.Poll(arrived, false));
    EXPECT_TRUE(arrived.empty());
    EXPECT_EQ(Ids(store.items), (std::vector<int64_t>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(store.unreadCount, 0);
    EXPECT_EQ(store.maxSeenId, 20);
    EXPECT_EQ(wrapped::openFlags, 1);
    EXPECT_EQ(wrapped::busyTimeout, 120);
    const NotificationItem& top = store.items[0];
    EXPECT_TRUE(top.read && top.isPackaged);
    EXPECT_EQ(top.title, L"title 10");
    EXPECT_EQ(top.appName, L"Notes App");
    EXPECT_EQ(top.appId, L"Contoso.Notes_8wekyb3d8bbwe!App");
    EXPECT_EQ(top.arrivalTime, kNow - 90 * kMinute);

    // Unchanged files: an unforced poll opens nothing; a forced one reads and finds no change.
    const int opens = wrapped::opens;
    EXPECT_FALSE(store.Poll(arrived, false));
    EXPECT_EQ(wrapped::opens, opens);
    EXPECT_FALSE(store.Poll(arrived, true));
    EXPECT_EQ(wrapped::opens, opens + 1);

    // Two new ids (newest first), and an old id that comes back: unread, not new.
    ASSERT_TRUE(AddToast(db, 21, 3));
    ASSERT_TRUE(AddToast(db, 22, 1));
    ASSERT_TRUE(db.Exec("UPDATE Notification SET ExpiryTime = 0 WHERE Id = 20"));
    EXPECT_TRUE(store.Poll(arrived, false));
    EXPECT_EQ(Ids(arrived), (std::vector<int64_t>{22, 21}));
    EXPECT_EQ(Ids(store.items), (std::vector<int64_t>{22, 21, 20, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_FALSE(store.items[0].read || store.items[1].read || store.items[2].read);
    EXPECT_TRUE(store.items[3].read);
    EXPECT_EQ(store.unreadCount, 3);
    EXPECT_FALSE(arrived[0].read);

    // Dismissal, also of an id not listed yet; read flags survive the next read.
    store.Dismiss(21);
    store.Dismiss(30);
    EXPECT_EQ(store.unreadCount, 2);
    ASSERT_TRUE(AddToast(db, 30, 0));
    EXPECT_FALSE(store.Poll(arrived, true));
    EXPECT_TRUE(arrived.empty());
    EXPECT_EQ(Ids(store.items), (std::vector<int64_t>{22, 20, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    store.MarkAllRead();
    EXPECT_FALSE(store.Poll(arrived, true));
    EXPECT_EQ(store.unreadCount, 0);

    // Clear all: a toast at the watermark stays hidden, one just after it shows.
    ASSERT_TRUE(AddToast(db, 31, -525600));  // listed too, stamped a year ahead
    ASSERT_TRUE(store.Poll(arrived, false));
    const uint64_t watermark = store.ClearAll();
    EXPECT_EQ(watermark, kNow);
    EXPECT_TRUE(store.items.empty());
    ASSERT_TRUE(db.AddNotification(40, 1, static_cast<int64_t>(watermark), ToastDatabase::ToastXml({"at"})));
    ASSERT_TRUE(db.AddNotification(41, 1, static_cast<int64_t>(watermark) + 1, ToastDatabase::ToastXml({"after"})));
    EXPECT_TRUE(store.Poll(arrived, false));
    EXPECT_EQ(Ids(store.items), (std::vector<int64_t>{41}));
    EXPECT_EQ(Ids(arrived), (std::vector<int64_t>{41}));
}

TEST_F(NotificationStoreTest, RowsTheStoreKeepsAndDrops) {
    ToastDatabase db(appData.Path());
    ASSERT_TRUE(db.Ok()) << db.LastError();
    ASSERT_TRUE(db.AddHandler(1, "Contoso.Notes_8wekyb3d8bbwe!App", "app:immersive",
                              "ms-resource:AppDisplayName"));
    ASSERT_TRUE(db.AddHandler(2, "Windows.SystemToast.Bluetooth", "app:desktop", "@{Pkg?x}"));
    ASSERT_TRUE(db.AddHandler(3, "C:\\Tools\\Widget.exe", "app:desktop"));
    for (int64_t id = 1; id <= 51; ++id) ASSERT_TRUE(AddToast(db, id, 1000 - id));
    ASSERT_TRUE(db.AddNotification(60, 2, static_cast<int64_t>(kNow) - 3, ToastDatabase::ToastXml({"paired"})));
    ASSERT_TRUE(db.AddNotification(61, 3, static_cast<int64_t>(kNow) - 4, ToastDatabase::ToastXml({"w"})));
    ASSERT_TRUE(db.AddNotification(62, 99, static_cast<int64_t>(kNow) - 5, ToastDatabase::ToastXml({"orphan"})));
    ASSERT_TRUE(db.AddNotification(63, 1, static_cast<int64_t>(kNow) - 1, std::nullopt));
    ASSERT_TRUE(db.AddNotification(64, 1, static_cast<int64_t>(kNow), ToastDatabase::ToastXml({"tile"}), 0, "tile"));
    ASSERT_TRUE(db.AddNotification(65, 1, static_cast<int64_t>(kNow) - 6, "  not xml at all "));

    NotificationStore store(Ops());
    std::vector<NotificationItem> arrived;
    EXPECT_TRUE(store.Poll(arrived, false));
    // The 50 newest toasts; the NULL payload (63) counts among them but is dropped,
    // the newer tile row does not count at all.
    ASSERT_EQ(store.items.size(), 49u);
    EXPECT_EQ(Ids(store.items).front(), 60);
    EXPECT_EQ(store.items[0].appName, L"蓝牙");
    EXPECT_EQ(store.items[1].appName, L"Widget");
    EXPECT_EQ(store.items[1].exePath, L"C:\\Tools\\Widget.exe");
    EXPECT_FALSE(store.items[1].isPackaged);
    EXPECT_EQ(store.items[2].appId, L"");
    EXPECT_EQ(store.items[2].appName, L"系统通知");
    EXPECT_EQ(store.items[3].id, 65);
    EXPECT_EQ(store.items[3].body, L"not xml at all");
    EXPECT_EQ(store.items[4].appName, L"Notes");
    EXPECT_EQ(store.items[4].id, 51);
    EXPECT_EQ(store.items.back().id, 7);
    EXPECT_EQ(store.maxSeenId, 65);

    // Rows that are not toasts, and old ones beyond the limit, never show.
    db.Close();
    NotificationStore fresh(Ops());
    ToastDatabase again(appData.Path());
    ASSERT_TRUE(again.Exec("DELETE FROM Notification WHERE Id < 60"));
    EXPECT_TRUE(fresh.Poll(arrived, true));
    EXPECT_EQ(Ids(fresh.items), (std::vector<int64_t>{60, 61, 62, 65}));
}

TEST_F(NotificationStoreTest, MissingDatabaseAndLibrary) {
    NotificationStore store(Ops());
    std::vector<NotificationItem> arrived;
    EXPECT_FALSE(store.Poll(arrived, false));
    EXPECT_TRUE(store.available);
    EXPECT_FALSE(store.Poll(arrived, false));
    EXPECT_EQ(wrapped::opens, 0);
    int workers = 0;
    const NotificationStore::WorkerStarter counting = [&workers](std::function<void()>) { ++workers; };
    store.RequestPoll(false, counting, nullptr);
    EXPECT_EQ(workers, 0) << "no worker is started while there is no database";
    {
        ToastDatabase db(appData.Path());
        ASSERT_TRUE(db.AddHandler(1, "A.B_c!d", "immersive"));
        ASSERT_TRUE(AddToast(db, 1, 1));
        // Not read yet, so the next poll reads it although nothing is forced.
        EXPECT_TRUE(store.Poll(arrived, false));
        EXPECT_EQ(Ids(store.items), (std::vector<int64_t>{1}));
        EXPECT_TRUE(arrived.empty());
    }

    int loads = 0;
    NotificationStoreOps ops = Ops();
    ops.loadLibrary = [&loads]() -> HMODULE {
        ++loads;
        return nullptr;
    };
    NotificationStore without(ops);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(without.Poll(arrived, i == 1));
    EXPECT_EQ(loads, 1);
    EXPECT_FALSE(without.available);
    EXPECT_TRUE(without.items.empty());

    // A library without one of the entry points counts as none.
    ops.loadLibrary = [] { return LoadLibraryExW(L"kernel32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); };
    NotificationStore wrong(ops);
    EXPECT_FALSE(wrong.EnsureOpen());
    EXPECT_FALSE(wrong.Poll(arrived, true));
}

TEST_F(NotificationStoreTest, AFailedStepChangesNothingAndIsTriedAgainAtDoublingWaits) {
    ToastDatabase db(appData.Path());
    ASSERT_TRUE(db.Ok()) << db.LastError();
    ASSERT_TRUE(db.AddHandler(1, "A.B_c!d", "immersive"));
    for (int64_t id = 1; id <= 5; ++id) ASSERT_TRUE(AddToast(db, id, 100 - id));
    uint64_t tick = 0;
    FileStamp stamp{1, 1};
    NotificationStoreOps ops = Ops();
    ops.tickCount = [&] { return tick; };
    ops.fileStamp = [&](const std::wstring&) { return stamp; };
    NotificationStore store(ops);
    std::vector<NotificationItem> arrived;
    ASSERT_TRUE(store.Poll(arrived, false));
    ASSERT_TRUE(AddToast(db, 6, 1));
    ASSERT_TRUE(AddToast(db, 7, 0));
    stamp.lastWrite = 2;

    // Busy after three rows: the poll fails and keeps everything as it was.
    wrapped::steps = 0;
    wrapped::stepsBeforeBusy = 3;
    EXPECT_FALSE(store.Poll(arrived, false));
    EXPECT_TRUE(arrived.empty());
    EXPECT_EQ(Ids(store.items), (std::vector<int64_t>{5, 4, 3, 2, 1}));
    EXPECT_EQ(store.maxSeenId, 5);
    EXPECT_EQ(store.unreadCount, 0);
    EXPECT_TRUE(store.initialized);

    std::vector<uint64_t> reads;  // 1 s, 2 s, 4 s ... 60 s apart while the files stay; at once when they change
    wrapped::beforeStep = [&](int) { reads.push_back(tick); };
    for (; tick <= 190000; tick += 500) {
        if (tick == 183500) stamp.sizeLow = 2;
        store.Poll(arrived, false);
    }
    EXPECT_EQ(reads, (std::vector<uint64_t>{1000, 3000, 7000, 15000, 31000, 63000, 123000, 183000, 183500, 184500, 186500}));
    wrapped::stepsBeforeBusy = -1;
    tick += 4000;  // the wait after the last failure
    EXPECT_TRUE(store.Poll(arrived, false));
    EXPECT_EQ(Ids(arrived), (std::vector<int64_t>{7, 6}));
}

TEST_F(NotificationStoreTest, ACorruptDatabaseChangesNothing) {
    std::wstring path;
    {
        ToastDatabase db(appData.Path());
        ASSERT_TRUE(db.Ok()) << db.LastError();
        ASSERT_TRUE(db.AddHandler(1, "A.B_c!d", "immersive"));
        const std::string filler(700, 'x');
        for (int64_t id = 1; id <= 40; ++id) {
            ASSERT_TRUE(db.AddNotification(id, 1, static_cast<int64_t>(kNow) - id * kMinute,
                                           ToastDatabase::ToastXml({"t", filler})));
        }
        path = db.Path();
    }  // the writer closes: everything is in the database file
    const std::vector<uint8_t> good = testing_support::ReadFileBytes(path);
    const size_t pageSize = 4096;
    ASSERT_GE(good.size() / pageSize, 8u);
    // The table pages follow the three tables' roots (pages 1 to 4); overwrite one
    // leaf in the middle of the notifications.
    std::string broken(good.begin(), good.end());
    const size_t page = (4 + good.size() / pageSize) / 2;
    std::fill(broken.begin() + page * pageSize, broken.begin() + (page + 1) * pageSize, '\x7F');
    testing_support::WriteFileBytes(path, broken);

    NotificationStore store(Ops());
    std::vector<NotificationItem> arrived;
    EXPECT_FALSE(store.Poll(arrived, true));
    EXPECT_FALSE(store.initialized);
    EXPECT_EQ(store.maxSeenId, 0);
    EXPECT_TRUE(store.items.empty());

    testing_support::WriteFileBytes(path, std::string(good.begin(), good.end()));
    EXPECT_TRUE(store.Poll(arrived, false));
    EXPECT_TRUE(arrived.empty());
    EXPECT_EQ(store.items.size(), 40u);
    EXPECT_EQ(store.unreadCount, 0);
    EXPECT_EQ(store.maxSeenId, 40);
}

TEST_F(NotificationStoreTest, WhatTheUserTookAwayDuringAReadStaysAway) {
    ToastDatabase db(appData.Path());
    ASSERT_TRUE(db.Ok()) << db.LastError();
    ASSERT_TRUE(db.AddHandler(1, "A.B_c!d", "immersive"));
    for (int64_t id = 1; id <= 3; ++id) ASSERT_TRUE(AddToast(db, id, 100 - id));
    NotificationStore store(Ops());
    std::vector<NotificationItem> arrived;
    ASSERT_TRUE(store.Poll(arrived, false));
    for (int64_t id = 4; id <= 6; ++id) ASSERT_TRUE(AddToast(db, id, 10 - id));

    // The newest rows are already read when the user dismisses one of them.
    wrapped::steps = 0;
    wrapped::beforeStep = [&store](int stepped) {
        if (stepped == 2) store.Dismiss(6);
    };
    EXPECT_TRUE(store.Poll(arrived, true));
    EXPECT_EQ(Ids(store.items), (std::vector<int64_t>{5, 4, 3, 2, 1}));
    EXPECT_EQ(Ids(arrived), (std::vector<int64_t>{5, 4})) << "no banner for a dismissed toast";
    EXPECT_EQ(store.unreadCount, 2) << "the badge never counts it";

    // A clear-all in the middle of a read empties the list for good.
    ASSERT_TRUE(AddToast(db, 7, 0));
    wrapped::steps = 0;
    wrapped::beforeStep = [&store](int stepped) {
        if (stepped == 1) store.ClearAll();
    };
    store.Poll(arrived, true);
    EXPECT_TRUE(store.items.empty());
    EXPECT_TRUE(arrived.empty());
    EXPECT_EQ(store.unreadCount, 0);
}

TEST_F(NotificationStoreTest, HostileRowsAreCutStartNoFileAndLeaveNothingBesideTheDatabase) {
    TempDir files;
    const std::wstring script = files.File(L"run.bat"), link = files.File(L"tool.lnk");
    testing_support::WriteFileBytes(script, "@echo off\r\n");
    testing_support::WriteFileBytes(link, "L");
    std::wstring path;
    {
        ToastDatabase db(appData.Path());
        ASSERT_TRUE(db.Ok()) << db.LastError();
        std::string longName;
        for (int i = 0; i < 300000; ++i) longName += "\xE5\x90\x8D";  // 名
        ASSERT_TRUE(db.AddHandler(1, testing_support::ToUtf8(script), "app:immersive"));
        ASSERT_TRUE(db.AddHandler(2, testing_support::ToUtf8(link), "app:immersive"));
        ASSERT_TRUE(db.AddHandler(3, "Contoso." + std::string(300000, 'x') + "_h!App", "app:immersive", longName));
        for (int64_t id = 1; id <= 3; ++id) {
            ASSERT_TRUE(db.AddNotification(id, id, static_cast<int64_t>(kNow) - id, ToastDatabase::ToastXml({"t"})));
        }
        path = db.Path();
    }  // the writer closes: its log is folded into the database and removed
    ASSERT_FALSE(testing_support::FileExists(path + L"-wal"));

    NotificationStore store(Ops());
    std::vector<NotificationItem> arrived;
    ASSERT_TRUE(store.Poll(arrived, true));
    EXPECT_FALSE(store.Poll(arrived, true));
    EXPECT_FALSE(testing_support::FileExists(path + L"-wal"));
    EXPECT_FALSE(testing_support::FileExists(path + L"-shm"));
    ASSERT_EQ(Ids(store.items), (std::vector<int64_t>{1, 2, 3}));

    std::vector<std::wstring> started;
    NotificationActivationOps ops = DefaultNotificationActivationOps();
    ops.shellOpen = [&](const std::wstring& target) { started.push_back(L"open " + target); };
    ops.launchPackagedApp = [&](const std::wstring& id) { started.push_back(L"launch " + id); };
    ops.sendWinKeyChord = [&](uint16_t) { started.push_back(L"panel"); return 4u; };
    store.items[0].Activate(ops);
    store.items[1].Activate(ops);
    EXPECT_EQ(started, (std::vector<std::wstring>{L"panel", L"panel"}));
    EXPECT_EQ(store.items[2].appName.size(), kSourceNameLimit);
    EXPECT_EQ(store.items[2].appName.back(), L'\u2026');
    EXPECT_EQ(store.items[2].appId.size(), kSourceIdLimit);
}
