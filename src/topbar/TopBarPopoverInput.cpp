// The panel's message handling, slider drags and the actions behind its hits.

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "config/PathText.h"
#include "topbar/PopoverCalendar.h"
#include "topbar/PopoverTexts.h"
#include "topbar/TopBarPopover.h"
#include "topbar/TrayItemKeys.h"

namespace {

constexpr int32_t kHitVolume = 101;
constexpr int32_t kHitMute = 102;
constexpr int32_t kHitAudioDevice = 103;
constexpr int32_t kHitSoundSettings = 104;
constexpr int32_t kHitWifiSwitch = 201;
constexpr int32_t kHitWifiRefresh = 202;
constexpr int32_t kHitNetwork = 203;
constexpr int32_t kHitWifiOn = 204;
constexpr int32_t kHitWifiSettings = 205;
constexpr int32_t kHitBluetoothSwitch = 301;
constexpr int32_t kHitBluetoothSettings = 302;
constexpr int32_t kHitBatterySettings = 401;
constexpr int32_t kHitTile = 501;
constexpr int32_t kHitBrightness = 507;
constexpr int32_t kHitPreviousMonth = 601;
constexpr int32_t kHitToday = 602;
constexpr int32_t kHitNextMonth = 603;
constexpr int32_t kHitNotificationCenter = 604;
constexpr int32_t kHitDateSettings = 605;
constexpr int32_t kHitTrayRow = 701;
constexpr int32_t kHitTrayClose = 702;
constexpr int32_t kHitTrayHide = 703;

constexpr UINT kScanStatusMs = 1500;
constexpr UINT kWifiSwitchStatusMs = 1500;
constexpr UINT kDisconnectStatusMs = 1200;
constexpr UINT kConnectStatusMs = 1800;
constexpr uint64_t kBrightnessWriteGapMs = 50;
constexpr float kWheelVolumeStep = 0.04f;

template <typename List>
bool InList(const List& list, int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < list.size();
}

}  // namespace

const HitItem* TopBarPopover::HitTest(float x, float y) const { return FindHitItem(hits, x, y); }

void TopBarPopover::DragSlider(float x) {
    ++localEdits;
    if (dragSlider == kVolumeDrag) {
        const float t = SliderValueAt(x, volumeTrack.left, volumeTrack.right);
        volume = t;
        muted = t <= 0.005f;
        if (Microsoft::WRL::ComPtr<IAudioEndpointVolume> endpoint = services.endpointVolume()) {
            if (SUCCEEDED(endpoint->SetMasterVolumeLevelScalar(t, nullptr)) && t > 0.01f) {
                endpoint->SetMute(FALSE, nullptr);
            }
        }
        Redraw();
        if (callbacks.onStatusChanged) callbacks.onStatusChanged();
    } else if (dragSlider == kBrightnessDrag && brightness.supported) {
        const float t = SliderValueAt(x, brightnessTrack.left, brightnessTrack.right);
        brightness.percent = static_cast<int32_t>(std::lround(t * 100.0f));
        const uint64_t now = services.tickCount();
        if (now - lastBrightnessWrite >= kBrightnessWriteGapMs) {
            lastBrightnessWrite = now;
            services.setDisplayBrightness(monitor, brightness.percent);
        }
        Redraw();
    }
}

void TopBarPopover::SlideTo(int32_t slider, float x) {
    dragSlider = slider;
    DragSlider(x);
    dragSlider = kNoDrag;
}

void TopBarPopover::SwitchWifi(bool on) {
    services.setWifiEnabled(on);
    statusLine = on ? L"正在开启 Wi-Fi..." : L"已关闭 Wi-Fi";
    RefreshData(on);
    Relayout();
    SetTimer(window, kWifiTimer, kWifiSwitchStatusMs, nullptr);
    if (callbacks.onStatusChanged) callbacks.onStatusChanged();
}

