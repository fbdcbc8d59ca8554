// Tray monitor passes over recorded sources, and the real monitor thread on the
// stand-in tray.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <stdexcept>

#include "config/PathText.h"
#include "support/TestSupport.h"
#include "system/TrayTestSupport.h"
#include "system/tray/TrayMonitor.h"

using namespace testing_support;

namespace {

HWND FakeWindow(uintptr_t n) { return reinterpret_cast<HWND>(n); }

NotifyIconSetting Setting(const std::wstring& key, std::vector<uint32_t> pids, std::vector<uint32_t> uids,
                          bool promoted = false, std::vector<std::wstring> tips = {}) {
    NotifyIconSetting s;
    s.key = key;
    s.exePath = key;
    s.pids = std::move(pids);
    s.uids = std::move(uids);
    s.promoted = promoted;
    s.tooltips = tips;
    s.displayName = tips.empty() ? L"Setting " + key : tips.front();
    return s;
}

UiaNotifyItem Item(const std::wstring& name, RECT r) { return UiaNotifyItem{r, name, false}; }

// Everything a pass asks, recorded; windows are plain numbers.
struct Recorded {
    bool legacy = false;
    std::vector<TrayIconInfo> legacyIcons;
    std::vector<NotifyIconSetting> settings;
    bool uiaOk = false;
    std::vector<UiaNotifyItem> items;
    PidWindowMap windows;
    std::map<std::pair<HWND, uint32_t>, RECT> rects;
    HRESULT missingRect = E_FAIL;
    std::unordered_set<HWND> deadWindows;
    RunningExeMap running;
    bool snapshotThrows = false;
    bool collectThrows = false;
    uint64_t now = 1000;
    std::vector<std::wstring> lines;

    TraySources Sources() {
        TraySources s;
        s.readLegacy = [this](std::vector<TrayIconInfo>& icons) {
            if (collectThrows) throw std::runtime_error("collect");
            icons = legacyIcons;
            return legacy;
        };
        s.readSettings = [this](const RunningExeMap&) { return settings; };
        s.collectUia = [this](std::vector<UiaNotifyItem>& out) {
            out = items;
            return uiaOk;
        };
        s.probe = [this](const std::unordered_set<uint32_t>& pids, PidWindowMap& out) {
            for (uint32_t pid : pids)
                if (windows.count(pid)) out[pid] = windows[pid];
        };
        s.snapshot = [this] {
            if (snapshotThrows) throw std::runtime_error("snapshot");
            return running;
        };
        s.iconRect = [this](HWND w, uint32_t uid, RECT& r) {
            auto it = rects.find({w, uid});
            if (it == rects.end()) return missingRect;
            r = it->second;
            return S_OK;
        };
        s.isWindow = [this](HWND w) { return !deadWindows.count(w); };
        s.tickCount = [this] { return now; };
        s.log = [this](const std::wstring& line) { lines.push_back(line); };
        return s;
    }
    void Run(const std::wstring& key, std::vector<uint32_t> pids) { running[key] = RunningExe{pids, key}; }
    size_t Count(const std::wstring& text) const {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::wstring& l) { return l.find(text) != std::wstring::npos; });
    }
};

TrayIconInfo LegacyIcon(const std::wstring& key, const std::wstring& name, HWND owner, uint8_t onBar = 1) {
    TrayIconInfo icon;
    icon.key = key;
    icon.exePath = key;
    icon.displayName = name;
    icon.ownerWindow = owner;
    icon.uID = 1;
    icon.onBar = onBar;
    return icon;
}

}  // namespace

