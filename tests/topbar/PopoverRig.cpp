#include "PopoverRig.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::wstring Format(const wchar_t* format, double value) {
    wchar_t text[64];
    _snwprintf(text, 64, format, value);
    text[63] = 0;
    return text;
}

vantreel::WifiNetwork WifiRow(const wchar_t* ssid, uint32_t signal, bool secured, bool profile = false,
                              bool connected = false) {
    vantreel::WifiNetwork network;
    network.ssid = ssid;
    network.signal = signal;
    network.secured = secured;
    network.hasProfile = profile;
    network.profileName = profile ? ssid : L"";
    network.connected = connected;
    return network;
}

TrayIconInfo TrayApp(const wchar_t* key, const wchar_t* name, const wchar_t* exe) {
    TrayIconInfo app;
    app.key = key;
    app.displayName = name;
    app.exePath = exe;
    app.pid = 1000;
    return app;
}

GUID SchemeGuid(unsigned char last) {
    GUID guid = {0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, last}};
    return guid;
}

}  // namespace

HRESULT RecordingEndpoint::SetMasterVolumeLevelScalar(float value, LPCGUID context) {
    EXPECT_EQ(context, nullptr);
    log_.push_back(Format(L"setVolume %.2f", value));
    return setLevelResult;
}

HRESULT RecordingEndpoint::SetMute(BOOL mute, LPCGUID context) {
    EXPECT_EQ(context, nullptr);
    log_.push_back(mute ? L"setMute 1" : L"setMute 0");
    muted = mute;
    return S_OK;
}

HRESULT RecordingEndpoint::GetMute(BOOL* mute) {
    *mute = muted;
    return S_OK;
}

RecordedMachine::RecordedMachine() {
    status.volume = 0.5f;
    status.volumeAvailable = true;
    status.hasBattery = true;
    status.batteryPercent = 76;
    status.batteryLifeSeconds = 7500;

    outputs = {{L"{0.0.0.00000000}.{aa}", L"扬声器 (Realtek)", true},
               {L"{0.0.0.00000000}.{bb}", L"耳机", false},
               {L"{0.0.0.00000000}.{cc}", L"HDMI 显示器", false}};

    wifi.adapterPresent = true;
    wifi.radioOn = true;
    wifi.connected = true;
    wifi.connectedSsid = L"Cafe";
    wifi.connectedSignal = 88;
    wifi.interfaceDescription = L"Wireless";
    wifi.networks = {WifiRow(L"Cafe", 88, true, true, true), WifiRow(L"Home", 70, true, true),
                     WifiRow(L"Office", 90, true),           WifiRow(L"Guest", 80, false),
                     WifiRow(L"Lab", 60, true),              WifiRow(L"Library", 55, false),
                     WifiRow(L"Metro", 40, true),            WifiRow(L"Park", 30, false),
                     WifiRow(L"Studio", 20, true)};

    bluetooth.radioPresent = true;
    bluetooth.radioOn = true;
    bluetooth.devices = {{L"耳机", true, true}, {L"键盘", false, true}};

    vantreel::PowerScheme saver{SchemeGuid(1), L"节能", false, vantreel::PowerSchemeKind::Saver};
    vantreel::PowerScheme balanced{SchemeGuid(2), L"平衡", true, vantreel::PowerSchemeKind::Balanced};
    vantreel::PowerScheme high{SchemeGuid(3), L"高性能", false, vantreel::PowerSchemeKind::HighPerformance};
    schemes = {saver, balanced, high};

    hotspot = {true, false, 0};
    hotspotAfterSwitch = {true, true, 3};
    brightness = {true, 70};

    tray = {TrayApp(L"c:\\apps\\chat.exe", L"Chat", L"C:\\Apps\\Chat.exe"),
            TrayApp(L"c:\\apps\\sync.exe", L"Sync", L"C:\\Apps\\Sync.exe"),
            TrayApp(L"c:\\apps\\music.exe", L"Music", L"C:\\Apps\\Music.exe")};
}

