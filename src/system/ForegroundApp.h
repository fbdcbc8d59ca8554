#pragma once
// The foreground application as the top bar names it: its window, the name
// shown, its image path and whether it is topmost or maximised. The desktop
// (and the taskbar) in front reads as "桌面".

#include <windows.h>

#include <string>
#include <string_view>

namespace vantreel {

// Default-constructed, the desktop record.
struct ForegroundAppInfo {
    HWND hwnd = nullptr;
    std::wstring displayName = L"桌面";
    std::wstring exePath;
    bool topmost = false;
    bool zoomed = false;
};

// The record of the foreground window. While one of this program's own
// windows is in front, the previous application stays named (with its flags
// read again) as long as its window is still shown. `previous` may be null.
ForegroundAppInfo GetForegroundAppInfo(const ForegroundAppInfo* previous);

// The name shown for an executable: the packaged application's window title
// for the application frame host, a fixed name for well-known programs, else
// the file's stem in its own letter case ("应用" when there is none).
std::wstring AppDisplayNameFromExe(const std::wstring& exePath, HWND window);

// The file name's stem by the standard path rules: after the last '\' or '/',
// without its extension; "." and ".." and a lone leading dot stay whole.
std::wstring_view ExeFileStem(std::wstring_view path);

}  // namespace vantreel
