#include "system/tray/TrayActions.h"

#include <dwmapi.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "config/PathText.h"
#include "system/tray/TrayIconInfo.h"
#include "system/tray/TrayNaming.h"
#include "system/tray/TrayProcessTree.h"
#include "system/tray/TrayProcesses.h"

namespace {

constexpr std::wstring_view kHelperExeWords[] = {L"applauncher", L"launcher", L"systemtray", L"systray", L"tray",
                                                 L"helper",      L"daemon",   L"agent",      L"broker",  L"monitor",
                                                 L"notifier",    L"service",  L"background"};
static_assert(std::size(kHelperExeWords) == 13);

constexpr std::wstring_view kInstallerWords[] = {L"unins", L"crash", L"update", L"elevat", L"setup"};
static_assert(std::size(kInstallerWords) == 5);

constexpr std::wstring_view kHelperSuffixes[] = {L"applauncher", L"launcher", L"systemtray", L"systray", L"tray",
                                                 L"helper",      L"daemon",   L"agent",      L"service"};
static_assert(std::size(kHelperSuffixes) == 9);

constexpr LONG kWindowStyleMask = 0x00CF0000;  // caption, system menu, frame, min/max boxes

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool ContainsWord(std::wstring_view name, std::wstring_view word) {
    return std::search(name.begin(), name.end(), word.begin(), word.end(),
                       [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); }) != name.end();
}

bool IsExistingFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ParentOf(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return {};
    if (cut == 2 && path.size() > 1 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, cut);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    wchar_t last = folder.back();
    return last == L'\\' || last == L'/' ? folder + name : folder + L"\\" + name;
}

// A display name is whatever text the application put in its tooltip: only a
// plain file name may stand for a file next to the helper.
bool IsPlainFileName(const std::wstring& name) {
    return name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." && name != L"..";
}

// The system's own folders hold no application of a tray agent, and whatever
// runs from there is the system's: nothing is looked up in them.
bool IsInWindowsFolder(const std::wstring& folder) {
    wchar_t windows[MAX_PATH] = {};
    UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::wstring root = NormalizePathKey(std::wstring_view(windows, length));
    while (!root.empty() && root.back() == L'\\') root.pop_back();
    std::wstring key = NormalizePathKey(folder);
    return key.compare(0, root.size(), root) == 0 && (key.size() == root.size() || key[root.size()] == L'\\');
}

// At least three leading characters in common (a two-letter name: both), so
// the largest executable of a shared folder is not taken for anyone's.
bool SharesNamePrefix(std::wstring_view a, std::wstring_view b) {
    size_t common = 0;
    while (common < a.size() && common < b.size() && FoldAscii(a[common]) == FoldAscii(b[common])) ++common;
    return common >= 3 || (common >= 2 && common == std::min(a.size(), b.size()));
}

BOOL CALLBACK EnumMainWindowProc(HWND window, LPARAM lp) {
    ScoreMainWindowProc(window, *reinterpret_cast<MainWindowSearch*>(lp));
    return TRUE;
}

void BringForward(HWND window) {
    AllowSetForegroundWindow(ASFW_ANY);
    if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
    if (SetForegroundWindow(window) && GetForegroundWindow() == window) return;
    HWND foreground = GetForegroundWindow();
    DWORD foreThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    DWORD ownThread = GetCurrentThreadId();
    if (foreground && foreThread != 0 && foreThread != ownThread) {
        AttachThreadInput(ownThread, foreThread, TRUE);
        BringWindowToTop(window);
        SetForegroundWindow(window);
        AttachThreadInput(ownThread, foreThread, FALSE);
    } else {
        BringWindowToTop(window);
        SetForegroundWindow(window);
    }
}

}  // namespace

bool IsHelperExeName(std::wstring_view name) {
    if (name.empty()) return false;
    return std::any_of(std::begin(kHelperExeWords), std::end(kHelperExeWords),
                       [&](std::wstring_view word) { return ContainsWord(name, word); });
}

bool IsInstallerLikeName(std::wstring_view name) {
    if (name.empty()) return true;
    if (std::any_of(std::begin(kInstallerWords), std::end(kInstallerWords),
                    [&](std::wstring_view word) { return ContainsWord(name, word); })) {
        return true;
    }
    return IsHelperExeName(name);
}

