#include "notify/NotificationSource.h"

#include <windows.h>

#include <cwctype>
#include <string_view>

#include "config/PathText.h"
#include "notify/ToastText.h"

namespace {

bool EndsWithExe(const std::wstring& path) {
    if (path.size() < 4) return false;
    std::wstring tail = path.substr(path.size() - 4);
    for (wchar_t& c : tail) c = static_cast<wchar_t>(std::towlower(c));
    return tail == L".exe";
}

std::wstring StemOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name;
}

bool StartsWith(const std::wstring& text, std::wstring_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring ProductPartOf(std::wstring id) {
    const size_t bang = id.find(L'!');
    if (bang != std::wstring::npos) id.resize(bang);
    const size_t underscore = id.find_last_of(L'_');
    if (underscore != std::wstring::npos && underscore != 0) id.resize(underscore);
    const size_t dot = id.find_last_of(L'.');
    if (dot != std::wstring::npos && dot + 1 < id.size()) id = id.substr(dot + 1);
    return id;
}

std::wstring Capped(std::wstring name) {
    CutAtCodePoint(name, kSourceNameLimit, true);
    return name;
}

}  // namespace

bool IsLocalExecutablePath(const std::wstring& path) {
    const wchar_t letter = static_cast<wchar_t>(path.empty() ? 0 : path[0] | 0x20);
    const bool drive =
        path.size() > 3 && letter >= L'a' && letter <= L'z' && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    // A second ':' names a stream of a file, not the file.
    return drive && path.size() < MAX_PATH && path.find(L':', 2) == std::wstring::npos && EndsWithExe(path);
}

std::wstring ResolveNotificationSourceName(const std::wstring& appId, const std::wstring& displayName,
                                           std::wstring* exePathOut) {
    if (exePathOut) exePathOut->clear();
    const std::wstring expanded = ExpandKnownFolderPath(appId);
    const bool namesExe = EndsWithExe(expanded);
    if (exePathOut && IsLocalExecutablePath(expanded)) *exePathOut = expanded;

    if (!displayName.empty() && !StartsWith(displayName, L"ms-resource:") && !StartsWith(displayName, L"@{")) {
        return Capped(displayName);
    }

    // Well-known system senders, first match wins.
    static constexpr std::pair<std::wstring_view, const wchar_t*> kKnownSenders[] = {
        {L"windows.defender", L"Windows 安全中心"},
        {L"windows.systemtoast.windowsupdate", L"Windows 更新"},
        {L"windowsupdate", L"Windows 更新"},
        {L"autoplay", L"自动播放"},
        {L"usbnotify", L"USB 设备"},
        {L"bluetooth", L"蓝牙"},
        {L"securityandmaintenance", L"安全和维护"},
        {L"windows.system.audio", L"系统音频"},
        {L"windows.systemtoast.lowdisk", L"存储空间"},
        {L"powershell", L"Windows PowerShell"},
        {L"explorer", L"文件资源管理器"},
    };
    const std::wstring key = NormalizePathKey(appId);
    for (const auto& [fragment, name] : kKnownSenders) {
        if (key.find(fragment) != std::wstring::npos) return name;
    }

    if (namesExe) {
        std::wstring stem = StemOf(expanded);
        if (!stem.empty()) return Capped(std::move(stem));
    }
    std::wstring product = ProductPartOf(appId);
    return product.empty() ? L"系统通知" : Capped(std::move(product));
}

std::wstring FormatRelativeTime(uint64_t arrivalTime, uint64_t now) {
    constexpr uint64_t kSecond = 10000000ull;
    if (arrivalTime == 0 || arrivalTime >= now) return L"刚刚";
    const uint64_t seconds = (now - arrivalTime) / kSecond;
    if (seconds < 60) return L"刚刚";
    if (seconds < 3600) return std::to_wstring(seconds / 60) + L" 分钟前";
    if (seconds < 86400) return std::to_wstring(seconds / 3600) + L" 小时前";
    const uint64_t days = seconds / 86400;
    if (days == 1) return L"昨天";
    if (days < 30) return std::to_wstring(days) + L" 天前";
    return L"较早";
}