void TopBarPopover::ClickNetwork(int32_t index) {
    if (!InList(wifi.networks, index)) return;
    const vantreel::WifiNetwork network = wifi.networks[index];
    if (network.connected) {
        services.disconnectWifi();
        statusLine = L"已断开「" + network.ssid + L"」";
        RefreshData(false);
        Redraw();
        SetTimer(window, kWifiTimer, kDisconnectStatusMs, nullptr);
        if (callbacks.onStatusChanged) callbacks.onStatusChanged();
        return;
    }
    std::wstring password;
    if (network.secured && !network.hasProfile) {
        modalOpen = true;
        std::optional<std::wstring> entered = services.promptWifiPassword(instance, window, network.ssid, scale);
        modalOpen = false;
        // A panel hidden while the prompt ran (its bar item clicked again) must not
        // take the focus back invisibly.
        if (visible && window && IsWindow(window)) SetForegroundWindow(window);
        // An empty key for a secured network would write an open profile for
        // it: that counts as cancelled, like closing the prompt.
        if (!entered || entered->empty()) return;
        password = std::move(*entered);
    }
    const bool started = services.connectWifi(network, password);
    SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t));
    statusLine = started ? L"正在连接「" + network.ssid + L"」..." : L"无法连接「" + network.ssid + L"」";
    Redraw();
    if (visible) SetTimer(window, kWifiTimer, kConnectStatusMs, nullptr);
    if (callbacks.onStatusChanged) callbacks.onStatusChanged();
}

bool TopBarPopover::TrayRowRunning(int32_t index) {
    if (!InList(trayApps, index)) return false;
    if (services.trayAppRunning(trayApps[index])) return true;
    // The row outlived its application: nothing is done to it, and the list
    // is read again so the row goes.
    if (RefreshData(false)) Relayout();
    return false;
}

void TopBarPopover::ShowCalendarMonth(int step) {
    if (step == 0) {
        const SYSTEMTIME today = services.localTime();
        calendarYear = today.wYear;
        calendarMonth = today.wMonth;
    } else {
        StepCalendarMonth(calendarYear, calendarMonth, step);
    }
    Redraw();
    LogMessage(L"Calendar shows %d-%02d", static_cast<int>(calendarYear), static_cast<int>(calendarMonth));
}

