#include "apps/GroupInitial.h"

#include <windows.h>

#include "apps/NameKeywordTables.h"

wchar_t GroupInitialOf(const InstalledApp& entry) { return GroupInitialOfName(entry.name); }

wchar_t GroupInitialOfName(const std::wstring& name) {
    size_t i = 0;
    while (i < name.size()) {
        const wchar_t c = name[i];
        if (c == L' ' || c == L'\t' || c == L'[' || c == L'(' || c == L'\u3010' || c == L'\uFF08' || c == L'\u300C') {
            ++i;
        } else {
            break;
        }
    }
    if (i == name.size()) return L'#';

    const wchar_t c = name[i];
    if (c >= L'A' && c <= L'Z') return c;
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - L'a' + L'A');
    if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<wchar_t>(c - 0xFF21 + L'A');
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<wchar_t>(c - 0xFF41 + L'A');
    if (c < 0x4E00 || c > 0x9FFF) return L'#';

    for (const auto& [hanzi, letter] : name_tables::kInitialOverrides) {
        if (hanzi == c) return letter;
    }

    // Level-1 hanzi of code page 936 are ordered by pinyin, so the code alone
    // gives the initial; an explicit code page keeps this locale-independent.
    char bytes[4] = {};
    const int length = WideCharToMultiByte(936, 0, &c, 1, bytes, sizeof(bytes), nullptr, nullptr);
    if (length != 2) return L'#';
    const unsigned code =
        static_cast<unsigned>(static_cast<unsigned char>(bytes[0])) * 256u + static_cast<unsigned char>(bytes[1]);
    if (code < 0xB0A1 || code > 0xD7F9) return L'#';
    wchar_t letter = L'#';
    for (const auto& [first, initial] : name_tables::kGb2312InitialBoundaries) {
        if (first > code) break;
        letter = initial;
    }
    return letter;
}