std::wstring FindMainExeInFolder(const std::wstring& folder, const std::wstring& preferredName,
                                 const std::wstring& stem, bool scanFolder) {
    if (folder.empty()) return {};
    if (!preferredName.empty() && IsPlainFileName(preferredName)) {
        std::wstring candidate = Join(folder, preferredName + L".exe");
        if (IsExistingFile(candidate) && !IsInstallerLikeName(preferredName)) return candidate;
    }
    std::wstring key = NormalizePathKey(stem);
    for (std::wstring_view suffix : kHelperSuffixes) {
        if (key.size() <= suffix.size() || key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::wstring base = stem.substr(0, stem.size() - suffix.size());
        while (!base.empty() && (base.back() == L'_' || base.back() == L'-' || base.back() == L' ')) base.pop_back();
        if (base.empty()) continue;
        std::wstring candidate = Join(folder, base + L".exe");
        if (IsExistingFile(candidate) && !IsInstallerLikeName(base)) return candidate;
    }
    if (!scanFolder) return {};

    // FindFirstFileW reports no error mid-listing that could escape a close thread.
    WIN32_FIND_DATAW data = {};
    HANDLE find = FindFirstFileW(Join(folder, L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    std::wstring best;
    uint64_t bestSize = 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring name = data.cFileName;
        std::wstring nameKey = NormalizePathKey(name);
        if (nameKey.size() < 4 || nameKey.compare(nameKey.size() - 4, 4, L".exe") != 0) continue;
        std::wstring nameStem = TrayExeStem(name);
        if (IsInstallerLikeName(nameStem)) continue;
        if (!SharesNamePrefix(nameStem, stem) && !SharesNamePrefix(nameStem, preferredName)) continue;
        uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (size > bestSize) {
            bestSize = size;
            best = Join(folder, name);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return best;
}

std::wstring ResolveTrayExePath(const std::wstring& exePath, const std::wstring& displayName) {
    if (exePath.empty()) return {};
    std::wstring folder = ParentOf(exePath);
    std::wstring stem = TrayExeStem(exePath);
    if (!IsHelperExeName(stem) || IsInWindowsFolder(folder)) return exePath;
    std::wstring found = FindMainExeInFolder(folder, displayName, stem, true);
    if (!found.empty()) return found;
    std::wstring parent = ParentOf(folder);
    if (!parent.empty() && parent != folder && !IsInWindowsFolder(parent)) {
        found = FindMainExeInFolder(parent, displayName, stem, false);
        if (!found.empty()) return found;
    }
    return exePath;
}

bool ShellOpenPath(const std::wstring& path) {
    if (path.empty()) return false;
    std::wstring folder = ParentOf(path);
    HINSTANCE result = ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(),
                                     SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void ScoreMainWindowProc(HWND window, MainWindowSearch& search) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!search.pids.count(pid)) return;
    LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    LONG style = GetWindowLongW(window, GWL_STYLE);
    bool appWindow = (exStyle & WS_EX_APPWINDOW) != 0;
    if (GetWindow(window, GW_OWNER) && !appWindow) return;
    if ((exStyle & WS_EX_TOOLWINDOW) && !appWindow) return;
    if (exStyle & WS_EX_NOACTIVATE) return;
    BOOL cloaked = FALSE;
    if (SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) && cloaked) return;
    wchar_t cls[128] = {};
    int classLength = GetClassNameW(window, cls, static_cast<int>(std::size(cls)));
    if (classLength <= 0 || IsHelperWindowClass(std::wstring_view(cls, static_cast<size_t>(classLength)))) return;
    RECT rect;
    if (!GetWindowRect(window, &rect)) return;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    bool minimised = IsIconic(window) != FALSE;
    if (!minimised && (width < 160 || height < 120 || (style & kWindowStyleMask) == 0)) return;
    bool titled = GetWindowTextLengthW(window) > 0;
    if (!titled && !minimised && (width < 300 || height < 200)) return;

    int score = appWindow ? (titled ? 250 : 50) : (titled ? 200 : 0);
    if (style & WS_CAPTION) score += 30;
    if (!minimised && width > 0 && height > 0)
        score += static_cast<int>(std::min<long long>(static_cast<long long>(width) * height / 50000, 40));

    if (IsWindowVisible(window)) {
        score += minimised ? 100 : 120;
        if (score > search.bestVisibleScore) {
            search.bestVisibleScore = score;
            search.bestVisible = window;
        }
    } else if (width >= 300 && height >= 200) {
        score += 95;
        if (score > search.bestHiddenScore) {
            search.bestHiddenScore = score;
            search.bestHidden = window;
        }
    }
}

bool TrayIconInfo::OwnerRunning() const {
    // Window handles carry a reuse count, so a stale one hardly ever names a
    // new window: a live handle is the live owner.
    if (ownerWindow) return IsWindow(ownerWindow) != FALSE;
    // Only the running processes: one that has ended still answers for its
    // id while anyone holds a handle to it.
    return !FindProcessesByExe({key, exePath}, 0).empty();
}

void TrayIconInfo::Activate() const {
    if (ownerWindow && IsWindow(ownerWindow) && callbackMessage != 0) {
        PostMessageW(ownerWindow, callbackMessage, uID, WM_LBUTTONUP);
        PostMessageW(ownerWindow, callbackMessage, uID, WM_LBUTTONDBLCLK);
        return;
    }
    std::wstring resolved = ResolveTrayExePath(exePath, displayName);
    MainWindowSearch search;
    search.pids = TrayAppProcesses(SnapshotProcessTree(), exePath, resolved);
    if (!search.pids.empty()) EnumWindows(EnumMainWindowProc, reinterpret_cast<LPARAM>(&search));

    if (search.bestVisible && IsWindow(search.bestVisible)) {
        BringForward(search.bestVisible);
        return;
    }
    AllowSetForegroundWindow(ASFW_ANY);
    if (ShellOpenPath(resolved)) return;
    if (resolved != exePath && ShellOpenPath(exePath)) return;
    if (search.bestHidden && IsWindow(search.bestHidden)) {
        ShowWindowAsync(search.bestHidden, SW_SHOW);
        SetForegroundWindow(search.bestHidden);
    }
}
