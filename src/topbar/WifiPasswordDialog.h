#pragma once
// The key prompt for a secured network without a saved profile: a small
// top-most window of standard controls with its own message loop.

#include <windows.h>

#include <optional>
#include <string>

// The entered key when the user confirmed, nothing when cancelled, closed,
// interrupted by a quit request (which is posted again) or when the window
// cannot be created. Never an empty key: connecting stays disabled until
// something is typed. Must run on a thread with a message queue (the UI thread).
std::optional<std::wstring> PromptWifiPassword(HINSTANCE instance, HWND owner, const std::wstring& ssid, float scale);
