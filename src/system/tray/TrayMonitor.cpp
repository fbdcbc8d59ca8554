#include "system/tray/TrayMonitor.h"
#include "platform/ExceptionGuard.h"

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdarg>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <string_view>

#include "platform/DetachedThread.h"
#include "platform/Log.h"
#include "config/PathText.h"
#include "system/tray/TrayLegacyToolbars.h"
#include "system/tray/TrayNameCandidates.h"
#include "system/tray/TrayNaming.h"
#include "system/tray/TrayRegistrySettings.h"
#include "system/tray/TrayUiAutomation.h"

namespace {

constexpr uint64_t kSuppressMs = 8000;
constexpr DWORD kPassIntervalMs = 1000;
constexpr uint32_t kPassLogEvery = 30;

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = FoldAscii(a[i]), y = FoldAscii(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool StrictlyOverlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

HWND FindTaskbarContentBridge() {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar) return nullptr;
    for (HWND child = FindWindowExW(taskbar, nullptr, nullptr, nullptr); child;
         child = FindWindowExW(taskbar, child, nullptr, nullptr)) {
        wchar_t name[96] = {};
        GetClassNameW(child, name, static_cast<int>(std::size(name)));
        if (CompareNoCase(name, L"Windows.UI.Composition.DesktopWindowContentBridge") == 0) return child;
    }
    return nullptr;
}

struct IconMatch {
    int status = 0;  // 0 unmatched, 1 on the bar, 2 hidden
    bool registered = false;
    HWND ownerWindow = nullptr;
    uint32_t uID = 0;
    std::wstring itemName;
};

std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[256];
    va_list args;
    va_start(args, format);
    int n = _vsnwprintf(buffer, std::size(buffer) - 1, format, args);
    va_end(args);
    if (n < 0) n = static_cast<int>(std::size(buffer)) - 1;
    return std::wstring(buffer, static_cast<size_t>(n));
}