TEST(TrayMonitorMerge, RegisteredIconsTakeOverlappingItemsAndNamesFillTheRest) {
    Recorded r;
    for (auto k : {L"a", L"b", L"c", L"d", L"e"}) r.Run(k, {});
    r.settings = {Setting(L"a", {10}, {1, 2}), Setting(L"b", {20}, {5}), Setting(L"c", {30}, {0}, false, {L"Cee"}),
                  Setting(L"d", {40}, {0}, false, {L"Cee tool"}), Setting(L"e", {50}, {0})};
    r.windows = {{10, {FakeWindow(1), FakeWindow(2)}}, {20, {FakeWindow(3)}}};
    r.rects[{FakeWindow(2), 1}] = RECT{0, 0, 10, 10};
    r.rects[{FakeWindow(2), 2}] = RECT{20, 0, 30, 10};
    r.rects[{FakeWindow(3), 5}] = RECT{40, 0, 50, 10};
    r.uiaOk = true;
    r.items = {Item(L"touching", RECT{10, 0, 20, 10}),  // shares only an edge with a's first icon
               Item(L"A one", RECT{5, 5, 15, 15}), Item(L"A two", RECT{25, 0, 35, 10}),
               Item(L"Cee tool (2)", RECT{100, 0, 110, 10}), Item(L"Cee", RECT{110, 0, 120, 10})};
    std::vector<TrayIconInfo> icons = CollectTrayIcons(r.Sources(), r.running);
    ASSERT_EQ(icons.size(), 4u) << "b is registered but its rectangle meets no item: hidden; e is nowhere";
    std::map<std::wstring, TrayIconInfo> byKey;
    for (auto& i : icons) byKey[i.key] = i;
    EXPECT_EQ(byKey[L"a"].displayName, L"A two") << "every uID of the window is tried; the last take names it";
    EXPECT_EQ(byKey[L"a"].ownerWindow, FakeWindow(2));
    EXPECT_EQ(byKey[L"a"].uID, 1u) << "the first success is kept";
    EXPECT_EQ(byKey[L"a"].onBar, 1);
    EXPECT_EQ(byKey[L"b"].onBar, 0);
    EXPECT_EQ(byKey[L"b"].displayName, L"Setting b");
    EXPECT_EQ(byKey[L"c"].displayName, L"Cee tool (2)") << "an earlier setting wins an item by name";
    EXPECT_EQ(byKey[L"c"].ownerWindow, nullptr);
    EXPECT_EQ(byKey[L"d"].displayName, L"Cee");
    EXPECT_EQ(icons.front().onBar, 1);
    EXPECT_EQ(icons.back().key, L"b") << "icons on the bar come first";
}

TEST(TrayMonitorMerge, WithoutUiAutomationRegisteredIconsFollowThePromotedFlag) {
    Recorded r;
    r.settings = {Setting(L"p", {1}, {0}, true), Setting(L"q", {2}, {0}, false), Setting(L"r", {3}, {0}, true)};
    r.windows = {{1, {FakeWindow(1)}}, {2, {FakeWindow(2)}}};
    r.rects[{FakeWindow(1), 0}] = RECT{0, 0, 1, 1};
    r.rects[{FakeWindow(2), 0}] = RECT{0, 0, 1, 1};
    r.items = {Item(L"Setting r", RECT{0, 0, 1, 1})};  // ignored: automation failed
    std::vector<TrayIconInfo> icons = CollectTrayIcons(r.Sources(), r.running);
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[0].key, L"p");
    EXPECT_EQ(icons[0].onBar, 1);
    EXPECT_EQ(icons[1].key, L"q");
    EXPECT_EQ(icons[1].onBar, 0);
}

TEST(TrayMonitorPass, RegistrationMissesDropAtTheSecondAndOwnersGoneAtOnce) {
    Recorded r;
    r.legacy = true;
    r.Run(L"k", {1});
    r.Run(L"gone", {2});
    r.legacyIcons = {LegacyIcon(L"k", L"K", FakeWindow(1)), LegacyIcon(L"gone", L"G", FakeWindow(2))};
    r.rects[{FakeWindow(1), 1}] = RECT{};
    r.rects[{FakeWindow(2), 1}] = RECT{};
    r.deadWindows.insert(FakeWindow(2));  // its owner window was destroyed
    TraySources sources = r.Sources();
    TrayState state;
    TraySuppression suppression;
    TrayPassMemory memory;

    // alive, miss, miss, miss, alive, miss, miss
    std::vector<bool> registered = {true, false, false, false, true, false, false};
    std::vector<size_t> listed = {1, 1, 0, 0, 1, 1, 0};
    for (size_t pass = 0; pass < registered.size(); ++pass) {
        if (registered[pass]) {
            r.rects[{FakeWindow(1), 1}] = RECT{};
        } else {
            r.rects.erase({FakeWindow(1), 1});
        }
        RunTrayPass(memory, sources, state, suppression);
        EXPECT_EQ(state.icons.size(), listed[pass]) << "pass " << pass;
        if (pass == 2) {
            EXPECT_EQ(r.Count(L"TrayMonitor: drop k - icon registration gone"), 1u);
        }
    }
    EXPECT_EQ(r.Count(L"TrayMonitor: drop k - icon registration gone"), 3u);
    EXPECT_EQ(r.Count(L"TrayMonitor: drop gone - owner process gone"), 7u);

    // A platform that cannot locate icons says E_NOTIMPL for all of them: kept.
    r.missingRect = E_NOTIMPL;
    RunTrayPass(memory, sources, state, suppression);
    RunTrayPass(memory, sources, state, suppression);
    EXPECT_EQ(state.icons.size(), 1u);

    // The executable leaves the snapshot: dropped in the same pass.
    r.running.erase(L"k");
    RunTrayPass(memory, sources, state, suppression);
    EXPECT_TRUE(state.icons.empty());
    EXPECT_EQ(r.Count(L"TrayMonitor: drop k - owner process gone"), 1u);
}

