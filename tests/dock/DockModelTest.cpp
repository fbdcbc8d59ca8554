#include <gtest/gtest.h>

#include <algorithm>

#include "dock/DockModel.h"

namespace {

HWND H(uintptr_t n) { return reinterpret_cast<HWND>(n); }

PinnedApp Pin(std::wstring name, std::wstring path, std::wstring appId = L"", std::wstring args = L"") {
  return PinnedApp{std::move(name), std::move(path), std::move(args), std::move(appId)};
}

RunningApp Running(std::wstring key, std::wstring exePath, std::vector<HWND> windows, bool foreground = false,
                   bool minimized = false) {
  return RunningApp{std::move(key), std::move(exePath), L"label", std::move(windows), foreground, minimized};
}

DockModel Loaded(std::vector<PinnedApp> pinned) {
  DockConfig config;
  config.pinned = std::move(pinned);
  DockModel model;
  model.LoadFromConfig(config);
  return model;
}

template <typename F>
auto Each(const DockModel& m, F field) {
  std::vector<std::decay_t<decltype(m.items[0].*field)>> values;
  for (const auto& i : m.items) values.push_back(i.*field);
  return values;
}
std::vector<DockItemKind> Kinds(const DockModel& m) { return Each(m, &DockItem::kind); }
std::vector<std::wstring> Labels(const DockModel& m) { return Each(m, &DockItem::label); }

const std::wstring kLaunchpadLabel = L"\u5168\u90E8\u5E94\u7528";
const std::wstring kRecycleBinLabel = L"\u56DE\u6536\u7AD9";

}  // namespace

TEST(DockModel, LoadsPinnedEntriesBetweenTheSpecialItems) {
  const DockModel empty = Loaded({});
  ASSERT_EQ(Kinds(empty), (std::vector{DockItemKind::Launchpad, DockItemKind::Separator, DockItemKind::RecycleBin}));
  EXPECT_EQ(empty.items[0].key, L"::launchpad");
  EXPECT_EQ(empty.items[2].key, L"::recycle_bin");
  EXPECT_EQ(empty.nextId, 4);

  const DockModel m = Loaded({Pin(L"Editor", L"C:\\Apps\\Editor.exe", L"", L"--new"), Pin(L"Skipped", L""),
                              Pin(L"Mail", L"C:/Apps/Mail.exe", L"Maker.Mail"),
                              Pin(L"Editor again", L"C:\\Apps\\Editor.exe")});
  ASSERT_EQ(Labels(m), (std::vector<std::wstring>{kLaunchpadLabel, L"Editor", L"Mail", L"Editor again", L"",
                                                  kRecycleBinLabel}));
  const DockItem& editor = m.items[1];
  EXPECT_EQ(editor.id, 4);
  EXPECT_EQ(editor.kind, DockItemKind::App);
  EXPECT_EQ(editor.args, L"--new");
  EXPECT_EQ(editor.key, L"c:\\apps\\editor.exe");
  EXPECT_TRUE(editor.pinned && !editor.running);
  EXPECT_EQ(m.items[2].key, L"maker.mail");
  // Saved back: appId is always the normalised key.
  const auto saved = m.GetPinnedApps();
  ASSERT_EQ(saved.size(), 3u);
  EXPECT_EQ(saved[0], Pin(L"Editor", L"C:\\Apps\\Editor.exe", L"c:\\apps\\editor.exe", L"--new"));
  EXPECT_EQ(saved[1], Pin(L"Mail", L"C:/Apps/Mail.exe", L"maker.mail"));
}

