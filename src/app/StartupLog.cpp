#include "app/StartupLog.h"

#include <windows.h>

#include <cwchar>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/Log.h"
#include "config/Paths.h"
#include "platform/UniqueHandle.h"

namespace {

long long g_startCounter = 0;
long long g_counterFrequency = 1;
platform::UniqueHandle g_startupFile;
double g_previousMarkMs = 0.0;

void WriteUtf16(const wchar_t* text, int length) {
    if (!g_startupFile || length <= 0) return;
    DWORD written = 0;
    WriteFile(g_startupFile.get(), text, static_cast<DWORD>(length * sizeof(wchar_t)), &written, nullptr);
}

}  // namespace

namespace StartupLog {

void Open() {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    g_counterFrequency = value.QuadPart > 0 ? value.QuadPart : 1;
    QueryPerformanceCounter(&value);
    g_startCounter = value.QuadPart;
    g_previousMarkMs = 0.0;

    std::wstring dir = GetCacheDirectory();
    if (dir.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(dir), ec);
    if (ec) return;
    std::wstring path = dir + L"\\startup.log";
    g_startupFile.reset();  // before the new one: both are the same file
    g_startupFile.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!g_startupFile) return;

    wchar_t line[160];
    int n = _snwprintf(line, 159, L"---- process started %llu ms into this boot ----\r\n",
                       static_cast<unsigned long long>(GetTickCount64()));
    if (n < 0 || n > 159) n = 159;
    WriteUtf16(line, n);
}

void Mark(const wchar_t* milestone) {
    if (g_startCounter == 0 || milestone == nullptr) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    double ms = static_cast<double>(now.QuadPart - g_startCounter) * 1000.0 / static_cast<double>(g_counterFrequency);
    LogMessage(L"startup %7.1f ms  %s", ms, milestone);
    if (!g_startupFile) return;
    wchar_t line[320];
    int n = _snwprintf(line, 319, L"%8.1f ms  (+%6.1f)  %s\r\n", ms, ms - g_previousMarkMs, milestone);
    if (n < 0 || n > 319) n = 319;
    g_previousMarkMs = ms;
    WriteUtf16(line, n);
}

void Close() { g_startupFile.reset(); }

}  // namespace StartupLog
