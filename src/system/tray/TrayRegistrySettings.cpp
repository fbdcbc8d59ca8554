#include "system/tray/TrayRegistrySettings.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "config/PathText.h"
#include "system/tray/TrayNaming.h"

namespace {

class RegKey {
public:
    RegKey(HKEY parent, const wchar_t* name) {
        if (RegOpenKeyExW(parent, name, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~RegKey() {
        if (key_) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// A string value read into a buffer of bufferBytes; the text ends at the bytes
// returned or at the first NUL, whichever comes first. A value that does not fit
// counts as unreadable.
bool ReadString(HKEY key, const wchar_t* name, DWORD bufferBytes, std::wstring& text) {
    std::vector<wchar_t> buffer(bufferBytes / sizeof(wchar_t), L'\0');
    DWORD type = 0;
    DWORD bytes = bufferBytes;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    size_t chars = std::min<size_t>(bytes, bufferBytes) / sizeof(wchar_t);
    text.assign(buffer.data(), chars);
    text = text.substr(0, text.find(L'\0'));
    return true;
}

bool ReadDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD type = 0;
    DWORD bytes = sizeof(value);
    DWORD data = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes) != ERROR_SUCCESS ||
        bytes != 4) {
        return false;
    }
    value = data;
    return true;
}

}  // namespace

std::vector<NotifyIconSetting> ReadNotifyIconSettings(const RunningExeMap& running) {
    std::vector<NotifyIconSetting> settings;
    RegKey root(HKEY_CURRENT_USER, L"Control Panel\\NotifyIconSettings");
    if (!root.Get()) return settings;

    for (DWORD index = 0;; ++index) {
        wchar_t name[128] = {};
        DWORD nameChars = static_cast<DWORD>(std::size(name));
        if (RegEnumKeyExW(root.Get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        RegKey entry(root.Get(), name);
        if (!entry.Get()) continue;

        std::wstring path;
        if (!ReadString(entry.Get(), L"ExecutablePath", 1040, path) || path.empty()) continue;
        std::wstring key = NormalizePathKey(ExpandKnownFolderPath(path));
        auto exe = running.find(key);
        if (exe == running.end()) continue;

        std::wstring tooltip;
        if (!ReadString(entry.Get(), L"InitialTooltip", 512, tooltip)) tooltip.clear();
        DWORD promoted = 0, uid = 0;
        bool hasPromoted = ReadDword(entry.Get(), L"IsPromoted", promoted);
        bool hasUid = ReadDword(entry.Get(), L"UID", uid);

        auto setting =
            std::find_if(settings.begin(), settings.end(), [&](const NotifyIconSetting& s) { return s.key == key; });
        if (setting == settings.end()) {
            NotifyIconSetting created;
            created.key = key;
            created.exePath = exe->second.imagePath;
            created.pids = exe->second.pids;
            settings.push_back(std::move(created));
            setting = std::prev(settings.end());
        }
        if (!tooltip.empty()) {
            std::wstring display = MakeTrayDisplayName(tooltip, setting->exePath);
            if (std::find(setting->tooltips.begin(), setting->tooltips.end(), tooltip) == setting->tooltips.end())
                setting->tooltips.push_back(tooltip);
            if (display.size() > setting->displayName.size()) setting->displayName = display;
        }
        if (hasUid && std::find(setting->uids.begin(), setting->uids.end(), uid) == setting->uids.end())
            setting->uids.push_back(uid);
        if (hasPromoted && promoted != 0) setting->promoted = true;
    }

    for (NotifyIconSetting& setting : settings) {
        if (setting.displayName.empty()) setting.displayName = MakeTrayDisplayName(L"", setting.exePath);
        if (setting.uids.empty()) setting.uids = {0, 1, 2, 3};
    }
    return settings;
}