TEST(TrayMonitorPass, ForgottenIconsStayAwayForEightSecondsWhileRunning) {
    Recorded r;
    r.legacy = true;
    r.Run(L"c:\\apps\\foo.exe", {1});
    r.legacyIcons = {LegacyIcon(L"c:\\apps\\foo.exe", L"Foo", nullptr)};
    TraySources sources = r.Sources();
    TrayState state;
    TraySuppression suppression;
    TrayPassMemory memory;
    RunTrayPass(memory, sources, state, suppression);
    ASSERT_EQ(state.icons.size(), 1u);

    ForgetTrayIcon(state, suppression, L"", r.now);
    EXPECT_EQ(state.icons.size(), 1u);
    ForgetTrayIcon(state, suppression, L"C:/Apps/FOO.exe", r.now);
    EXPECT_TRUE(state.icons.empty()) << "gone from the published list at once";
    r.now += 7999;
    RunTrayPass(memory, sources, state, suppression);
    EXPECT_TRUE(state.icons.empty());
    r.now += 1;
    RunTrayPass(memory, sources, state, suppression);
    EXPECT_EQ(state.icons.size(), 1u);
    EXPECT_TRUE(suppression.deadlines.empty());

    ForgetTrayIcon(state, suppression, L"c:\\apps\\foo.exe", r.now);
    r.running.clear();
    RunTrayPass(memory, sources, state, suppression);
    EXPECT_TRUE(suppression.deadlines.empty()) << "pruned once the executable has left";

    // A forget between a pass's filter and its publication (its list log).
    r.Run(L"c:\\apps\\foo.exe", {1});
    TrayState raced;
    TrayPassMemory racedMemory;
    sources.log = [&](const std::wstring& line) {
        if (line.find(L"live icons") != std::wstring::npos) ForgetTrayIcon(raced, suppression, L"c:\\apps\\foo.exe", r.now);
    };
    RunTrayPass(racedMemory, sources, raced, suppression);
    EXPECT_TRUE(raced.icons.empty()) << "the pass does not bring the quit icon back";
}

