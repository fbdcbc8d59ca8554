#include "dock/AppLabel.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// Length of the root name ("C:" or "\\server") that can precede the path proper.
size_t RootNameLength(const std::wstring& p) {
    if (p.size() >= 2 && p[1] == L':' && IsAsciiLetter(p[0])) return 2;
    if (p.size() >= 3 && IsSeparator(p[0]) && IsSeparator(p[1]) && !IsSeparator(p[2])) {
        size_t i = 2;
        while (i < p.size() && !IsSeparator(p[i])) ++i;
        return i;
    }
    return 0;
}

}  // namespace

std::wstring AppLabelFromPath(const std::wstring& path) {
    const size_t root = RootNameLength(path);
    size_t start = root;
    for (size_t i = root; i < path.size(); ++i) {
        if (IsSeparator(path[i])) start = i + 1;
    }
    std::wstring name = path.substr(start);
    const size_t colon = name.find(L':');
    if (colon != std::wstring::npos) name.resize(colon);

    if (name != L"." && name != L"..") {
        const size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos && dot != 0) name.resize(dot);
    }
    if (name.empty()) return L"App";
    return name;
}
