#include "system/tray/TrayNameCandidates.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "system/tray/TrayNaming.h"

namespace {

constexpr std::wstring_view kVersionFields[] = {L"FileDescription", L"ProductName", L"InternalName",
                                                L"OriginalFilename"};

struct VersionNameCache {
    std::mutex mutex;
    std::unordered_map<std::wstring, std::vector<std::wstring>> names;
};

// Created once and never destroyed: the monitor thread may still read it while
// the process exits.
VersionNameCache& Cache() {
    static auto* cache = new VersionNameCache;
    return *cache;
}

std::vector<std::wstring> ReadVersionNames(const std::wstring& path) {
    std::vector<std::wstring> result;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) return result;
    std::vector<unsigned char> block(size, 0);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return result;
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes) ||
        translations == nullptr || bytes < sizeof(Translation)) {
        return result;
    }
    for (std::wstring_view field : kVersionFields) {
        wchar_t subBlock[160] = {};
        _snwprintf(subBlock, std::size(subBlock) - 1, L"\\StringFileInfo\\%04X%04X\\%s", translations[0].language,
                   translations[0].codePage, std::wstring(field).c_str());
        wchar_t* value = nullptr;
        UINT chars = 0;
        if (!VerQueryValueW(block.data(), subBlock, reinterpret_cast<void**>(&value), &chars) || value == nullptr) {
            continue;
        }
        // The returned length bounds the text; the block need not hold a NUL for it.
        size_t available = static_cast<size_t>(block.data() + block.size() - reinterpret_cast<unsigned char*>(value)) /
                           sizeof(wchar_t);
        size_t limit = std::min<size_t>(chars, available);
        std::wstring text(value, limit);
        text = text.substr(0, text.find(L'\0'));
        if (!text.empty()) result.push_back(std::move(text));
    }
    return result;
}

}  // namespace

void GetFileVersionName(const std::wstring& exePath, std::vector<std::wstring>& names) {
    VersionNameCache& cache = Cache();
    std::lock_guard<std::mutex> lock(cache.mutex);
    auto it = cache.names.find(exePath);
    if (it == cache.names.end()) it = cache.names.emplace(exePath, ReadVersionNames(exePath)).first;
    names.insert(names.end(), it->second.begin(), it->second.end());
}

std::vector<std::wstring> GetTrayNameCandidates(const NotifyIconSetting& setting) {
    std::vector<std::wstring> candidates(setting.tooltips.begin(), setting.tooltips.end());
    std::wstring stem = TrayExeStem(setting.exePath);
    candidates.push_back(stem);
    for (wchar_t& c : stem) {
        if (c == L'-' || c == L'.' || c == L'_') c = L' ';
    }
    candidates.push_back(stem);
    GetFileVersionName(setting.exePath, candidates);
    return candidates;
}
