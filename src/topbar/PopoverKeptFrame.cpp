#include "topbar/PopoverKeptFrame.h"

#include <bit>
#include <cstdint>
#include <cstdio>

#include "topbar/TopBarPopover.h"

namespace {

class KeyWriter {
public:
    KeyWriter& operator<<(const std::wstring& text) {
        key += std::to_wstring(text.size()) + L":" + text + L"|";
        return *this;
    }
    KeyWriter& operator<<(long long value) {
        key += std::to_wstring(value) + L"|";
        return *this;
    }
    KeyWriter& operator<<(bool value) { return *this << static_cast<long long>(value); }
    KeyWriter& operator<<(float value) { return *this << static_cast<long long>(std::bit_cast<uint32_t>(value)); }

    std::wstring key;
};

void WriteControlCenter(KeyWriter& k, const TopBarPopover& p) {
    k << static_cast<long long>(p.config.controlCenterTiles.size());
    for (const std::wstring& tile : p.config.controlCenterTiles) k << tile;
    k << p.config.ccShowBrightness << p.config.ccShowVolume;
    // Being read, the panel draws none of the values below.
    k << p.awaitingAnswer;
    if (p.awaitingAnswer) return;
    k << p.wifi.radioOn << p.wifi.radioStale << p.wifi.connected << p.wifi.connectedSsid;
    k << p.bluetooth.radioPresent << p.bluetooth.radioOn << p.bluetooth.radioStale;
    k << p.keepAwake << p.desktopIconsVisible;
    k << p.powerMode.name << p.powerMode.highPerformance;
    k << p.hotspot.available << p.hotspot.on << static_cast<long long>(p.hotspot.clientCount) << p.hotspot.stale;
    k << p.hotspotSwitching << p.hotspotTarget;
    k << p.brightness.supported << static_cast<long long>(p.brightness.percent);
    k << p.muted << p.volume;
}

}  // namespace

std::wstring PopoverFrameKey(const TopBarPopover& p, bool dark, const SYSTEMTIME& now) {
    if (p.kind != PopoverKind::Calendar && p.kind != PopoverKind::ControlCenter) return {};
    if (p.hoverId != 0 || p.hoverIndex != -1 || p.dragSlider != TopBarPopover::kNoDrag) return {};
    KeyWriter k;
    k << static_cast<long long>(p.kind) << dark << p.scale << p.width << p.height;
    if (p.kind == PopoverKind::Calendar) {
        k << p.config.showLunarCalendar << static_cast<long long>(p.calendarYear)
          << static_cast<long long>(p.calendarMonth);
        k << static_cast<long long>(now.wYear) << static_cast<long long>(now.wMonth) << static_cast<long long>(now.wDay)
          << static_cast<long long>(now.wDayOfWeek);
    } else {
        WriteControlCenter(k, p);
    }
    return k.key;
}

std::wstring CalendarClockText(const SYSTEMTIME& now) {
    wchar_t text[16] = {};
    _snwprintf(text, 15, L"%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    return text;
}