TEST(DockModel, IdsAreNeverReused) {
  DockModel m = Loaded({Pin(L"A", L"C:\\a.exe"), Pin(L"B", L"C:\\b.exe")});
  std::vector<int64_t> seen;
  for (const auto& i : m.items) seen.push_back(i.id);

  // Unpinning erases an item; pinning the same application again makes a new one.
  ASSERT_TRUE(m.Unpin(m.items[1].id));
  ASSERT_TRUE(m.PinApp(Pin(L"A", L"C:\\a.exe"), 1));
  seen.push_back(m.items[1].id);
  // A running application that comes and goes gets a fresh id each time.
  m.SyncRunningApps({Running(L"c:\\c.exe", L"C:\\c.exe", {H(1)})});
  seen.push_back(m.items[m.PinnedRunEnd() - 1].id);
  m.SyncRunningApps({});
  m.SyncRunningApps({Running(L"c:\\c.exe", L"C:\\c.exe", {H(1)})});
  seen.push_back(m.items[m.PinnedRunEnd() - 1].id);
  // Reloading does not restart the count.
  DockConfig config;
  config.pinned = {Pin(L"A", L"C:\\a.exe")};
  m.LoadFromConfig(config);
  for (const auto& i : m.items) seen.push_back(i.id);

  std::vector<int64_t> sorted = seen;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "an id was handed out twice";
  EXPECT_GT(m.nextId, sorted.back());
}

TEST(DockModel, MatchingByKeyThenPathThenFileName) {
  DockItem item;
  item.kind = DockItemKind::App;
  item.key = L"maker.suite";
  item.path = L"C:\\Program Files\\Suite\\Suite.exe";

  EXPECT_TRUE(item.MatchesRunningApp(Running(L"maker.suite", L"D:\\other.exe", {})));
  EXPECT_TRUE(item.MatchesRunningApp(Running(L"something.else", L"c:/program files/suite/SUITE.EXE", {})));
  EXPECT_TRUE(item.MatchesRunningApp(Running(L"something.else", L"D:\\Portable\\suite.exe", {})));
  EXPECT_FALSE(item.MatchesRunningApp(Running(L"something.else", L"D:\\Portable\\suite2.exe", {})));
  EXPECT_FALSE(item.MatchesRunningApp(Running(L"Maker.Suite", L"", {})));  // keys compare exactly

  // A key alone, with no path on either side, matches only by key.
  item.path.clear();
  EXPECT_FALSE(item.MatchesRunningApp(Running(L"x", L"C:\\Suite.exe", {})));
  item.path = L"C:\\Suite.exe";
  EXPECT_FALSE(item.MatchesRunningApp(Running(L"x", L"", {})));

  // Empty keys never match each other.
  item.key.clear();
  item.path.clear();
  EXPECT_FALSE(item.MatchesRunningApp(Running(L"", L"", {})));

  // Only applications match.
  item.kind = DockItemKind::RecycleBin;
  item.key = L"::recycle_bin";
  EXPECT_FALSE(item.MatchesRunningApp(Running(L"::recycle_bin", L"", {})));
}

TEST(DockModel, MergeMarksPinnedItemsAndAddsNewOnesBeforeTheSeparator) {
  DockModel m = Loaded({Pin(L"Editor", L"C:\\Apps\\Editor.exe"), Pin(L"Mail", L"C:\\Apps\\Mail.exe")});
  EXPECT_FALSE(m.SyncRunningApps({}));

  const std::vector<RunningApp> apps = {
      Running(L"d:\\tools\\term.exe", L"D:\\Tools\\Term.exe", {H(10)}),
      Running(L"c:\\apps\\mail.exe", L"C:\\Apps\\Mail.exe", {H(20), H(21)}, true),
      Running(L"d:\\tools\\shot.exe", L"D:\\Tools\\Shot.exe", {H(30)}),
  };
  EXPECT_TRUE(m.SyncRunningApps(apps));
  ASSERT_EQ(m.items.size(), 7u);
  EXPECT_EQ(m.items[1].label, L"Editor");
  EXPECT_FALSE(m.items[1].running);
  EXPECT_EQ(m.items[2].label, L"Mail");
  EXPECT_TRUE(m.items[2].running);
  EXPECT_TRUE(m.items[2].active);
  EXPECT_EQ(m.items[2].windows, (std::vector<HWND>{H(20), H(21)}));
  // New ones in the tracker's order, just before the separator, unpinned.
  EXPECT_EQ(m.items[3].path, L"D:\\Tools\\Term.exe");
  EXPECT_EQ(m.items[3].key, L"d:\\tools\\term.exe");
  EXPECT_EQ(m.items[3].label, L"label");
  EXPECT_FALSE(m.items[3].pinned);
  EXPECT_TRUE(m.items[3].running);
  EXPECT_EQ(m.items[4].path, L"D:\\Tools\\Shot.exe");
  EXPECT_EQ(m.items[5].kind, DockItemKind::Separator);

  // The same state again is no change.
  EXPECT_FALSE(m.SyncRunningApps(apps));

  // A new window, a different foreground or a minimised group are changes.
  auto more = apps;
  more[0].windows.push_back(H(11));
  EXPECT_TRUE(m.SyncRunningApps(more));
  more[1].isForeground = false;
  EXPECT_TRUE(m.SyncRunningApps(more));
  more[2].allMinimized = true;
  EXPECT_TRUE(m.SyncRunningApps(more));
  EXPECT_TRUE(m.items[4].allMinimized);

  // Unpinned applications leave when their windows close; pinned ones stay.
  EXPECT_TRUE(m.SyncRunningApps({apps[2]}));
  ASSERT_EQ(Labels(m), (std::vector<std::wstring>{kLaunchpadLabel, L"Editor", L"Mail", L"label", L"",
                                                  kRecycleBinLabel}));
  EXPECT_FALSE(m.items[2].running);
  EXPECT_TRUE(m.items[2].windows.empty());
}