void TopBarPopover::OnClick(HitItem hit, float x, float y) {
    (void)y;
    // A click while the key prompt runs would open a second prompt inside
    // the first, whose end would clear the flag under it.
    if (modalOpen) return;
    switch (hit.id) {
        case kHitVolume:
            SlideTo(kVolumeDrag, x);
            return;
        case kHitMute:
            if (Microsoft::WRL::ComPtr<IAudioEndpointVolume> endpoint = services.endpointVolume()) {
                BOOL mutedNow = FALSE;
                if (SUCCEEDED(endpoint->GetMute(&mutedNow))) endpoint->SetMute(mutedNow ? FALSE : TRUE, nullptr);
            }
            RefreshData(false);
            Redraw();
            if (callbacks.onStatusChanged) callbacks.onStatusChanged();
            return;
        case kHitAudioDevice:
            if (!InList(audioDevices, hit.index) || audioDevices[hit.index].id.empty()) return;
            services.setDefaultEndpoint(audioDevices[hit.index].id);
            RefreshData(false);
            Redraw();
            if (callbacks.onStatusChanged) callbacks.onStatusChanged();
            return;
        case kHitSoundSettings:
            Hide();
            services.shellOpen(L"ms-settings:sound");
            return;
        case kHitWifiSwitch:
            SwitchWifi(!wifi.radioOn);
            return;
        case kHitWifiRefresh:
            statusLine = L"正在扫描附近无线网络...";
            RefreshData(true);
            Redraw();
            SetTimer(window, kWifiTimer, kScanStatusMs, nullptr);
            return;
        case kHitNetwork:
            ClickNetwork(hit.index);
            return;
        case kHitWifiOn:
            SwitchWifi(true);
            return;
        case kHitWifiSettings:
            Hide();
            services.shellOpen(L"ms-settings:network-wifi");
            return;
        case kHitBluetoothSwitch:
            services.setRadioState(vantreel::RadioKind::Bluetooth, !bluetooth.radioOn);
            RefreshData(false);
            Redraw();
            if (callbacks.onStatusChanged) callbacks.onStatusChanged();
            return;
        case kHitBluetoothSettings:
            Hide();
            services.shellOpen(L"ms-settings:bluetooth");
            return;
        case kHitBatterySettings:
            Hide();
            services.shellOpen(L"ms-settings:powersleep");
            return;
        case kHitTile:
            RunTileAction(hit.index);
            return;
        case kHitBrightness:
            if (!brightness.supported) return;
            SlideTo(kBrightnessDrag, x);
            services.setDisplayBrightness(monitor, brightness.percent);
            return;
        case kHitPreviousMonth:
            ShowCalendarMonth(-1);
            return;
        case kHitToday:
            ShowCalendarMonth(0);
            return;
        case kHitNextMonth:
            ShowCalendarMonth(1);
            return;
        case kHitNotificationCenter:
            Hide();
            if (callbacks.onOpenNotificationCenter) {
                callbacks.onOpenNotificationCenter();
            } else {
                services.sendWinKeyChord('N');
            }
            return;
        case kHitDateSettings:
            Hide();
            services.shellOpen(L"ms-settings:dateandtime");
            return;
        case kHitTrayRow: {
            if (!TrayRowRunning(hit.index)) return;
            const TrayIconInfo app = trayApps[hit.index];
            Hide();
            services.activateTrayIcon(app);
            return;
        }
        case kHitTrayClose: {
            if (!TrayRowRunning(hit.index)) return;
            const TrayIconInfo app = trayApps[hit.index];
            const std::wstring key = NormalizePathKey(app.key);
            ++localEdits;
            services.forgetTrayIcon(key);
            services.closeTrayApp(app);
            trayApps.erase(RemoveTrayItemsByKey(trayApps.begin(), trayApps.end(), key), trayApps.end());
            Relayout();
            if (callbacks.onStatusChanged) callbacks.onStatusChanged();
            return;
        }
        case kHitTrayHide: {
            if (!TrayRowRunning(hit.index)) return;
            const std::wstring key = NormalizePathKey(trayApps[hit.index].key);
            ToggleHiddenTrayKey(config.hiddenTrayApps, key);
            if (callbacks.onHiddenTrayAppToggled) callbacks.onHiddenTrayAppToggled(key);
            Redraw();
            return;
        }
        default:
            return;
    }
}

void TopBarPopover::OnDeactivated() {
    if (!visible || modalOpen) return;
    const uint64_t elapsed = services.tickCount() - shownTick;
    if (elapsed >= kDeactivationGraceMs) {
        Hide();
        return;
    }
    // Too early to tell a real switch from the click that opened us: look
    // again once the grace time is over.
    SetTimer(window, kGraceTimer, static_cast<UINT>(kDeactivationGraceMs - elapsed), nullptr);
}

const platform::WindowBinding<TopBarPopover> TopBarPopover::kWindowBinding{
    L"TopBarPopover::HandleMessage", &TopBarPopover::window, platform::MessageHandler<&TopBarPopover::HandleMessage>};

