#include "notify/ToastText.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <string_view>
#include <vector>

namespace {

constexpr size_t kNone = std::string_view::npos;

// Finds a byte sequence at or after a start position that only moves forward,
// remembering the last answer: a fragment full of '<' without a '>' is then
// searched to its end once, not once per '<'.
class ForwardFinder {
public:
    ForwardFinder(std::string_view text, std::string_view needle) : text_(text), needle_(needle) {}

    size_t From(size_t start) {
        if (searched_ && (found_ == kNone ? start >= from_ : start <= found_ && start >= from_)) {
            return found_;
        }
        from_ = start;
        found_ = text_.find(needle_, start);
        searched_ = true;
        return found_;
    }

private:
    std::string_view text_;
    std::string_view needle_;
    bool searched_ = false;
    size_t from_ = 0;
    size_t found_ = kNone;
};

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

enum class Entity { Literal, Decoded, Dropped };

// Decodes the name between '&' and ';' (at most 11 bytes, so a number has at
// most ten digits and always fits in 64 bits).
Entity DecodeEntity(std::string_view name, std::string& out) {
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [text, c] : kNamed) {
        if (name == text) {
            out += c;
            return Entity::Decoded;
        }
    }
    if (name.size() < 2 || name[0] != '#') return Entity::Literal;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty()) return Entity::Literal;
    uint64_t value = 0;
    for (char c : digits) {
        const int digit = hex ? HexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0) return Entity::Literal;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return Entity::Literal;
    if (value > 0x10FFFF) return Entity::Dropped;
    AppendUtf8(out, static_cast<uint32_t>(value));
    return Entity::Decoded;
}

std::string DecodeEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t p = 0;
    while (p < text.size()) {
        const char c = text[p];
        if (c == '&' && p + 1 < text.size()) {
            const size_t window = std::min<size_t>(12, text.size() - p - 1);
            const void* semi = std::memchr(text.data() + p + 1, ';', window);
            if (semi) {
                const size_t end = static_cast<const char*>(semi) - text.data();
                const Entity result = DecodeEntity(text.substr(p + 1, end - p - 1), out);
                if (result != Entity::Literal) {
                    p = end + 1;
                    continue;
                }
            }
        }
        out += c;
        ++p;
    }
    return out;
}

bool IsTagNameEnd(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == '/' || c == '>'; }

}  // namespace

void CutAtCodePoint(std::wstring& text, size_t limit, bool ellipsis) {
    if (text.size() <= limit || limit == 0) return;
    size_t keep = ellipsis ? limit - 1 : limit;
    if (keep > 0 && IS_HIGH_SURROGATE(text[keep - 1])) --keep;
    text.resize(keep);
    if (ellipsis) text += L'\u2026';
}

std::wstring Utf8ToWide(const char* utf8, size_t length) {
    if (!utf8 || length == 0 || length > static_cast<size_t>(INT32_MAX)) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(length), nullptr, 0);
    if (size <= 0) return {};
    std::wstring text(static_cast<size_t>(size), L'\0');
    const int written = MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(length), text.data(), size);
    if (written <= 0) return {};
    text.resize(static_cast<size_t>(written));
    return text;
}

std::wstring TrimWhitespace(std::wstring text) {
    size_t begin = 0;
    while (begin < text.size() && std::iswspace(text[begin])) ++begin;
    size_t end = text.size();
    while (end > begin && std::iswspace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string ExtractXmlText(const char* fragment, size_t length) {
    if (!fragment || length == 0) return {};
    const std::string_view text(fragment, length);
    static constexpr std::string_view kCdataOpen = "<![CDATA[";
    ForwardFinder closeTag(text, ">");
    ForwardFinder closeCdata(text, "]]>");
    std::string plain;
    plain.reserve(length);
    size_t p = 0;
    while (p < length) {
        if (length - p >= kCdataOpen.size() && text.compare(p, kCdataOpen.size(), kCdataOpen) == 0) {
            const size_t end = closeCdata.From(p + kCdataOpen.size());
            if (end != kNone) {
                plain.append(text.substr(p + kCdataOpen.size(), end - p - kCdataOpen.size()));
                p = end + 3;
                continue;
            }
        }
        if (text[p] == '<') {
            const size_t end = closeTag.From(p + 1);
            if (end != kNone) {
                p = end + 1;
                continue;
            }
        }
        plain += text[p];
        ++p;
    }
    return DecodeEntities(plain);
}

void ParseToastPayload(const unsigned char* payload, size_t length, std::wstring& title, std::wstring& body) {
    title.clear();
    body.clear();
    if (!payload || length == 0) return;
    const bool cut = length > kToastPayloadLimit;
    length = std::min(length, kToastPayloadLimit);
    const char* bytes = reinterpret_cast<const char*>(payload);
    std::string lower(bytes, length);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const std::string_view view(lower);

    std::vector<std::wstring> texts, attributions;
    size_t p = 0;
    for (;;) {
        const size_t open = view.find("<text", p);
        if (open == kNone) break;
        const size_t afterName = open + 5;
        if (afterName >= view.size() || !IsTagNameEnd(view[afterName])) {
            p = open + 1;
            continue;
        }
        const size_t tagEnd = view.find('>', afterName);
        if (tagEnd == kNone) break;
        if (view[tagEnd - 1] == '/') {
            p = tagEnd + 1;
            continue;
        }
        const std::string_view tagContent = view.substr(afterName, tagEnd - afterName);
        const bool attribution = tagContent.size() >= 11 && tagContent.find("attribution") != kNone;
        size_t close = view.find("</text>", tagEnd + 1);
        if (close == kNone && cut) {
            // The element runs past what is looked at: its start is its text,
            // ended before the character that the limit splits.
            close = length;
            while (close > tagEnd + 1 && (payload[close] & 0xC0) == 0x80) --close;
        }
        if (close == kNone) break;
        const std::string inner = ExtractXmlText(bytes + tagEnd + 1, close - tagEnd - 1);
        std::wstring text = TrimWhitespace(Utf8ToWide(inner));
        if (!text.empty()) (attribution ? attributions : texts).push_back(std::move(text));
        p = close + 7;
    }
    if (texts.empty()) texts.swap(attributions);
    if (texts.empty()) {
        if (view.find('<') == kNone) body = TrimWhitespace(Utf8ToWide(bytes, length));
    } else {
        title = std::move(texts[0]);
        for (size_t i = 1; i < texts.size(); ++i) {
            if (i > 1) body += L'\n';
            body += texts[i];
            if (body.size() > kToastTextLimit) break;
        }
    }
    CutAtCodePoint(title, kToastTextLimit);
    CutAtCodePoint(body, kToastTextLimit);
}