TEST(DockModel, GroupsMergingIntoOneItem) {
  DockModel m = Loaded({Pin(L"Suite", L"C:\\Suite\\suite.exe", L"Maker.Suite")});
  const auto byKey = [](bool fg, bool min) { return Running(L"maker.suite", L"C:\\Suite\\suite.exe", {H(1)}, fg, min); };
  const auto byName = [](bool fg, bool min) {
    return Running(L"d:\\copy\\suite.exe", L"D:\\Copy\\Suite.exe", {H(2), H(3)}, fg, min);
  };

  m.SyncRunningApps({byKey(false, true), byName(true, false)});
  ASSERT_EQ(m.items.size(), 4u);
  const DockItem& suite = m.items[1];
  EXPECT_EQ(suite.windows, (std::vector<HWND>{H(1), H(2), H(3)}));
  EXPECT_TRUE(suite.active);
  EXPECT_FALSE(suite.allMinimized);

  m.SyncRunningApps({byKey(false, true), byName(false, true)});
  EXPECT_TRUE(m.items[1].allMinimized);
  EXPECT_FALSE(m.items[1].active);

  m.SyncRunningApps({byKey(false, false), byName(false, true)});
  EXPECT_FALSE(m.items[1].allMinimized);

  // A later group without windows does not stop an item that an earlier group
  // found running.
  m.SyncRunningApps({byKey(false, false), Running(L"maker.suite", L"", {})});
  EXPECT_TRUE(m.items[1].running);
  EXPECT_EQ(m.items[1].windows, std::vector<HWND>{H(1)});
  m.SyncRunningApps({Running(L"maker.suite", L"", {})});
  EXPECT_FALSE(m.items[1].running);
}

TEST(DockModel, FillingInAPathAloneIsNoChange) {
  DockModel m = Loaded({});
  DockItem keyed;
  keyed.id = m.nextId++;
  keyed.kind = DockItemKind::App;
  keyed.key = L"maker.tool";
  keyed.label = L"Tool";
  keyed.pinned = true;
  m.items.insert(m.items.begin() + 1, keyed);

  const std::vector<RunningApp> apps = {Running(L"maker.tool", L"C:\\Tool\\tool.exe", {H(5)})};
  EXPECT_TRUE(m.SyncRunningApps(apps));
  EXPECT_EQ(m.items[1].path, L"C:\\Tool\\tool.exe");

  m.items[1].path.clear();
  EXPECT_FALSE(m.SyncRunningApps(apps));
  EXPECT_EQ(m.items[1].path, L"C:\\Tool\\tool.exe");

  // A path of its own is never overwritten.
  m.items[1].path = L"C:\\Tool\\launcher.exe";
  m.SyncRunningApps(apps);
  EXPECT_EQ(m.items[1].path, L"C:\\Tool\\launcher.exe");
}

