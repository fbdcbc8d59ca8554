#pragma once
// A cursor over the UTF-8 text of the configuration file. There is no document
// tree: the caller knows which value each key expects and asks for it.
//
// Every operation first skips whitespace (space, tab, CR, LF). A failing
// operation returns false and leaves its output untouched; the caller then
// abandons the whole parse.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class JsonReader {
public:
    // Unknown values deeper than this fail the parse instead of exhausting the stack.
    static constexpr int kMaxSkipDepth = 256;

    JsonReader() = default;
    JsonReader(const char* text, size_t length) : data(text), size(length) {}
    explicit JsonReader(std::string_view text) : data(text.data()), size(text.size()) {}

    // One expected punctuation byte: '{', '}', '[', ']', ':' or ','.
    bool Consume(char c);
    bool ReadString(std::wstring& out);
    // "true" or "false"; the byte after the word is not examined.
    bool ReadBool(bool& out);
    // -?digits*(.digits*)? with at least one digit; no exponent, no '+'.
    bool ReadNumber(double& out);
    // Any value, discarded.
    bool SkipValue();

    // Skips whitespace and returns the next byte without taking it; 0 at the end.
    char Peek();

    const char* data = nullptr;
    uint64_t size = 0;
    uint64_t position = 0;

private:
    void SkipWhitespace();
    bool ReadStringBytes(std::string& bytes);
    bool SkipValueAt(int depth);
};
