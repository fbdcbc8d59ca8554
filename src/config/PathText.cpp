#include "config/PathText.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

size_t LastSeparator(const std::wstring& path) { return path.find_last_of(L"\\/"); }

// Length of a "\\\\server\\share" root, or 0 for other paths.
size_t UncRootLength(const std::wstring& path) {
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
    const size_t serverEnd = path.find_first_of(L"\\/", 2);
    if (serverEnd == std::wstring::npos) return path.size();
    const size_t shareEnd = path.find_first_of(L"\\/", serverEnd + 1);
    return shareEnd == std::wstring::npos ? path.size() : shareEnd;
}

}  // namespace

std::wstring NormalizePathKey(std::wstring_view text) {
    std::wstring key(text);
    for (wchar_t& c : key) {
        if (c == L'/')
            c = L'\\';
        else if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return key;
}

std::wstring FileNameOf(std::wstring_view path) {
    size_t cut = path.find_last_of(L"\\/");
    return std::wstring(cut == std::wstring_view::npos ? path : path.substr(cut + 1));
}

std::wstring_view PathStem(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    if (slash == std::wstring_view::npos && name.size() >= 2 && name[1] == L':') name.remove_prefix(2);
    if (name == L"." || name == L"..") return name;
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring_view::npos || dot == 0 ? name : name.substr(0, dot);
}

std::wstring ExpandKnownFolderPath(const std::wstring& path) {
    if (path.size() < 38 || path[0] != L'{') return path;
    const size_t close = path.find(L'}');
    if (close == std::wstring::npos || close < 10) return path;

    const std::wstring idText = path.substr(0, close + 1);
    CLSID id{};
    if (FAILED(CLSIDFromString(idText.c_str(), &id))) return path;

    PWSTR folder = nullptr;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, &folder)) || !folder) {
        if (folder) CoTaskMemFree(folder);
        return path;
    }
    std::wstring joined = folder;
    CoTaskMemFree(folder);

    size_t restStart = close + 1;
    while (restStart < path.size() && IsSeparator(path[restStart])) ++restStart;
    if (restStart < path.size()) {
        if (joined.empty() || !IsSeparator(joined.back())) joined += L'\\';
        joined.append(path, restStart, std::wstring::npos);
    }
    return joined;
}

std::wstring DisplayNameFromPath(const std::wstring& path) {
    // The root ("C:", "\\server\share") never belongs to the file name.
    size_t nameStart = 0;
    const size_t sep = LastSeparator(path);
    if (sep != std::wstring::npos) {
        nameStart = sep + 1;
    } else if (path.size() >= 2 && path[1] == L':') {
        nameStart = 2;
    }
    const size_t uncRoot = UncRootLength(path);
    if (uncRoot > 0 && nameStart <= uncRoot) nameStart = path.size();
    std::wstring fileName = path.substr(nameStart);
    std::wstring name = fileName;
    const size_t stream = name.find(L':');
    if (stream != std::wstring::npos) name.resize(stream);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    if (!name.empty()) return name;
    if (!fileName.empty()) return fileName;
    return path;
}

std::wstring ExtensionOf(const std::wstring& path) {
    const size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos) return {};
    const size_t sep = LastSeparator(path);
    if (sep != std::wstring::npos && sep > dot) return {};
    return path.substr(dot);
}

std::wstring ParentFolderOf(const std::wstring& path) {
    const size_t sep = LastSeparator(path);
    if (sep == std::wstring::npos) return {};
    // "C:\file" keeps the root's separator so the folder stays a folder.
    if (sep == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, sep);
}
