#pragma once
// Editing the launcher's search text: what typing, Backspace and a paste add
// or take away, units of UTF-16 that never split a surrogate pair.

#include <cstddef>
#include <string>

// Where the search text and its input-method composition end, and where the
// composition starts (DIP from the text's start); unmeasured when both are empty.
struct SearchTextExtent {
    float compositionX = 0.0f;
    float endX = 0.0f;
    bool measured = false;
};

// What typing, a paste or an input method may add: no control units.
inline bool IsPrintableUnit(wchar_t unit) { return unit >= 0x20 && unit != 0x7F; }

// Appends the printable units of text, scanning at most units of it and
// stopping at a zero unit, while search holds fewer than limit units. Returns
// whether anything was appended.
bool AppendPastedText(std::wstring& search, const wchar_t* text, size_t units, size_t limit);

// Removes the last character: one unit, or both units of a surrogate pair.
void RemoveLastCharacter(std::wstring& search);
