#pragma once
// The popover as a real window under our compositor and Direct2D, with every
// system call answered from recorded values and logged in order. Input goes
// in as posted window messages at client pixels, (DIP + 14) x scale.

#include <gtest/gtest.h>

#include <windows.h>
#include <endpointvolume.h>
#include <objbase.h>

#include <optional>
#include <string>
#include <vector>

#include "support/CompositorTest.h"
#include "support/FakeEndpointVolume.h"
#include "topbar/TopBarPopover.h"

// A volume control that logs what is set on it into the rig's log.
class RecordingEndpoint final : public FakeEndpointVolume {
public:
    explicit RecordingEndpoint(std::vector<std::wstring>& log) : log_(log) {}
    BOOL muted = FALSE;
    HRESULT setLevelResult = S_OK;

    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(float value, LPCGUID context) override;
    HRESULT STDMETHODCALLTYPE SetMute(BOOL mute, LPCGUID context) override;
    HRESULT STDMETHODCALLTYPE GetMute(BOOL* mute) override;

private:
    std::vector<std::wstring>& log_;
};

// The recorded machine: nine networks (Cafe connected, Office secured without
// a profile, Home with one), two Bluetooth devices, the hotspot off (on with
// 3 clients once switched), DDC brightness 70, three outputs, three power
// schemes (the second active), three tray apps with 48 x 48 pixels.
struct RecordedMachine {
    vantreel::SystemStatusSnapshot status;
    std::vector<vantreel::AudioDevice> outputs;
    vantreel::WifiPanelState wifi;
    vantreel::BluetoothState bluetooth;
    std::vector<vantreel::PowerScheme> schemes;
    vantreel::HotspotStatusInfo hotspot;
    vantreel::HotspotStatusInfo hotspotAfterSwitch;
    vantreel::BrightnessInfo brightness;
    std::vector<TrayIconInfo> tray;
    bool keepAwake = false;
    bool desktopIcons = true;
    std::vector<std::wstring> trayQuit;  // keys of tray apps that quit after the monitor listed them
    std::optional<std::wstring> promptAnswer;
    bool connectStarts = true;

    RecordedMachine();
};

class PopoverRig : public testing_support::CompositorTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the kind under an anchor at (1800, 36) on the primary monitor.
    void Open(PopoverKind kind, float scale = 1.0f, POINT anchor = {1800, 36});
    // Posts a message at panel DIP (x, y) and dispatches everything queued.
    void Post(UINT message, float x, float y, WPARAM wParam = 0);
    void Pump(DWORD ms = 0);
    // The first painted hit with the id (and index when given); fails the test when none.
    const HitItem* Hit(int32_t id, int32_t index = -1);
    // Press-free release at the centre of a painted hit.
    void ClickHit(int32_t id, int32_t index = -1);
    RECT WindowRect() const;
    // Log entries since the mark, and a new mark.
    std::vector<std::wstring> Since(size_t mark) const;
    size_t Mark() const { return log.size(); }
    size_t Count(const std::wstring& entry) const;
    bool TimerRunning(UINT_PTR id);

    TopBarPopover popover;
    DockConfig config;
    RecordedMachine machine;
    RecordingEndpoint* endpoint = nullptr;
    std::vector<std::wstring> log;
    uint64_t now = 500000;
    HWND foreground = nullptr;
    SYSTEMTIME today = {};
    float scale = 1.0f;
};
