#include "config/JsonReader.h"

#include <windows.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

namespace {

bool IsJsonWhitespace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendUtf8(std::string& bytes, unsigned codePoint) {
    if (codePoint <= 0x7F) {
        bytes += static_cast<char>(codePoint);
    } else if (codePoint <= 0x7FF) {
        bytes += static_cast<char>(0xC0 | (codePoint >> 6));
        bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        // Surrogates are encoded as they stand; the decoder turns them into U+FFFD.
        bytes += static_cast<char>(0xE0 | (codePoint >> 12));
        bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::wstring Utf8ToWide(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) return {};
    int chars = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (chars <= 0) return {};
    std::wstring text(static_cast<size_t>(chars), L'\0');
    chars = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), chars);
    if (chars <= 0) return {};
    text.resize(static_cast<size_t>(chars));
    return text;
}

}  // namespace

void JsonReader::SkipWhitespace() {
    while (position < size && IsJsonWhitespace(data[position])) ++position;
}

char JsonReader::Peek() {
    SkipWhitespace();
    return position < size ? data[position] : '\0';
}

bool JsonReader::Consume(char c) {
    if (position >= size) return false;
    SkipWhitespace();
    if (position >= size || data[position] != c) return false;
    ++position;
    return true;
}

bool JsonReader::ReadStringBytes(std::string& bytes) {
    SkipWhitespace();
    if (position >= size || data[position] != '"') return false;
    ++position;
    while (true) {
        if (position >= size) return false;
        char c = data[position++];
        if (c == '"') return true;
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (position >= size) return false;
        char escape = data[position++];
        switch (escape) {
            case 'b':
                bytes += '\b';
                break;
            case 'f':
                bytes += '\f';
                break;
            case 'n':
                bytes += '\n';
                break;
            case 'r':
                bytes += '\r';
                break;
            case 't':
                bytes += '\t';
                break;
            case 'u': {
                if (size - position < 4) return false;
                unsigned codePoint = 0;
                for (int i = 0; i < 4; ++i) {
                    int digit = HexValue(data[position + i]);
                    if (digit < 0) return false;
                    codePoint = codePoint * 16 + static_cast<unsigned>(digit);
                }
                position += 4;
                AppendUtf8(bytes, codePoint);
                break;
            }
            default:
                // '"', '\\', '/' and any unknown escape stand for themselves.
                bytes += escape;
                break;
        }
    }
}

bool JsonReader::ReadString(std::wstring& out) {
    // ASCII without escapes, what most keys are, is its own UTF-16: widened
    // as it stands it skips a byte-by-byte copy and two system conversions.
    SkipWhitespace();
    if (position < size && data[position] == '"') {
        uint64_t end = position + 1;
        while (end < size && data[end] != '"' && data[end] != '\\' && static_cast<unsigned char>(data[end]) < 0x80) {
            ++end;
        }
        if (end < size && data[end] == '"') {
            out.assign(data + position + 1, data + end);
            position = end + 1;
            return true;
        }
    }
    std::string bytes;
    if (!ReadStringBytes(bytes)) return false;
    out = Utf8ToWide(bytes);
    return true;
}

bool JsonReader::ReadBool(bool& out) {
    SkipWhitespace();
    std::string_view rest(data + position, static_cast<size_t>(size - position));
    if (rest.substr(0, 4) == "true") {
        position += 4;
        out = true;
        return true;
    }
    if (rest.substr(0, 5) == "false") {
        position += 5;
        out = false;
        return true;
    }
    return false;
}

bool JsonReader::ReadNumber(double& out) {
    SkipWhitespace();
    const uint64_t start = position;
    uint64_t end = position;
    bool negative = false;
    if (end < size && data[end] == '-') {
        negative = true;
        ++end;
    }
    bool nonZeroInteger = false;
    uint64_t digits = 0;
    while (end < size && IsDigit(data[end])) {
        if (data[end] != '0') nonZeroInteger = true;
        ++end;
        ++digits;
    }
    if (end < size && data[end] == '.') {
        ++end;
        while (end < size && IsDigit(data[end])) {
            ++end;
            ++digits;
        }
    }
    if (digits == 0) return false;

    const char* first = data + start;
    const char* last = data + end;
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Without an exponent only an integer part can overflow; anything
        // else out of range is too small to represent.
        value = nonZeroInteger ? HUGE_VAL : 0.0;
        if (negative) value = -value;
    } else if (ec != std::errc() || ptr != last) {
        return false;
    }
    position = end;
    out = value;
    return true;
}

bool JsonReader::SkipValue() { return SkipValueAt(0); }

bool JsonReader::SkipValueAt(int depth) {
    SkipWhitespace();
    if (position >= size) return false;
    const char first = data[position];
    if (first == '"') {
        std::string scratch;
        return ReadStringBytes(scratch);
    }
    if (first == '[' || first == '{') {
        if (depth >= kMaxSkipDepth) return false;
        ++position;
        const char close = first == '[' ? ']' : '}';
        if (Consume(close)) return true;
        while (true) {
            if (first == '{') {
                std::string key;
                if (!ReadStringBytes(key) || !Consume(':')) return false;
            }
            if (!SkipValueAt(depth + 1)) return false;
            if (Consume(',')) continue;
            return Consume(close);
        }
    }
    if (first == 't' || first == 'f') {
        bool scratch = false;
        return ReadBool(scratch);
    }
    if (size - position >= 4 && std::string_view(data + position, 4) == "null") {
        position += 4;
        return true;
    }
    double scratch = 0.0;
    return ReadNumber(scratch);
}
