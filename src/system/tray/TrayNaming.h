#pragma once
// Names of mirrored tray icons: the display name made from a tooltip or the
// executable's file name, and the tolerant comparison of a tray item's name
// with the names an application may go by. Pure text processing.

#include <string>
#include <string_view>
#include <vector>

// The executable's file stem: the text after the last separator, without its
// last extension; "." and "..", and names whose only dot leads, stay whole; a
// ':' ends the part examined.
std::wstring TrayExeStem(std::wstring_view path);

// First line of the text without trailing blanks; else the executable's stem;
// else "应用".
std::wstring MakeTrayDisplayName(const std::wstring& text, const std::wstring& exePath);

// Lower-cased, white space runs folded to one space, no leading or trailing space.
std::wstring NormalizeTrayName(std::wstring_view text);

// The item name equals a candidate, or one begins with the other followed by a
// space or an opening separator ("Foo (3)", "Foo-Bar", "Foo（x）"); names shorter
// than two characters never match.
bool MatchTrayName(std::wstring_view itemName, const std::vector<std::wstring>& candidates);
