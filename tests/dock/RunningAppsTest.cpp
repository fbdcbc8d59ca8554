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

FakeWindow W(uintptr_t n, std::wstring image = L"C:\\Apps\\Editor.exe", std::wstring appId = L"",
             std::wstring title = L"Document") {
  FakeWindow w;
  w.hwnd = H(n);
  w.image = std::move(image);
  w.appId = std::move(appId);
  w.title = std::move(title);
  return w;
}

}  // namespace

TEST(WindowFilter, WhichWindowsCount) {
  using Change = std::function<void(FakeWindow&)>;
  const struct {
    const char* name;
    Change change;
    bool counts;
  } cases[] = {
      {"ordinary application window", [](FakeWindow&) {}, true},
      {"destroyed meanwhile", [](FakeWindow& w) { w.exists = false; }, false},
      {"hidden", [](FakeWindow& w) { w.visible = false; }, false},
      {"dock's own window", [](FakeWindow& w) { w.hwnd = H(99); }, false},
      {"this process", [](FakeWindow& w) { w.pid = kOwnPid; }, false},
      {"no-activate", [](FakeWindow& w) { w.exStyle = WS_EX_NOACTIVATE | WS_EX_APPWINDOW; }, false},
      {"tool window", [](FakeWindow& w) { w.exStyle = WS_EX_TOOLWINDOW; }, false},
      {"tool window on the taskbar", [](FakeWindow& w) { w.exStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW; }, true},
      {"owned dialog", [](FakeWindow& w) { w.owner = H(500); }, false},
      {"owned, on the taskbar", [](FakeWindow& w) { w.owner = H(500), w.exStyle = WS_EX_APPWINDOW; }, true},
      {"cloaked", [](FakeWindow& w) { w.cloaked = true; }, false},
      {"shell desktop class", [](FakeWindow& w) { w.shellClass = true; }, false},
      {"empty rectangle", [](FakeWindow& w) { w.rect = RECT{10, 10, 10, 300}; }, false},
      {"rectangle unavailable", [](FakeWindow& w) { w.rectOk = false; }, false},
      {"minimised, empty rectangle", [](FakeWindow& w) { w.iconic = true, w.rect = RECT{-32000, -32000, -32000, -32000}; }, true},
      {"minimised, no rectangle", [](FakeWindow& w) { w.iconic = true, w.rectOk = false; }, true},
      {"process not queryable", [](FakeWindow& w) { w.image.clear(); }, false},
      {"excluded system process", [](FakeWindow& w) { w.image = L"C:\\Windows\\searchhost.exe"; }, false},
      {"excluded name, other case", [](FakeWindow& w) { w.image = L"C:\\Windows\\SearchHost.EXE"; }, false},
      {"excluded name, forward slashes", [](FakeWindow& w) { w.image = L"C:/Windows/System32/CONHOST.exe"; }, false},
      {"excluded name inside a longer one", [](FakeWindow& w) { w.image = L"C:\\Apps\\mysearchhost.exe"; }, true},
      {"excluded name as a folder", [](FakeWindow& w) { w.image = L"C:\\dwm.exe\\viewer.exe"; }, true},
      {"no title, no border", [](FakeWindow& w) { w.title.clear(), w.style = WS_POPUP; }, false},
      {"no title, thin border", [](FakeWindow& w) { w.title.clear(), w.style = WS_POPUP | WS_BORDER; }, true},
      {"no title, dialog frame", [](FakeWindow& w) { w.title.clear(), w.style = WS_POPUP | WS_DLGFRAME; }, true},
      {"titled borderless", [](FakeWindow& w) { w.style = WS_POPUP; }, true},
  };
  for (const auto& c : cases) {
    FakeDesktop desk;
    desk.windows.push_back(W(1));
    c.change(desk.windows[0]);
    EXPECT_EQ(desk.Collect({H(99)}).size(), c.counts ? 1u : 0u) << c.name;
  }
  for (const wchar_t* n : {L"textinputhost.exe", L"runtimebroker.exe", L"nvdisplay.container.exe",
                           L"backgroundtaskhost.exe"}) {
    EXPECT_TRUE(IsExcludedProcessName(n)) << testing::PrintToString(std::wstring(n));
  }
  EXPECT_FALSE(IsExcludedProcessName(L"explorer.exe"));
}

TEST(WindowGrouping, ByAppIdThenExecutablePathThenFrameHostTitle) {
  FakeDesktop desk;
  const std::wstring host = L"C:\\Windows\\System32\\ApplicationFrameHost.exe";
  desk.windows = {W(1), W(2, L"C:\\Apps\\Viewer.exe"), W(3, L"c:/apps/EDITOR.exe"),
                  W(4, L"C:\\Apps\\Launcher.exe", L"Maker.Suite"), W(5, L"C:\\Apps\\Worker.exe", L"maker.suite"),
                  W(6, host, L"", L"Calculator"), W(7, host, L"", L"Photos"), W(8, host, L"", L"CALCULATOR"),
                  W(9, host, L"Maker.Mail", L"Calculator")};
  const auto apps = desk.Collect();
  ASSERT_EQ(apps.size(), 6u);
  EXPECT_EQ(apps[0].key, L"c:\\apps\\editor.exe");
  EXPECT_EQ(apps[0].exePath, L"C:\\Apps\\Editor.exe");
  EXPECT_EQ(apps[0].label, L"Editor");
  EXPECT_EQ(apps[0].windows, (std::vector<HWND>{H(1), H(3)}));
  EXPECT_EQ(apps[1].label, L"Viewer");
  EXPECT_EQ(apps[2].key, L"maker.suite");
  EXPECT_EQ(apps[2].exePath, L"C:\\Apps\\Launcher.exe");
  EXPECT_EQ(apps[2].windows, (std::vector<HWND>{H(4), H(5)}));
  EXPECT_EQ(apps[3].key, L"uwp::calculator");
  EXPECT_EQ(apps[3].label, L"Calculator");
  EXPECT_EQ(apps[3].windows, (std::vector<HWND>{H(6), H(8)}));
  EXPECT_EQ(apps[4].key, L"uwp::photos");
  // A frame window with its own app id groups by it, labelled by its title.
  EXPECT_EQ(apps[5].key, L"maker.mail");
  EXPECT_EQ(apps[5].label, L"Calculator");
}

TEST(WindowGrouping, ForegroundAndMinimisedState) {
  FakeDesktop desk;
  FakeWindow tool = W(4);
  tool.exStyle = WS_EX_TOOLWINDOW;
  desk.windows = {W(1), W(2), W(3, L"C:\\Apps\\Viewer.exe"), tool};
  desk.foreground = H(2);
  auto apps = desk.Collect();
  ASSERT_EQ(apps.size(), 2u);
  EXPECT_TRUE(apps[0].isForeground);
  EXPECT_FALSE(apps[0].allMinimized);
  EXPECT_FALSE(apps[1].isForeground);

  // One of two minimised is not all of them.
  desk.windows[0].iconic = true;
  EXPECT_FALSE(desk.Collect()[0].allMinimized);
  // All minimised: never in front, even when the system still says so.
  desk.windows[1].iconic = true;
  apps = desk.Collect();
  EXPECT_TRUE(apps[0].allMinimized);
  EXPECT_FALSE(apps[0].isForeground);
  EXPECT_FALSE(apps[1].allMinimized);

  // A skipped window in front makes no group the foreground one.
  desk.foreground = H(4);
  for (const RunningApp& app : desk.Collect()) EXPECT_FALSE(app.isForeground);
}
