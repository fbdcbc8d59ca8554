#include "config/DockConfig.h"

#include "config/ControlCenterTileTable.h"
#include "config/DockConfigFields.h"
#include "config/PathText.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <functional>

namespace {

// A value that compares with neither bound (NaN) is left as it is.
template <typename T>
void ClampRange(T& value, T low, T high) {
    if (value > high)
        value = high;
    else if (value < low)
        value = low;
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

std::wstring ExpandCandidate(const std::wstring& candidate) {
    constexpr DWORD kCapacity = 520;
    wchar_t expanded[kCapacity] = {};
    DWORD needed = ExpandEnvironmentStringsW(candidate.c_str(), expanded, kCapacity);
    if (needed == 0 || needed > kCapacity) return candidate;
    return expanded;
}

}  // namespace

std::vector<std::wstring> DefaultControlCenterTiles() {
    return {L"wifi", L"bluetooth", L"snip", L"lock", L"screen_off", L"desktop_icons"};
}

bool IsKnownControlCenterTile(std::wstring_view id) { return ControlCenterTileFor(id) != ControlCenterTile::Unknown; }

void AddDefaultPinnedApp(std::vector<PinnedApp>& pinned, std::wstring_view label,
                         const std::vector<std::wstring>& candidates) {
    for (const std::wstring& candidate : candidates) {
        std::wstring path = ExpandCandidate(candidate);
        if (path.empty()) continue;
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            continue;
        }
        std::wstring key = NormalizePathKey(path);
        pinned.push_back(PinnedApp{std::wstring(label), std::move(path), {}, std::move(key)});
        return;
    }
}

DockConfig DockConfig::MakeDefault() {
    DockConfig config;
    config.controlCenterTiles = DefaultControlCenterTiles();
    Clamp(config);
    ResetPinnedToDefaults(config);
    return config;
}

void DockConfig::ResetPinnedToDefaults(DockConfig& config) {
    config.pinned.clear();
    AddDefaultPinnedApp(config.pinned, L"文件资源管理器", {L"%WINDIR%\\explorer.exe"});
    AddDefaultPinnedApp(config.pinned, L"Microsoft Edge",
                        {L"%ProgramFiles(x86)%\\Microsoft\\Edge\\Application\\msedge.exe",
                         L"%ProgramFiles%\\Microsoft\\Edge\\Application\\msedge.exe"});
    AddDefaultPinnedApp(config.pinned, L"记事本", {L"%WINDIR%\\System32\\notepad.exe"});
    AddDefaultPinnedApp(config.pinned, L"终端",
                        {L"%LOCALAPPDATA%\\Microsoft\\WindowsApps\\wt.exe",
                         L"%WINDIR%\\System32\\WindowsPowerShell\\v1.0\\powershell.exe"});
    AddDefaultPinnedApp(config.pinned, L"计算器", {L"%WINDIR%\\System32\\calc.exe"});
}

void KeepFirstOfEach(std::vector<std::wstring>& list) {
    if (list.size() < 2) return;
    // Open addressing over the places of the entries kept so far: a set of
    // strings would allocate and copy each of 300,000 keys and chase a node
    // for each look-up, which costs more than the rest of a load together.
    size_t slots = 16;
    while (slots < list.size() * 2) slots *= 2;
    std::vector<uint32_t> table(slots, 0);  // a kept entry's place + 1; 0 is free
    const std::hash<std::wstring_view> hash;
    size_t kept = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        size_t slot = hash(list[i]) & (slots - 1);
        while (table[slot] != 0 && list[table[slot] - 1] != list[i]) slot = (slot + 1) & (slots - 1);
        if (table[slot] != 0) continue;
        if (kept != i) list[kept] = std::move(list[i]);
        table[slot] = static_cast<uint32_t>(++kept);
    }
    list.resize(kept);
}

void DockConfig::Clamp(DockConfig& config) {
    ClampValues(config);
    for (const DockConfigField& field : DockConfigFields()) {
        switch (field.kind) {
            case FieldKind::Tiles: {
                std::vector<std::wstring> tiles;
                for (std::wstring& id : config.*std::get<std::vector<std::wstring> DockConfig::*>(field.member)) {
                    if (IsKnownControlCenterTile(id) && !Contains(tiles, id)) tiles.push_back(std::move(id));
                }
                config.*std::get<std::vector<std::wstring> DockConfig::*>(field.member) = std::move(tiles);
                break;
            }
            case FieldKind::Pinned:
                std::erase_if(config.*std::get<std::vector<PinnedApp> DockConfig::*>(field.member),
                              [](const PinnedApp& app) { return app.path.empty(); });
                break;
            case FieldKind::Keys:
            case FieldKind::UniqueKeys: {
                std::vector<std::wstring>& keys =
                    config.*std::get<std::vector<std::wstring> DockConfig::*>(field.member);
                for (std::wstring& key : keys) key = NormalizePathKey(key);
                if (field.kind == FieldKind::UniqueKeys) KeepFirstOfEach(keys);
                break;
            }
            default:
                break;
        }
    }
}

void DockConfig::ClampValues(DockConfig& config) {
    for (const DockConfigField& field : DockConfigFields()) {
        if (field.low == field.high) continue;  // no range
        if (field.kind == FieldKind::Int) {
            int32_t& value = config.*std::get<int32_t DockConfig::*>(field.member);
            const auto low = static_cast<int32_t>(field.low), high = static_cast<int32_t>(field.high);
            if (field.resetOutside && (value < low || value > high)) {
                value = low;
            } else {
                ClampRange(value, low, high);
            }
        } else {
            ClampRange(config.*std::get<float DockConfig::*>(field.member), static_cast<float>(field.low),
                       static_cast<float>(field.high));
        }
    }
}
