#include "platform/Log.h"

#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <mutex>

namespace {

constexpr size_t kMessageChars = 1024;

std::atomic<int> g_enabled{0};
// Never destroyed: detached threads may log while the process exits.
std::mutex& LogMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}
std::wstring& LogPath() {
    static auto* path = new std::wstring;
    return *path;
}

}  // namespace

std::wstring ExecutableDirectory() {
    wchar_t path[MAX_PATH] = {};
    DWORD len = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) return {};
    std::wstring dir(path, len);
    size_t cut = dir.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return {};
    dir.resize(cut);
    while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    return dir;
}

void InitializeLog(bool enabled, const std::wstring& folder) {
    std::lock_guard<std::mutex> lock(LogMutex());
    g_enabled.store(enabled ? 1 : 0);
    if (enabled) {
        std::wstring dir = folder.empty() ? ExecutableDirectory() : folder;
        LogPath() = dir.empty() ? std::wstring() : dir + L"\\vantreel.log";
    } else {
        LogPath().clear();
    }
}

bool IsLogEnabled() { return g_enabled.load(std::memory_order_relaxed) != 0; }

void LogMessage(const wchar_t* format, ...) {
    if (g_enabled.load(std::memory_order_relaxed) == 0 || format == nullptr) return;

    wchar_t message[kMessageChars];
    va_list args;
    va_start(args, format);
    int written = _vsnwprintf(message, kMessageChars - 1, format, args);
    va_end(args);
    // A longer text is cut, never rejected.
    if (written < 0 || written >= static_cast<int>(kMessageChars) - 1) written = kMessageChars - 1;
    message[written] = L'\0';

    std::lock_guard<std::mutex> lock(LogMutex());
    if (g_enabled.load() == 0 || LogPath().empty()) return;
    FILE* file = _wfopen(LogPath().c_str(), L"a, ccs=UTF-8");
    if (!file) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t line[kMessageChars + 32];
    int len = _snwprintf(line, std::size(line) - 1, L"[%02u:%02u:%02u.%03u] %s\n", now.wHour, now.wMinute, now.wSecond,
                         now.wMilliseconds, message);
    if (len < 0) len = static_cast<int>(std::size(line)) - 1;
    line[len] = L'\0';
    fputws(line, file);
    fclose(file);
}
