#include "system/tray/TrayNaming.h"

#include <cwctype>

namespace {

// Characters that may follow a name inside a longer item name.
constexpr std::wstring_view kNameContinuations = L" (-:@[_|\u00B7\uFF08\uFF3B";

}  // namespace

std::wstring TrayExeStem(std::wstring_view path) {
    size_t start = path.find_last_of(L"\\/");
    std::wstring_view name = start == std::wstring_view::npos ? path : path.substr(start + 1);
    if (start == std::wstring_view::npos && name.size() >= 2 && name[1] == L':') name.remove_prefix(2);
    size_t colon = name.find(L':');
    if (colon != std::wstring_view::npos) name = name.substr(0, colon);
    if (name == L"." || name == L"..") return std::wstring(name);
    size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring_view::npos || dot == 0) return std::wstring(name);
    return std::wstring(name.substr(0, dot));
}

std::wstring MakeTrayDisplayName(const std::wstring& text, const std::wstring& exePath) {
    if (!text.empty()) {
        std::wstring line = text.substr(0, text.find_first_of(L"\r\n"));
        while (!line.empty() && (line.back() == L' ' || line.back() == L'\t')) line.pop_back();
        if (!line.empty()) return line;
    }
    std::wstring stem = TrayExeStem(exePath);
    if (!stem.empty()) return stem;
    return L"\u5E94\u7528";
}

std::wstring NormalizeTrayName(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    bool spaceSeen = false;
    for (wchar_t c : text) {
        if (std::iswspace(c)) {
            spaceSeen = true;
            continue;
        }
        if (spaceSeen && !out.empty()) out.push_back(L' ');
        spaceSeen = false;
        out.push_back(static_cast<wchar_t>(std::towlower(c)));
    }
    return out;
}

bool MatchTrayName(std::wstring_view itemName, const std::vector<std::wstring>& candidates) {
    std::wstring a = NormalizeTrayName(itemName);
    if (a.size() < 2) return false;
    for (const std::wstring& candidate : candidates) {
        std::wstring b = NormalizeTrayName(candidate);
        if (b.size() < 2) continue;
        if (a == b) return true;
        const std::wstring& shorter = b.size() <= a.size() ? b : a;
        const std::wstring& longer = b.size() <= a.size() ? a : b;
        if (longer.compare(0, shorter.size(), shorter) == 0 &&
            kNameContinuations.find(longer[shorter.size()]) != std::wstring_view::npos) {
            return true;
        }
    }
    return false;
}