TEST(DockModel, UnpinRefusesSpecialItemsAndKeepsRunningApps) {
  DockModel m = Loaded({Pin(L"Editor", L"C:\\Editor.exe"), Pin(L"Mail", L"C:\\Mail.exe")});
  const auto before = Labels(m);
  for (DockItemKind kind : {DockItemKind::Launchpad, DockItemKind::Separator, DockItemKind::RecycleBin}) {
    auto it = std::find_if(m.items.begin(), m.items.end(), [&](const DockItem& i) { return i.kind == kind; });
    EXPECT_FALSE(m.Unpin(it->id));
  }
  EXPECT_EQ(Labels(m), before);
  EXPECT_TRUE(m.items[0].pinned);
  EXPECT_FALSE(m.Unpin(12345));

  m.SyncRunningApps({Running(L"c:\\mail.exe", L"C:\\Mail.exe", {H(1)})});
  const int64_t mail = m.items[2].id;
  EXPECT_TRUE(m.Unpin(mail));
  ASSERT_EQ(m.IndexOfId(mail), 2);
  EXPECT_FALSE(m.items[2].pinned);
  EXPECT_TRUE(m.items[2].running);
  EXPECT_EQ(m.GetPinnedApps().size(), 1u);

  // Gone with its last window.
  EXPECT_TRUE(m.SyncRunningApps({}));
  EXPECT_EQ(m.IndexOfId(mail), -1);

  // Not running: erased at once.
  EXPECT_TRUE(m.Unpin(m.items[1].id));
  EXPECT_EQ(Kinds(m), (std::vector{DockItemKind::Launchpad, DockItemKind::Separator, DockItemKind::RecycleBin}));
}

TEST(DockModel, PinAppClampsItsIndexAndIgnoresPinnedApps) {
  DockModel m = Loaded({Pin(L"A", L"C:\\a.exe", L"Maker.A", L"--a"), Pin(L"B", L"C:\\b.exe")});
  EXPECT_TRUE(m.PinApp(Pin(L"First", L"C:\\first.exe"), 0));
  EXPECT_TRUE(m.PinApp(Pin(L"Last", L"C:\\last.exe"), -1));
  EXPECT_TRUE(m.PinApp(Pin(L"Far", L"C:\\far.exe"), 100));
  EXPECT_TRUE(m.PinApp(Pin(L"Middle", L"C:\\middle.exe"), 3));
  EXPECT_EQ(Labels(m), (std::vector<std::wstring>{kLaunchpadLabel, L"First", L"A", L"Middle", L"B", L"Last", L"Far",
                                                  L"", kRecycleBinLabel}));
  EXPECT_EQ(m.items[6].key, L"c:\\far.exe");
  EXPECT_EQ(m.PinnedCount(), 6);

  const auto before = Labels(m);
  const int64_t nextId = m.nextId;
  EXPECT_FALSE(m.PinApp(Pin(L"Nothing", L""), 1));
  EXPECT_FALSE(m.PinApp(Pin(L"Other name", L"C:\\Elsewhere\\a2.exe", L"MAKER.A", L"--b"), 1));
  EXPECT_FALSE(m.PinApp(Pin(L"", L"c:/b.exe"), 1));
  EXPECT_EQ(Labels(m), before);
  EXPECT_EQ(m.items[2].args, L"--a");
  EXPECT_EQ(m.nextId, nextId);
}

TEST(DockModel, PinningARunningApplicationKeepsItInPlace) {
  DockModel m = Loaded({Pin(L"A", L"C:\\a.exe")});
  m.SyncRunningApps({Running(L"maker.term", L"D:\\Term.exe", {H(7)})});
  ASSERT_EQ(m.items[2].path, L"D:\\Term.exe");
  const int64_t id = m.items[2].id;

  EXPECT_TRUE(m.PinApp(Pin(L"Terminal", L"d:/term.exe", L"", L"-l"), 1));
  ASSERT_EQ(m.IndexOfId(id), 2);
  EXPECT_TRUE(m.items[2].pinned);
  EXPECT_EQ(m.items[2].label, L"Terminal");
  EXPECT_EQ(m.items[2].args, L"-l");
  EXPECT_EQ(m.items[2].key, L"maker.term");
  EXPECT_EQ(m.items[2].path, L"D:\\Term.exe");
  EXPECT_EQ(m.items[2].windows, std::vector<HWND>{H(7)});
  EXPECT_EQ(m.items.size(), 5u);

  // Stays after its windows close.
  m.SyncRunningApps({});
  EXPECT_EQ(m.IndexOfId(id), 2);
  EXPECT_FALSE(m.items[2].running);
}
