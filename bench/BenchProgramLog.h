#pragma once
// Reading a started program from outside: its start-up log (UTF-16) with its
// milestone lines, and its windows by class.

#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

namespace bench {

// The first 64 KB of a UTF-16 file the program may still be writing; empty
// when it cannot be opened.
inline std::wstring ReadUtf16(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::wstring text(32768, L'\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
    CloseHandle(file);
    text.resize(read / sizeof(wchar_t));
    return text;
}

// Where the line naming the milestone starts, and where the name stands.
struct MilestoneLine {
    size_t start = std::wstring::npos;
    size_t name = std::wstring::npos;
};

inline MilestoneLine FindMilestone(const std::wstring& log, const wchar_t* milestone) {
    MilestoneLine line;
    line.name = log.find(milestone);
    if (line.name == std::wstring::npos) return line;
    const size_t newline = log.rfind(L'\n', line.name);
    line.start = newline == std::wstring::npos ? 0 : newline + 1;
    return line;
}

// The "(+delta)" of the line naming the milestone, or -1.
inline double MilestoneDelta(const std::wstring& log, const wchar_t* milestone) {
    const MilestoneLine line = FindMilestone(log, milestone);
    if (line.name == std::wstring::npos) return -1;
    size_t plus = log.find(L"(+", line.start);
    if (plus == std::wstring::npos || plus > line.name) return -1;
    return std::wcstod(log.c_str() + plus + 2, nullptr);
}

// The time since the program's start on the line naming the milestone, or -1.
inline double MilestoneTime(const std::wstring& log, const wchar_t* milestone) {
    const MilestoneLine line = FindMilestone(log, milestone);
    if (line.name == std::wstring::npos) return -1;
    return std::wcstod(log.c_str() + line.start, nullptr);
}

// The start-up's own word that it has its window list and its top bar.
inline bool StartupSettled(const std::wstring& startupLog) {
    const std::wstring milestones = ReadUtf16(startupLog);
    return MilestoneTime(milestones, L"window list scanned") >= 0 && MilestoneTime(milestones, L"top bar ready") >= 0;
}

// The first top-level window of the process with that class, or null.
inline HWND WindowOfProcess(DWORD pid, const wchar_t* className) {
    struct Search {
        DWORD pid;
        const wchar_t* className;
        HWND found;
    } search{pid, className, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            wchar_t name[128] = {};
            GetClassNameW(hwnd, name, 128);
            if (owner == s->pid && std::wcscmp(name, s->className) == 0) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace bench
