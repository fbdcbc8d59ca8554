#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "dock/RunningApps.h"

namespace {

constexpr DWORD kOwnPid = 7;

HWND H(uintptr_t n) { return reinterpret_cast<HWND>(n); }

// What the system said about one window, recorded.
struct FakeWindow {
  HWND hwnd = H(1);
  bool exists = true;
  bool visible = true;
  bool iconic = false;
  bool cloaked = false;
  bool shellClass = false;
  DWORD pid = 100;
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = 0;
  HWND owner = nullptr;
  bool rectOk = true;
  RECT rect{100, 100, 900, 700};
  std::wstring title = L"Document";
  std::wstring image = L"C:\\Apps\\Editor.exe";
  std::wstring appId;
};

struct FakeDesktop {
  std::vector<FakeWindow> windows;
  HWND foreground = nullptr;

  const FakeWindow& Get(HWND h) const {
    auto it = std::find_if(windows.begin(), windows.end(), [&](const FakeWindow& w) { return w.hwnd == h; });
    if (it == windows.end()) throw std::runtime_error("unknown window");
    return *it;
  }

  WindowQueries Queries() const {
    WindowQueries q;
    q.foregroundWindow = [this] { return foreground; };
    q.topLevelWindows = [this] {
      std::vector<HWND> all;
      for (const auto& w : windows) all.push_back(w.hwnd);
      return all;
    };
    q.isWindow = [this](HWND h) { return Get(h).exists; };
    q.isVisible = [this](HWND h) { return Get(h).visible; };
    q.isIconic = [this](HWND h) { return Get(h).iconic; };
    q.isCloaked = [this](HWND h) { return Get(h).cloaked; };
    q.isShellWindowClass = [this](HWND h) { return Get(h).shellClass; };
    q.processId = [this](HWND h) { return Get(h).pid; };
    q.style = [this](HWND h) { return Get(h).style; };
    q.exStyle = [this](HWND h) { return Get(h).exStyle; };
    q.owner = [this](HWND h) { return Get(h).owner; };
    q.windowRect = [this](HWND h, RECT* r) {
      *r = Get(h).rect;
      return Get(h).rectOk;
    };
    q.titleLength = [this](HWND h) { return static_cast<int>(Get(h).title.size()); };
    q.title = [this](HWND h) { return Get(h).title; };
    q.imagePath = [this](HWND h) { return Get(h).image; };
    q.appUserModelId = [this](HWND h) { return Get(h).appId; };
    return q;
  }

  std::vector<RunningApp> Collect(const std::vector<HWND>& own = {}) const {
    return CollectRunningApps(Queries(), own, kOwnPid);
  }
};

}  // namespace

