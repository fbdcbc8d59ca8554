// The bar's status refresh: the one-second tick on the UI thread, the worker
// that collects the full status at most once at a time, and the hand-over of
// its result.
#include <objbase.h>

#include <system_error>

#include "config/PathText.h"
#include "platform/ExceptionGuard.h"
#include "topbar/TopBarWindow.h"

struct TopBarWindow::WorkerContext {
    std::shared_ptr<AsyncStatusSlot> slot;
    std::shared_ptr<std::atomic<bool>> busyFlag;
    HWND window = nullptr;
    HWND foregroundWindow = nullptr;
    vantreel::SystemStatusSnapshot previous;
    std::function<vantreel::SystemStatusSnapshot(bool, const vantreel::SystemStatusSnapshot*, HWND)> collect;
};

bool TrayIconListsDiffer(const std::vector<TrayIconInfo>& a, const std::vector<TrayIconInfo>& b) {
    if (a.size() != b.size()) return true;
    for (size_t i = 0; i < a.size(); ++i) {
        // The executable path and callback message are left out on purpose:
        // they follow from the fields compared and would only add repaints.
        if (a[i].key != b[i].key || a[i].displayName != b[i].displayName || a[i].pid != b[i].pid ||
            a[i].onBar != b[i].onBar || a[i].ownerWindow != b[i].ownerWindow || a[i].uID != b[i].uID) {
            return true;
        }
    }
    return false;
}

bool BluetoothItemShown(const vantreel::SystemStatusSnapshot& status) {
    return status.bluetoothPresent || status.bluetoothStale;
}

bool BluetoothGlyphLit(const vantreel::SystemStatusSnapshot& status) {
    return status.bluetoothOn && !status.bluetoothStale;
}

bool IsLayoutRelevantChange(const vantreel::SystemStatusSnapshot& fresh, const vantreel::SystemStatusSnapshot& old) {
    return fresh.clockText.size() != old.clockText.size() || fresh.hasBattery != old.hasBattery ||
           BluetoothItemShown(fresh) != BluetoothItemShown(old) || fresh.inputIndicator != old.inputIndicator;
}

void TopBarWindow::StatusTick() {
    ++statusTickCount;
    ConsumeAsyncStatus();
    bool relayout = false;
    bool redraw = false;
    vantreel::SystemStatusSnapshot fresh = system.collectStatus(false, &status, foreground.hwnd);
    if (!(fresh == status)) {
        relayout = IsLayoutRelevantChange(fresh, status);
        status = std::move(fresh);
        redraw = true;
    }
    if (statusTickCount % 3 == 0) RefreshStatusAsync();

    std::vector<TrayIconInfo> snap = system.trayIcons();
    if (TrayIconListsDiffer(snap, trayIcons)) {
        trayIcons = std::move(snap);
        RebuildTrayItems();
        relayout = redraw = true;
    }

    // A read whose message was lost is taken here, a tick later.
    TakeNotifications();
    RequestNotifications(false);
    if (relayout) Layout();
    if (redraw) Redraw();
    RefreshActiveApp();
    if (!redraw) PaintClockAhead();
}

void TopBarWindow::RefreshStatusAsync() {
    if (busyFlag->exchange(true)) return;  // one worker at a time; this request is dropped
    auto context = std::make_shared<WorkerContext>();
    context->slot = slot;
    context->busyFlag = busyFlag;
    context->window = window;
    context->foregroundWindow = foreground.hwnd;
    context->previous = status;
    context->collect = system.collectStatus;
    try {
        system.startWorker([context] { StatusThreadProc(context); });
    } catch (...) {
        // No worker runs to clear the flag: clear it here, or no status
        // worker would ever start again.
        busyFlag->store(false);
        throw;
    }
}

void TopBarWindow::StatusThreadProc(const std::shared_ptr<WorkerContext>& context) { StatusWorker(*context); }

void TopBarWindow::StatusWorker(WorkerContext& context) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    vantreel::SystemStatusSnapshot result;
    try {
        result = context.collect(true, &context.previous, context.foregroundWindow);
    } catch (...) {
        platform::LogCaughtException(L"TopBarWindow::StatusWorker");
        result = context.previous;
    }
    {
        std::lock_guard<std::mutex> lock(context.slot->mutex);
        context.slot->result = std::make_shared<vantreel::SystemStatusSnapshot>(std::move(result));
    }
    context.busyFlag->store(false);
    if (context.window) PostMessageW(context.window, WM_TOPBAR_STATUS_READY, 0, 0);
    if (SUCCEEDED(com)) CoUninitialize();
}

void TopBarWindow::ConsumeAsyncStatus() {
    std::shared_ptr<vantreel::SystemStatusSnapshot> taken;
    {
        std::lock_guard<std::mutex> lock(slot->mutex);
        taken = std::move(slot->result);
        slot->result.reset();
    }
    if (!taken) return;
    vantreel::SystemStatusSnapshot fresh = *taken;
    fresh.clockText = status.clockText;  // the tick owns the clock
    if (fresh == status) return;
    const bool relayout = IsLayoutRelevantChange(fresh, status);
    status = std::move(fresh);
    if (relayout) Layout();
    Redraw();
}

void TopBarWindow::RefreshActiveApp() {
    if (!showTopBar || !window) return;
    vantreel::ForegroundAppInfo info = system.foregroundApp(&foreground);
    std::wstring indicator = system.inputIndicator(info.hwnd);
    if (info.hwnd == foreground.hwnd && info.displayName == foreground.displayName &&
        info.topmost == foreground.topmost && info.zoomed == foreground.zoomed && indicator == status.inputIndicator) {
        return;
    }
    const bool changed = info.displayName != foreground.displayName || indicator != status.inputIndicator;
    foreground = std::move(info);
    status.inputIndicator = std::move(indicator);
    if (changed) {
        Layout();
        Redraw();
    }
}

void TopBarWindow::RebuildTrayItems() {
    shownTrayIcons.clear();
    for (const auto& icon : trayIcons) {
        const std::wstring k = NormalizePathKey(icon.key);
        bool hidden = false;
        for (const auto& key : config.hiddenTrayApps) {
            if (key == k) {
                hidden = true;
                break;
            }
        }
        if (!hidden) shownTrayIcons.push_back(icon);
    }
}
