#include "config/JsonWriter.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace {

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(text.size());
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string utf8(static_cast<size_t>(bytes), '\0');
    bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), bytes, nullptr, nullptr);
    if (bytes <= 0) return {};
    utf8.resize(static_cast<size_t>(bytes));
    return utf8;
}

}  // namespace

std::string JsonEscapeToUtf8(std::wstring_view text) {
    // Most keys and paths are ASCII that needs no escape: narrowed as they
    // stand, they skip a system conversion per entry of lists 300,000 long.
    if (std::all_of(text.begin(), text.end(),
                    [](wchar_t c) { return c >= 0x20 && c < 0x80 && c != L'"' && c != L'\\'; })) {
        std::string plain(text.size(), '\0');
        std::transform(text.begin(), text.end(), plain.begin(), [](wchar_t c) { return static_cast<char>(c); });
        return plain;
    }
    const std::string utf8 = WideToUtf8(text);
    std::string escaped;
    escaped.reserve(utf8.size() + 8);
    static constexpr char kHex[] = "0123456789abcdef";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
            case '"':
                escaped += "\\\"";
                break;
            case '\\':
                escaped += "\\\\";
                break;
            case '\b':
                escaped += "\\b";
                break;
            case '\f':
                escaped += "\\f";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\t':
                escaped += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    escaped += "\\u00";
                    escaped += kHex[byte >> 4];
                    escaped += kHex[byte & 0x0F];
                } else {
                    escaped += c;
                }
                break;
        }
    }
    return escaped;
}