LRESULT TopBarPopover::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = window;
    const float x = static_cast<float>(GET_X_LPARAM(lParam)) / scale - kMarginDip;
    const float y = static_cast<float>(GET_Y_LPARAM(lParam)) / scale - kMarginDip;
    switch (message) {
        case WM_NCDESTROY:
            window = nullptr;
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) OnDeactivated();
            break;
        case WM_KEYDOWN:
            if (wParam != VK_ESCAPE) break;
            Hide();
            return 0;
        case WM_POPOVER_DATA_READY:
            if (std::optional<PopoverReading> reading = reader.Take(std::chrono::milliseconds(0))) {
                Fill(*reading);
                if (visible) Relayout();
            }
            return 0;
        case WM_TIMER:
            switch (wParam) {
                case kClockTimer:
                    if (visible && kind == PopoverKind::Calendar) Redraw();
                    return 0;
                case kWifiTimer:
                    KillTimer(hwnd, kWifiTimer);
                    if (!visible) return 0;
                    statusLine.clear();
                    RefreshData(false);
                    Relayout();
                    if (callbacks.onStatusChanged) callbacks.onStatusChanged();
                    return 0;
                case kScreenOffTimer:
                    KillTimer(hwnd, kScreenOffTimer);
                    services.monitorPowerOff();
                    LogMessage(L"Popover: the screens were asked to turn off");
                    return 0;
                case kHotspotTimer:
                    KillTimer(hwnd, kHotspotTimer);
                    if (!visible) return 0;
                    hotspotSwitching = false;
                    hotspot = services.hotspotStatus();
                    Redraw();
                    return 0;
                case kGraceTimer:
                    KillTimer(hwnd, kGraceTimer);
                    if (visible && services.foregroundWindow() != hwnd) OnDeactivated();
                    return 0;
                default:
                    break;
            }
            break;
        case WM_MOUSEMOVE: {
            if (!trackingMouse) {
                TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd, 0};
                TrackMouseEvent(&track);
                trackingMouse = true;
            }
            if (dragSlider != kNoDrag) {
                DragSlider(x);
                return 0;
            }
            const HitItem* hit = HitTest(x, y);
            const int32_t id = hit ? hit->id : 0;
            const int32_t index = hit ? hit->index : -1;
            if (id != hoverId || index != hoverIndex) {
                hoverId = id;
                hoverIndex = index;
                Redraw();
            }
            return 0;
        }
        case WM_LBUTTONDOWN: {
            if (modalOpen) return 0;
            const HitItem* hit = HitTest(x, y);
            if (!hit) return 0;
            if (hit->id == kHitVolume) {
                dragSlider = kVolumeDrag;
            } else if (hit->id == kHitBrightness && brightness.supported) {
                dragSlider = kBrightnessDrag;
            } else {
                return 0;
            }
            SetCapture(hwnd);
            DragSlider(x);
            return 0;
        }
        case WM_LBUTTONUP: {
            if (dragSlider != kNoDrag) {
                DragSlider(x);
                const bool brightnessDrag = dragSlider == kBrightnessDrag;
                dragSlider = kNoDrag;
                if (GetCapture() == hwnd) ReleaseCapture();
                // The throttle may have skipped the last steps: the final
                // position is always written.
                if (brightnessDrag && brightness.supported) services.setDisplayBrightness(monitor, brightness.percent);
                return 0;
            }
            if (modalOpen) return 0;
            if (x >= 0.0f && x <= width && y >= 0.0f && y <= height) {
                if (const HitItem* hit = HitTest(x, y)) OnClick(*hit, x, y);
            } else {
                Hide();
            }
            return 0;
        }
        case WM_MOUSEWHEEL: {
            const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
            if (kind == PopoverKind::Sound) {
                services.adjustVolumeBy(delta > 0 ? kWheelVolumeStep : -kWheelVolumeStep);
                RefreshData(false);
                Redraw();
                if (callbacks.onStatusChanged) callbacks.onStatusChanged();
                return 0;
            }
            if (kind == PopoverKind::Wifi && wifi.networks.size() > kWifiVisibleRows) {
                wifiScroll = ScrollWifiRows(wifiScroll, delta, wifi.networks.size());
                Redraw();
                return 0;
            }
            break;
        }
        case WM_CAPTURECHANGED:
            dragSlider = kNoDrag;
            break;
        case WM_MOUSELEAVE:
            trackingMouse = false;
            if (hoverId != 0 || hoverIndex != -1) {
                hoverId = 0;
                hoverIndex = -1;
                Redraw();
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