void TrayMonitorThread() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    // Kept for the life of the process: the thread never ends.
    uia::IUIAutomation* automation = CreateUiAutomation();
    TraySources sources = SystemTraySources(automation);
    TrayPassMemory memory;
    for (;;) {
        RunTrayPass(memory, sources, GlobalTrayState(), GlobalTraySuppression());
        MsgWaitForMultipleObjectsEx(0, nullptr, kPassIntervalMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void StartTrayMonitor() {
    try {
        platform::StartDetachedThread(TrayMonitorThread);
    } catch (const std::system_error&) {
        // Without the monitor the tray stays as it was last read.
    }
}

}  // namespace

TraySources SystemTraySources(uia::IUIAutomation* automation) {
    TraySources sources;
    sources.readLegacy = [](std::vector<TrayIconInfo>& icons) {
        const LegacyTrayRead read = ReadLegacyTrayToolbars(icons);
        // A busy shell is no empty tray: the pass fails and the list it published stays.
        if (read == LegacyTrayRead::Failed) throw std::runtime_error("tray toolbars did not answer");
        return read == LegacyTrayRead::Read;
    };
    sources.readSettings = ReadNotifyIconSettings;
    sources.collectUia = [automation](std::vector<UiaNotifyItem>& items) {
        HWND bridge = automation ? FindTaskbarContentBridge() : nullptr;
        return bridge != nullptr && CollectUiaNotifyItems(automation, bridge, items);
    };
    sources.probe = ProbeMessageWindows;
    sources.snapshot = SnapshotProcesses;
    sources.iconRect = [](HWND window, uint32_t uid, RECT& rect) {
        NOTIFYICONIDENTIFIER id = {};
        id.cbSize = sizeof(id);
        id.hWnd = window;
        id.uID = uid;
        return Shell_NotifyIconGetRect(&id, &rect);
    };
    sources.isWindow = [](HWND window) { return IsWindow(window) != FALSE; };
    sources.tickCount = [] { return GetTickCount64(); };
    sources.log = [](const std::wstring& line) { LogMessage(L"%s", line.c_str()); };
    return sources;
}

TrayState& GlobalTrayState() {
    static auto* state = new TrayState;
    return *state;
}

TraySuppression& GlobalTraySuppression() {
    static auto* suppression = new TraySuppression;
    return *suppression;
}

void EnsureTrayMonitorStarted() {
    static std::once_flag started;
    std::call_once(started, StartTrayMonitor);
}

std::vector<TrayIconInfo> GetTrayIconsSnapshot() {
    EnsureTrayMonitorStarted();
    TrayState& state = GlobalTrayState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.icons;
}

void ForgetTrayIcon(const std::wstring& key) {
    ForgetTrayIcon(GlobalTrayState(), GlobalTraySuppression(), key, GetTickCount64());
}

void ForgetTrayIcon(TrayState& state, TraySuppression& suppression, const std::wstring& key, uint64_t now) {
    if (key.empty()) return;
    std::wstring normalized = NormalizePathKey(key);
    {
        std::lock_guard<std::mutex> lock(suppression.mutex);
        suppression.deadlines[normalized] = now + kSuppressMs;
    }
    std::lock_guard<std::mutex> lock(state.mutex);
    state.forgotten[normalized] = ++state.forgetSerial;
    state.icons.erase(std::remove_if(state.icons.begin(), state.icons.end(),
                                     [&](const TrayIconInfo& icon) { return icon.key == normalized; }),
                      state.icons.end());
}

size_t CountHiddenTrayIcons(const std::vector<TrayIconInfo>& icons, const std::vector<std::wstring>& hiddenKeys) {
    if (icons.empty() || hiddenKeys.empty()) return 0;
    std::unordered_set<std::wstring> hidden;
    for (const std::wstring& key : hiddenKeys) hidden.insert(NormalizePathKey(key));
    return static_cast<size_t>(std::count_if(icons.begin(), icons.end(), [&](const TrayIconInfo& icon) {
        return hidden.count(NormalizePathKey(icon.key)) != 0;
    }));
}

bool TrayIconLess(const TrayIconInfo& a, const TrayIconInfo& b) {
    if ((a.onBar != 0) != (b.onBar != 0)) return a.onBar != 0;
    int byName = CompareNoCase(a.displayName, b.displayName);
    if (byName != 0) return byName < 0;
    return CompareNoCase(a.key, b.key) < 0;
}

std::vector<TrayIconInfo> SortTrayIcons(std::vector<TrayIconInfo> icons) {
    std::sort(icons.begin(), icons.end(), TrayIconLess);
    return icons;
}

std::vector<TrayIconInfo> CollectTrayIcons(const TraySources& sources, const RunningExeMap& running) {
    std::vector<TrayIconInfo> legacy;
    if (sources.readLegacy(legacy)) return SortTrayIcons(std::move(legacy));

    std::vector<NotifyIconSetting> settings = sources.readSettings(running);
    if (settings.empty()) return {};

    std::vector<UiaNotifyItem> items;
    bool uiaOk = sources.collectUia(items);
    if (!uiaOk) items.clear();

    std::unordered_set<uint32_t> pids;
    for (const NotifyIconSetting& setting : settings) pids.insert(setting.pids.begin(), setting.pids.end());
    PidWindowMap candidates;
    sources.probe(pids, candidates);

    std::vector<IconMatch> matches(settings.size());
    for (size_t s = 0; s < settings.size(); ++s) {
        const NotifyIconSetting& setting = settings[s];
        IconMatch& match = matches[s];
        for (uint32_t pid : setting.pids) {
            auto windows = candidates.find(pid);
            if (windows == candidates.end()) continue;
            for (HWND window : windows->second) {
                for (uint32_t uid : setting.uids) {
                    RECT rect = {};
                    if (FAILED(sources.iconRect(window, uid, rect))) continue;
                    if (!match.registered) {
                        match.registered = true;
                        match.status = 2;
                        match.ownerWindow = window;
                        match.uID = uid;
                    }
                    for (UiaNotifyItem& item : items) {
                        if (item.taken || !StrictlyOverlap(item.rect, rect)) continue;
                        item.taken = true;
                        match.status = 1;
                        match.itemName = item.name;
                        break;
                    }
                }
                if (match.status == 1) break;
            }
            if (match.status == 1) break;
        }
        if (match.registered && !uiaOk) match.status = setting.promoted ? 1 : 2;
    }

    if (uiaOk) {
        for (size_t s = 0; s < settings.size(); ++s) {
            if (matches[s].registered) continue;
            std::vector<std::wstring> names = GetTrayNameCandidates(settings[s]);
            for (UiaNotifyItem& item : items) {
                if (item.taken || !MatchTrayName(item.name, names)) continue;
                item.taken = true;
                matches[s].status = 1;
                matches[s].itemName = item.name;
                break;
            }
        }
    }

    std::vector<TrayIconInfo> icons;
    for (size_t s = 0; s < settings.size(); ++s) {
        const IconMatch& match = matches[s];
        if (match.status == 0) continue;
        const NotifyIconSetting& setting = settings[s];
        TrayIconInfo icon;
        icon.key = setting.key;
        icon.exePath = setting.exePath;
        icon.pid = setting.pids.empty() ? 0 : setting.pids.front();
        icon.onBar = match.status == 1 ? 1 : 0;
        icon.displayName = match.status == 1 && !match.itemName.empty()
                               ? MakeTrayDisplayName(match.itemName, setting.exePath)
                               : setting.displayName;
        icon.ownerWindow = match.ownerWindow;
        icon.uID = match.uID;
        icons.push_back(std::move(icon));
    }
    return SortTrayIcons(std::move(icons));
}

int CheckTrayIconAlive(const TrayIconInfo& icon, const RunningExeMap& running, const TraySources& sources) {
    if (running.find(icon.key) == running.end()) return 2;
    if (!icon.ownerWindow) return 0;
    if (!sources.isWindow(icon.ownerWindow)) return 2;
    RECT rect = {};
    HRESULT hr = sources.iconRect(icon.ownerWindow, icon.uID, rect);
    // A platform that cannot locate icons at all says E_NOTIMPL for every one;
    // that tells nothing about this icon, which stays while its window lives.
    if (hr == E_NOTIMPL) return 0;
    return FAILED(hr) ? 1 : 0;
}

int TrayIconInfo::CheckAlive(const RunningExeMap& running) const {
    static const TraySources* system = new TraySources(SystemTraySources(nullptr));
    return CheckTrayIconAlive(*this, running, *system);
}

void FilterSuppressedIcons(std::vector<TrayIconInfo>& icons, const RunningExeMap& running, TraySuppression& suppression,
                           uint64_t now) {
    std::lock_guard<std::mutex> lock(suppression.mutex);
    if (suppression.deadlines.empty()) return;
    for (auto it = suppression.deadlines.begin(); it != suppression.deadlines.end();) {
        if (running.find(it->first) == running.end() || it->second <= now) {
            it = suppression.deadlines.erase(it);
        } else {
            ++it;
        }
    }
    if (suppression.deadlines.empty()) return;
    icons.erase(std::remove_if(icons.begin(), icons.end(),
                               [&](const TrayIconInfo& icon) { return suppression.deadlines.count(icon.key) != 0; }),
                icons.end());
}

bool RunTrayPass(TrayPassMemory& memory, const TraySources& sources, TrayState& state, TraySuppression& suppression) {
    uint64_t start = sources.tickCount();
    bool ok = true;
    uint64_t forgetsSeen = 0;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        forgetsSeen = state.forgetSerial;
    }
    RunningExeMap running;
    std::vector<TrayIconInfo> collected;
    try {
        running = sources.snapshot();
        collected = CollectTrayIcons(sources, running);
    } catch (...) {
        platform::LogCaughtException(L"TrayMonitor pass");
        ok = false;
    }

    std::vector<TrayIconInfo> publish;
    if (ok) {
        for (TrayIconInfo& icon : collected) {
            int alive = CheckTrayIconAlive(icon, running, sources);
            if (alive == 0) {
                memory.misses.erase(icon.key);
                publish.push_back(std::move(icon));
            } else if (alive == 1) {
                if (++memory.misses[icon.key] > 1) {
                    sources.log(L"TrayMonitor: drop " + icon.key + L" - icon registration gone");
                } else {
                    publish.push_back(std::move(icon));
                }
            } else {
                memory.misses.erase(icon.key);
                sources.log(L"TrayMonitor: drop " + icon.key + L" - owner process gone");
            }
        }
        FilterSuppressedIcons(publish, running, suppression, sources.tickCount());

        std::wstring summary;
        for (const TrayIconInfo& icon : publish) summary += icon.displayName + (icon.onBar ? L"[bar] " : L"[hidden] ");
        if (summary != memory.lastSummary) {
            memory.lastSummary = summary;
            sources.log(Format(L"TrayMonitor: %llu live icons: ", static_cast<unsigned long long>(publish.size())) +
                        summary);
        }
    }

    if (memory.passCount % kPassLogEvery == 0) {
        sources.log(Format(L"TrayMonitor: pass %u finished in %llu ms (ok=%d)", memory.passCount,
                           static_cast<unsigned long long>(sources.tickCount() - start), ok ? 1 : 0));
    }

    if (!ok && !running.empty()) {
        {
            std::lock_guard<std::mutex> lock(state.mutex);
            publish = state.icons;
        }
        publish.erase(
            std::remove_if(publish.begin(), publish.end(),
                           [&](const TrayIconInfo& icon) { return CheckTrayIconAlive(icon, running, sources) == 2; }),
            publish.end());
    }
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        // A key forgotten after this pass filtered its list stays out too; the
        // ones it filtered are the suppression table's from now on.
        for (auto it = state.forgotten.begin(); it != state.forgotten.end();) {
            const std::wstring& key = it->first;
            if (it->second > forgetsSeen) {
                publish.erase(std::remove_if(publish.begin(), publish.end(),
                                             [&](const TrayIconInfo& icon) { return icon.key == key; }),
                              publish.end());
                ++it;
            } else {
                it = state.forgotten.erase(it);
            }
        }
        state.icons = std::move(publish);
    }
    state.published.notify_all();
    ++memory.passCount;
    return ok;
}