TEST(WindowFilter, WhichWindowsCount) {
  const struct {
    const char* name;
    std::function<void(FakeWindow&)> change;
    bool counts;
  } cases[] = {
      {"ordinary application window", [](FakeWindow&) {}, true},
      {"destroyed meanwhile", [](FakeWindow& w) { w.exists = false; }, false},
      {"hidden", [](FakeWindow& w) { w.visible = false; }, false},
      {"dock's own window", [](FakeWindow& w) { w.hwnd = H(99); }, false},
      {"this process", [](FakeWindow& w) { w.pid = kOwnPid; }, false},
      {"no-activate", [](FakeWindow& w) { w.exStyle = WS_EX_NOACTIVATE | WS_EX_APPWINDOW; }, false},
      {"tool window", [](FakeWindow& w) { w.exStyle = WS_EX_TOOLWINDOW; }, false},
      {"tool window forced onto the taskbar", [](FakeWindow& w) { w.exStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW; },
       true},
      {"owned dialog", [](FakeWindow& w) { w.owner = H(500); }, false},
      {"owned window forced onto the taskbar",
       [](FakeWindow& w) {
         w.owner = H(500);
         w.exStyle = WS_EX_APPWINDOW;
       },
       true},
      {"cloaked on another desktop", [](FakeWindow& w) { w.cloaked = true; }, false},
      {"shell desktop class", [](FakeWindow& w) { w.shellClass = true; }, false},
      {"empty rectangle", [](FakeWindow& w) { w.rect = RECT{10, 10, 10, 300}; }, false},
      {"rectangle unavailable", [](FakeWindow& w) { w.rectOk = false; }, false},
      {"minimised with an empty rectangle",
       [](FakeWindow& w) {
         w.iconic = true;
         w.rect = RECT{-32000, -32000, -32000, -32000};
       },
       true},
      {"minimised, rectangle unavailable",
       [](FakeWindow& w) {
         w.iconic = true;
         w.rectOk = false;
       },
       true},
      {"process not queryable", [](FakeWindow& w) { w.image.clear(); }, false},
      {"excluded system process", [](FakeWindow& w) { w.image = L"C:\\Windows\\searchhost.exe"; }, false},
      {"excluded name in other letter case", [](FakeWindow& w) { w.image = L"C:\\Windows\\SearchHost.EXE"; }, false},
      {"excluded name with forward slashes", [](FakeWindow& w) { w.image = L"C:/Windows/System32/CONHOST.exe"; },
       false},
      {"excluded name as part of a longer name", [](FakeWindow& w) { w.image = L"C:\\Apps\\mysearchhost.exe"; },
       true},
      {"excluded name as a folder", [](FakeWindow& w) { w.image = L"C:\\dwm.exe\\viewer.exe"; }, true},
      {"no title, no border",
       [](FakeWindow& w) {
         w.title.clear();
         w.style = WS_POPUP;
       },
       false},
      {"no title, thin border",
       [](FakeWindow& w) {
         w.title.clear();
         w.style = WS_POPUP | WS_BORDER;
       },
       true},
      {"no title, dialog frame",
       [](FakeWindow& w) {
         w.title.clear();
         w.style = WS_POPUP | WS_DLGFRAME;
       },
       true},
      {"titled borderless", [](FakeWindow& w) { w.style = WS_POPUP; }, true},
  };
  for (const auto& c : cases) {
    FakeDesktop desk;
    FakeWindow w;
    c.change(w);
    desk.windows.push_back(w);
    EXPECT_EQ(desk.Collect({H(99)}).size(), c.counts ? 1u : 0u) << c.name;
  }
}

TEST(WindowFilter, EveryExcludedProcessName) {
  const wchar_t* names[] = {L"textinputhost.exe", L"searchapp.exe", L"startmenuexperiencehost.exe",
                            L"shellexperiencehost.exe", L"lockapp.exe", L"systemsettingsbroker.exe",
                            L"runtimebroker.exe", L"widgets.exe", L"widgetservice.exe", L"gamebar.exe",
                            L"nvidiaoverlay.exe", L"nvdisplay.container.exe", L"openconsole.exe", L"dllhost.exe",
                            L"sihost.exe", L"ctfmon.exe", L"smartscreen.exe", L"securityhealthsystray.exe",
                            L"useroobebroker.exe", L"screenclippinghost.exe", L"shellhost.exe",
                            L"crossdeviceresume.exe", L"phoneexperiencehost.exe", L"backgroundtaskhost.exe"};
  for (const wchar_t* n : names) EXPECT_TRUE(IsExcludedProcessName(n)) << testing::PrintToString(std::wstring(n));
  EXPECT_FALSE(IsExcludedProcessName(L"explorer.exe"));
  EXPECT_FALSE(IsExcludedProcessName(L"SearchHost.exe"));  // callers pass normalised names
}

TEST(WindowGrouping, ByExecutablePathWithoutAnAppId) {
  FakeDesktop desk;
  FakeWindow a;
  a.hwnd = H(1);
  FakeWindow b = a;
  b.hwnd = H(2);
  b.image = L"C:\\Apps\\Viewer.exe";
  FakeWindow c = a;
  c.hwnd = H(3);
  c.image = L"c:/apps/EDITOR.exe";  // the same file, spelled differently
  desk.windows = {a, b, c};

  const auto apps = desk.Collect();
  ASSERT_EQ(apps.size(), 2u);
  EXPECT_EQ(apps[0].key, L"c:\\apps\\editor.exe");
  EXPECT_EQ(apps[0].exePath, L"C:\\Apps\\Editor.exe");
  EXPECT_EQ(apps[0].label, L"Editor");
  EXPECT_EQ(apps[0].windows, (std::vector<HWND>{H(1), H(3)}));
  EXPECT_EQ(apps[1].label, L"Viewer");
  EXPECT_EQ(apps[1].windows, (std::vector<HWND>{H(2)}));
}

