#pragma once
// The readable text of a toast: its XML payload reduced to a title and a body.
// Hostile payloads are expected (the database holds whatever applications
// sent): every function here runs in time linear in its input, without
// recursion, and yields well-formed UTF-16.

#include <cstddef>
#include <string>

// UTF-8 to UTF-16 (invalid sequences become U+FFFD); empty on failure.
std::wstring Utf8ToWide(const char* utf8, size_t length);
inline std::wstring Utf8ToWide(const std::string& utf8) { return Utf8ToWide(utf8.data(), utf8.size()); }

// The inner text of an XML fragment: tags dropped, CDATA kept as written, the
// five named entities and numeric references decoded once; anything malformed
// stays as text.
std::string ExtractXmlText(const char* fragment, size_t length);

std::wstring TrimWhitespace(std::wstring text);

// Only this much of a payload is looked at (real toasts are a few KiB), and
// title and body are each cut to at most this many UTF-16 units.
inline constexpr size_t kToastPayloadLimit = 64 * 1024;
inline constexpr size_t kToastTextLimit = 4096;

// Cuts text to at most `limit` UTF-16 units, never inside a surrogate pair;
// with `ellipsis` a text that was cut ends in "…" (within the limit).
void CutAtCodePoint(std::wstring& text, size_t limit, bool ellipsis = false);

// The first text element is the title, the others joined by "\n" the body;
// attribution texts stand in when there is no other text; a payload without
// any markup is the body.
void ParseToastPayload(const unsigned char* payload, size_t length, std::wstring& title, std::wstring& body);