void PopoverRig::SetUp() {
    ASSERT_NO_FATAL_FAILURE(StartCompositor());
    popover.instance = GetModuleHandleW(nullptr);
    popover.device = &graphics;
    popover.host = &host;
    config.theme = kGlassThemeDark;
    today = {2026, 12, 3, 9, 10, 15, 30, 0};
    endpoint = new RecordingEndpoint(log);

    PopoverServices& s = popover.services;
    s.collectStatus = [this] {
        log.push_back(L"collectStatus");
        return machine.status;
    };
    s.audioOutputDevices = [this] {
        log.push_back(L"audioOutputDevices");
        return machine.outputs;
    };
    s.scanWifi = [this](bool scan) {
        log.push_back(scan ? L"scanWifi 1" : L"scanWifi 0");
        return machine.wifi;
    };
    s.bluetoothDevices = [this] {
        log.push_back(L"bluetoothDevices");
        return machine.bluetooth;
    };
    s.powerSchemeSummary = [this] {
        log.push_back(L"powerSchemeSummary");
        vantreel::PowerModeInfo info;
        for (const auto& scheme : machine.schemes) {
            if (scheme.active) info = {true, scheme.name, scheme.kind == vantreel::PowerSchemeKind::HighPerformance};
        }
        return info;
    };
    s.powerSchemes = [this] {
        log.push_back(L"powerSchemes");
        return machine.schemes;
    };
    s.hotspotStatus = [this] {
        log.push_back(L"hotspotStatus");
        return machine.hotspot;
    };
    s.keepAwakeFlag = [this] { return machine.keepAwake; };
    s.desktopIconsVisible = [this] {
        log.push_back(L"desktopIconsVisible");
        return machine.desktopIcons;
    };
    s.displayBrightness = [this](HMONITOR) {
        log.push_back(L"displayBrightness");
        return machine.brightness;
    };
    s.trayIcons = [this] {
        log.push_back(L"trayIcons");
        return machine.tray;
    };
    s.endpointVolume = [this] {
        log.push_back(L"endpointVolume");
        return Microsoft::WRL::ComPtr<IAudioEndpointVolume>(endpoint);
    };
    s.adjustVolumeBy = [this](float delta) {
        log.push_back(Format(L"adjustVolumeBy %+.2f", delta));
        return true;
    };
    s.setDefaultEndpoint = [this](const std::wstring& id) { log.push_back(L"setDefaultEndpoint " + id); };
    s.setDisplayBrightness = [this](HMONITOR, int32_t percent) {
        log.push_back(Format(L"setDisplayBrightness %.0f", percent));
        return true;
    };
    s.setWifiEnabled = [this](bool on) {
        log.push_back(on ? L"setWifiEnabled 1" : L"setWifiEnabled 0");
        return true;
    };
    s.connectWifi = [this](const vantreel::WifiNetwork& network, const std::wstring& password) {
        log.push_back(L"connectWifi " + network.ssid + L" [" + password + L"]");
        return machine.connectStarts;
    };
    s.disconnectWifi = [this] { log.push_back(L"disconnectWifi"); };
    s.promptWifiPassword = [this](HINSTANCE, HWND ownerWindow, const std::wstring& ssid, float) {
        log.push_back(L"prompt " + ssid);
        EXPECT_EQ(ownerWindow, popover.window);
        EXPECT_TRUE(popover.modalOpen);
        return machine.promptAnswer;
    };
    s.setRadioState = [this](vantreel::RadioKind kind, bool on) {
        log.push_back(Format(L"setRadioState %.0f", static_cast<int>(kind)) + (on ? L" 1" : L" 0"));
        return true;
    };
    s.setKeepAwake = [this](bool on) {
        log.push_back(on ? L"setKeepAwake 1" : L"setKeepAwake 0");
        machine.keepAwake = on;
        return true;
    };
    s.setActivePowerScheme = [this](const GUID& guid) {
        log.push_back(Format(L"setActivePowerScheme %.0f", guid.Data4[7]));
        return DWORD{0};
    };
    s.setHotspotEnabled = [this](bool on) {
        machine.hotspot = machine.hotspotAfterSwitch;
        return on;
    };
    s.findDesktopView = [this] {
        log.push_back(L"findDesktopView");
        return owner;
    };
    s.toggleDesktopIcons = [this](HWND view) {
        EXPECT_EQ(view, owner);
        log.push_back(L"toggleDesktopIcons");
        machine.desktopIcons = !machine.desktopIcons;
    };
    s.shellOpen = [this](const std::wstring& target) { log.push_back(L"open " + target); };
    s.lockWorkStation = [this] {
        log.push_back(L"lockWorkStation");
        return true;
    };
    s.monitorPowerOff = [this] { log.push_back(L"monitorPowerOff"); };
    s.sendWinKeyChord = [this](uint16_t key) {
        log.push_back(std::wstring(L"winKey ") + static_cast<wchar_t>(key));
        return 4u;
    };
    s.forgetTrayIcon = [this](const std::wstring& key) { log.push_back(L"forgetTrayIcon " + key); };
    s.closeTrayApp = [this](const TrayIconInfo& app) { log.push_back(L"closeTrayApp " + app.displayName); };
    s.activateTrayIcon = [this](const TrayIconInfo& app) { log.push_back(L"activate " + app.displayName); };
    s.trayAppRunning = [this](const TrayIconInfo& app) { return std::ranges::count(machine.trayQuit, app.key) == 0; };
    s.loadFileIcon = [](const std::wstring&, IWICImagingFactory*, int edge) {
        // An opaque orange square.
        std::vector<uint8_t> pixels(static_cast<size_t>(edge) * edge * 4);
        for (size_t i = 0; i < pixels.size(); i += 4) {
            pixels[i + 1] = 128;
            pixels[i + 2] = 255;
            pixels[i + 3] = 255;
        }
        return pixels;
    };
    // Reads run at once on the asking thread, so the log keeps their order.
    s.startWorker = [](std::function<void()> body) { body(); };
    s.tickCount = [this] { return now; };
    s.localTime = [this] { return today; };
    // Unless a test puts another window in front, the panel is.
    s.foregroundWindow = [this] { return foreground ? foreground : popover.window; };

    popover.callbacks.onHidden = [this] { log.push_back(L"hidden"); };
    popover.callbacks.onStatusChanged = [this] { log.push_back(L"statusChanged"); };
    popover.callbacks.onThemeChange = [this](GlassTheme theme) {
        log.push_back(Format(L"themeChange %.0f", theme));
    };
    popover.callbacks.onHiddenTrayAppToggled = [this](const std::wstring& key) {
        log.push_back(L"hiddenTrayAppToggled " + key);
    };
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

void PopoverRig::TearDown() {
    popover.Hide();
    if (popover.window) DestroyWindow(popover.window);
    Pump();
    if (endpoint) endpoint->Release();
    StopCompositor();
}

void PopoverRig::Open(PopoverKind kind, float newScale, POINT anchor) {
    scale = newScale;
    popover.Show(kind, nullptr, anchor, config, scale);
    ASSERT_TRUE(popover.visible);
    ASSERT_EQ(popover.kind, kind);
}

void PopoverRig::Post(UINT message, float x, float y, WPARAM wParam) {
    const int px = static_cast<int>(std::lround((x + 14.0f) * scale));
    const int py = static_cast<int>(std::lround((y + 14.0f) * scale));
    ASSERT_TRUE(PostMessageW(popover.window, message, wParam, MAKELPARAM(px, py)));
    Pump();
}

void PopoverRig::Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (ms) Sleep(5);
    } while (GetTickCount64() < end);
}

const HitItem* PopoverRig::Hit(int32_t id, int32_t index) {
    for (const HitItem& hit : popover.hits) {
        if (hit.id == id && (index < 0 || hit.index == index)) return &hit;
    }
    ADD_FAILURE() << "no hit " << id << " / " << index << " among " << popover.hits.size();
    return nullptr;
}

void PopoverRig::ClickHit(int32_t id, int32_t index) {
    const HitItem* hit = Hit(id, index);
    if (!hit) return;
    Post(WM_LBUTTONUP, (hit->left + hit->right) / 2.0f, (hit->top + hit->bottom) / 2.0f);
}

RECT PopoverRig::WindowRect() const {
    RECT rect = {};
    GetWindowRect(popover.window, &rect);
    return rect;
}

std::vector<std::wstring> PopoverRig::Since(size_t mark) const {
    return std::vector<std::wstring>(log.begin() + static_cast<std::ptrdiff_t>(mark), log.end());
}

size_t PopoverRig::Count(const std::wstring& entry) const {
    size_t n = 0;
    for (const auto& line : log) n += line == entry ? 1 : 0;
    return n;
}

bool PopoverRig::TimerRunning(UINT_PTR id) { return KillTimer(popover.window, id) != FALSE; }
