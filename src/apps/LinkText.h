#pragma once
// Reading a text field of a shell link whole. The link copies into a caller's
// buffer and cuts silently, so the buffer grows until the text fits; a text that
// fills even the largest buffer is refused rather than taken cut, since a cut
// target names another file.

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

inline constexpr int kMaxLinkText = 32768;

// fill(buffer, capacity) returns an HRESULT and writes a terminated text.
template <typename Fill>
bool ReadWholeLinkText(int initialCapacity, Fill fill, std::wstring& out) {
    for (int capacity = initialCapacity; capacity <= kMaxLinkText * 2; capacity *= 2) {
        std::vector<wchar_t> buffer(capacity + 1, L'\0');
        if (FAILED(fill(buffer.data(), capacity))) return false;
        buffer[capacity] = L'\0';
        const size_t length = wcslen(buffer.data());
        if (length + 1 < static_cast<size_t>(capacity)) {
            out.assign(buffer.data(), length);
            return true;
        }
    }
    return false;
}
