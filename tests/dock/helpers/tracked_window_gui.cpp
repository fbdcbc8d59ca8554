// A plain application window for the window-tracking tests: one titled,
// captioned top-level window that closes on WM_CLOSE. It gives up by itself
// after a minute so a failed test leaves nothing behind; "--close-after-ms N"
// closes it N ms after it was shown, for applications that live only briefly.

#include <windows.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kGiveUpTimer = 1;
int openWindows = 0;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kGiveUpTimer) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      if (--openWindows <= 0) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

// "--two-windows" opens a second window beside the first, for clicks that
// cycle through an application's windows; the program ends with its last window.
bool WantsTwoWindows() {
  const wchar_t flag[] = L"--two-windows";
  const int length = lstrlenW(flag);
  for (const wchar_t* at = GetCommandLineW(); lstrlenW(at) >= length; ++at) {
    if (CompareStringOrdinal(at, length, flag, length, FALSE) == CSTR_EQUAL) return true;
  }
  return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  UINT lifetimeMs = 60000;
  if (const wchar_t* option = commandLine ? wcsstr(commandLine, L"--close-after-ms ") : nullptr) {
    const long value = wcstol(option + wcslen(L"--close-after-ms "), nullptr, 10);
    if (value > 0 && value < 60000) lifetimeMs = static_cast<UINT>(value);
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"VantreelTrackedWindow";
  if (!RegisterClassW(&wc)) return 1;
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Tracked window", WS_OVERLAPPEDWINDOW, 120, 120, 480, 320,
                              nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 2;
  ++openWindows;
  if (WantsTwoWindows()) {
    HWND second = CreateWindowExW(0, wc.lpszClassName, L"Tracked window 2", WS_OVERLAPPEDWINDOW, 640, 120, 480,
                                  320, nullptr, nullptr, instance, nullptr);
    if (second) {
      ++openWindows;
      ShowWindow(second, SW_SHOWNORMAL);
      SetTimer(second, kGiveUpTimer, 60000, nullptr);
    }
  }
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  SetTimer(hwnd, kGiveUpTimer, lifetimeMs, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
