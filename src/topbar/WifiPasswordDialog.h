#pragma once
// The key prompt for a secured network without a saved profile: a small
// top-most window of standard controls with its own message loop.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

// The entered key when the user confirmed, which "连接" and Enter allow only
// for a key the network can take (see ClassifyWifiKey), nothing when cancelled, closed,
// destroyed with its owner, interrupted by a quit request (which is posted
// again) or when the window cannot be created.
// Runs on the calling thread's queue, which must be the owner's (the UI thread).
std::optional<std::wstring> PromptWifiPassword(HINSTANCE instance, HWND owner, const std::wstring& ssid, float scale);

// The text of a control read through buffer (at most capacity - 1 characters),
// which is wiped before returning so no copy of the key stays behind in it.
std::wstring ReadSecretText(HWND control, wchar_t* buffer, size_t capacity);