TEST(WindowGrouping, ByAppIdBeforePath) {
  FakeDesktop desk;
  FakeWindow a;
  a.hwnd = H(1);
  a.image = L"C:\\Apps\\Launcher.exe";
  a.appId = L"Maker.Suite";
  FakeWindow b;
  b.hwnd = H(2);
  b.image = L"C:\\Apps\\Worker.exe";
  b.appId = L"maker.suite";
  FakeWindow c;
  c.hwnd = H(3);
  c.image = L"C:\\Apps\\Launcher.exe";
  c.appId = L"Maker.Other";
  desk.windows = {a, b, c};

  const auto apps = desk.Collect();
  ASSERT_EQ(apps.size(), 2u);
  EXPECT_EQ(apps[0].key, L"maker.suite");
  EXPECT_EQ(apps[0].exePath, L"C:\\Apps\\Launcher.exe");
  EXPECT_EQ(apps[0].windows, (std::vector<HWND>{H(1), H(2)}));
  EXPECT_EQ(apps[1].key, L"maker.other");
}

TEST(WindowGrouping, FrameHostWindowsByTitle) {
  FakeDesktop desk;
  FakeWindow a;
  a.hwnd = H(1);
  a.image = L"C:\\Windows\\System32\\ApplicationFrameHost.exe";
  a.title = L"Calculator";
  FakeWindow b = a;
  b.hwnd = H(2);
  b.title = L"Photos";
  FakeWindow c = a;
  c.hwnd = H(3);
  c.title = L"CALCULATOR";
  FakeWindow d = a;
  d.hwnd = H(4);
  d.appId = L"Maker.Mail";
  desk.windows = {a, b, c, d};

  const auto apps = desk.Collect();
  ASSERT_EQ(apps.size(), 3u);
  EXPECT_EQ(apps[0].key, L"uwp::calculator");
  EXPECT_EQ(apps[0].label, L"Calculator");
  EXPECT_EQ(apps[0].windows, (std::vector<HWND>{H(1), H(3)}));
  EXPECT_EQ(apps[1].key, L"uwp::photos");
  EXPECT_EQ(apps[1].label, L"Photos");
  // A frame window that has its own app id is grouped by it; the label comes
  // from the title because the host's own name means nothing to the user.
  EXPECT_EQ(apps[2].key, L"maker.mail");
  EXPECT_EQ(apps[2].label, L"Calculator");
}

TEST(WindowGrouping, ForegroundAndMinimisedState) {
  FakeDesktop desk;
  FakeWindow a;
  a.hwnd = H(1);
  FakeWindow b = a;
  b.hwnd = H(2);
  FakeWindow c = a;
  c.hwnd = H(3);
  c.image = L"C:\\Apps\\Viewer.exe";
  desk.windows = {a, b, c};

  desk.foreground = H(2);
  auto apps = desk.Collect();
  ASSERT_EQ(apps.size(), 2u);
  EXPECT_TRUE(apps[0].isForeground);
  EXPECT_FALSE(apps[0].allMinimized);
  EXPECT_FALSE(apps[1].isForeground);

  // One of two minimised: not all.
  desk.windows[0].iconic = true;
  apps = desk.Collect();
  EXPECT_FALSE(apps[0].allMinimized);
  EXPECT_TRUE(apps[0].isForeground);

  // All minimised: never in front, even when the system still says so.
  desk.windows[1].iconic = true;
  apps = desk.Collect();
  EXPECT_TRUE(apps[0].allMinimized);
  EXPECT_FALSE(apps[0].isForeground);
  EXPECT_FALSE(apps[1].allMinimized);
}

TEST(WindowGrouping, SkippedWindowsDoNotStartGroups) {
  FakeDesktop desk;
  FakeWindow tool;
  tool.hwnd = H(1);
  tool.exStyle = WS_EX_TOOLWINDOW;
  FakeWindow main;
  main.hwnd = H(2);
  desk.windows = {tool, main};
  desk.foreground = H(1);
  const auto apps = desk.Collect();
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].windows, (std::vector<HWND>{H(2)}));
  EXPECT_FALSE(apps[0].isForeground);
}