TEST(TrayMonitorPass, FailedPassesKeepWhatStillRunsAndLogsAreRateLimited) {
    Recorded r;
    r.legacy = true;
    r.Run(L"a", {1});
    r.Run(L"b", {2});
    r.legacyIcons = {LegacyIcon(L"a", L"Alpha", nullptr), LegacyIcon(L"b", L"Beta", nullptr, 0)};
    TraySources sources = r.Sources();
    TrayState state;
    TraySuppression suppression;
    TrayPassMemory memory;
    RunTrayPass(memory, sources, state, suppression);
    EXPECT_EQ(r.Count(L"TrayMonitor: 2 live icons: Alpha[bar] Beta[hidden] "), 1u);
    EXPECT_EQ(r.Count(L"TrayMonitor: pass 0 finished in 0 ms (ok=1)"), 1u);

    r.collectThrows = true;
    r.running.erase(L"b");
    EXPECT_FALSE(RunTrayPass(memory, sources, state, suppression));
    ASSERT_EQ(state.icons.size(), 1u) << "the previous list minus owners gone";
    EXPECT_EQ(state.icons[0].key, L"a");

    r.snapshotThrows = true;
    RunTrayPass(memory, sources, state, suppression);
    EXPECT_TRUE(state.icons.empty()) << "no snapshot: nothing is known to run";

    r.snapshotThrows = r.collectThrows = false;
    r.Run(L"b", {2});
    RunTrayPass(memory, sources, state, suppression);
    RunTrayPass(memory, sources, state, suppression);
    EXPECT_EQ(r.Count(L"live icons"), 1u) << "an unchanged list is not logged again";
    r.legacyIcons[1].onBar = 1;
    RunTrayPass(memory, sources, state, suppression);
    EXPECT_EQ(r.Count(L"TrayMonitor: 2 live icons: Alpha[bar] Beta[bar] "), 1u);
    r.legacyIcons[0].displayName = L"Zeta";
    RunTrayPass(memory, sources, state, suppression);
    EXPECT_EQ(r.Count(L"TrayMonitor: 2 live icons: Beta[bar] Zeta[bar] "), 1u) << "re-ordering is a change";

    while (memory.passCount < 61) RunTrayPass(memory, sources, state, suppression);
    EXPECT_EQ(r.Count(L"finished in"), 3u);
    EXPECT_EQ(r.Count(L"TrayMonitor: pass 30 finished"), 1u);
    EXPECT_EQ(r.Count(L"TrayMonitor: pass 60 finished"), 1u);
    EXPECT_EQ(r.Count(L"(ok=0)"), 0u) << "failed passes 1 and 2 fall between the logged ones";
}

TEST(TrayMonitorPass, HiddenCountAndSorting) {
    std::vector<TrayIconInfo> icons = {LegacyIcon(L"c:\\a\\x.exe", L"b", nullptr, 0),
                                       LegacyIcon(L"c:\\a\\y.exe", L"B", nullptr, 1),
                                       LegacyIcon(L"c:\\a\\z.exe", L"a", nullptr, 0)};
    EXPECT_EQ(CountHiddenTrayIcons(icons, {}), 0u);
    EXPECT_EQ(CountHiddenTrayIcons({}, {L"x"}), 0u);
    EXPECT_EQ(CountHiddenTrayIcons(icons, {L"C:/A/X.exe", L"c:\\a\\x.exe", L"c:\\a\\z.exe"}), 2u);
    std::vector<TrayIconInfo> sorted = SortTrayIcons(icons);
    EXPECT_EQ(sorted[0].key, L"c:\\a\\y.exe");
    EXPECT_EQ(sorted[1].key, L"c:\\a\\z.exe");
    EXPECT_EQ(sorted[2].key, L"c:\\a\\x.exe");
}

TEST(TrayMonitorThread, MirrorsTheStandInTrayFromItsOwnThread) {
    EXPECT_TRUE(GetTrayIconsSnapshot().empty()) << "the first snapshot never waits for a pass";
    TempDir dir;
    TrayHelperProcess first, second, tray;
    std::wstring out1 = dir.File(L"1.out"), out2 = dir.File(L"2.out"), outTray = dir.File(L"t.out");
    ASSERT_TRUE(first.Start(CopyTrayOwner(dir.Path(), L"Alpha.exe"), L"--windows m --out \"" + out1 + L"\"", out1));
    ASSERT_TRUE(second.Start(CopyTrayOwner(dir.Path(), L"Beta.exe"), L"--windows m --out \"" + out2 + L"\"", out2));
    ASSERT_TRUE(tray.Start(BinDir() + L"\\fake_tray_gui.exe",
                           L"--out \"" + outTray + L"\" " + FakeTrayButton(first.Window(L'm'), 1, 0, false, L"Alpha") +
                               L" " + FakeTrayButton(second.Window(L'm'), 1, 0, false, L"Beta"),
                           outTray));
    auto keys = [] {
        std::vector<std::wstring> k;
        for (auto& icon : GetTrayIconsSnapshot()) k.push_back(icon.key);
        return k;
    };
    std::wstring alpha = NormalizePathKey(dir.File(L"Alpha.exe")), beta = NormalizePathKey(dir.File(L"Beta.exe"));
    EXPECT_TRUE(PollUntil([&] { return keys() == std::vector<std::wstring>{alpha, beta}; }, 3000));

    first.Kill();
    // The next pass publishes without the killed owner (about a second).
    EXPECT_TRUE(PollUntil([&] { return keys() == std::vector<std::wstring>{beta}; }, 2500));
    tray.Kill();
}
