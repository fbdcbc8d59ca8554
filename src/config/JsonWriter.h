#pragma once
// Escaping for the configuration writer: the body of a JSON string value,
// without the surrounding quotes.

#include <string>
#include <string_view>

// UTF-16 to UTF-8 (a lone surrogate becomes U+FFFD), then '"', '\' and every
// byte below 0x20 escaped; '/' and all other bytes are written as they are.
std::string JsonEscapeToUtf8(std::wstring_view text);
