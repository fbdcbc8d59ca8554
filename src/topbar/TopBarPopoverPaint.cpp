// What the drop-down panel draws for each kind of content, and the clickable
// rectangles it records on the way. The control center is drawn by
// ControlCenterPaint.cpp.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>

#include "config/PathText.h"
#include "render/GraphicsDevice.h"
#include "system/tray/TrayFileIcon.h"
#include "system/tray/TrayIconPixels.h"
#include "topbar/LunarCalendar.h"
#include "topbar/PopoverCalendar.h"
#include "topbar/PopoverHitId.h"
#include "topbar/PopoverPen.h"
#include "topbar/PopoverTexts.h"
#include "topbar/TopBarPopover.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kTrayIconEdge = 48;
constexpr size_t kTrayIconBytes = kTrayIconEdge * kTrayIconEdge * 4;
constexpr size_t kSoundRows = 6;
constexpr size_t kBluetoothRows = 7;
constexpr size_t kTrayRows = 8;

std::wstring Percent(int value) {
    wchar_t text[16] = {};
    _snwprintf(text, 15, L"%d%%", value);
    return text;
}

void Title(const PopoverPen& pen, const wchar_t* text, float right = 114) {
    pen.Text(text, pen.palette.title.Get(), kLeading, 14, 14, right, 38, pen.palette.text.Get());
}

// The separator, the link under it and its hover card, at the panel's foot.
void Footer(const PopoverPen& pen, int32_t id, const wchar_t* text) {
    TopBarPopover& p = pen.popover;
    const float w = p.width, h = p.height;
    pen.Line(14, h - 42, w - 14, h - 42, pen.palette.separator.Get());
    p.AddHit(id, 14, h - 38, w - 14, h - 10);
    if (p.IsHovered(id, -1)) pen.Card(14, h - 38, w - 14, h - 10, 7, pen.palette.hover.Get());
    pen.Text(text, pen.palette.body.Get(), kLeading, 22, h - 38, w - 14, h - 10, pen.palette.text.Get());
}

void PaintSound(const PopoverPen& pen) {
    TopBarPopover& p = pen.popover;
    const PopoverPalette& c = pen.palette;
    const float w = p.width;
    Title(pen, L"声音");
    if (p.awaitingAnswer) {
        // Neither level nor mute state yet: the button and the slider wait too.
        pen.Text(kPopoverBeingRead, c.body.Get(), kTrailing, w - 124, 14, w - 50, 38, c.secondaryText.Get());
        pen.Card(w - 44, 14, w - 14, 38, 7, c.card.Get());
        pen.Slider(14, 48, w - 14, 72, std::nullopt);
    } else {
        pen.Text(p.muted ? std::wstring(L"已静音") : Percent(static_cast<int>(std::lround(p.volume * 100))),
                 c.body.Get(), kTrailing, w - 124, 14, w - 50, 38, c.secondaryText.Get());
        p.AddHit(kPopoverHitMute, w - 44, 14, w - 14, 38);
        ID2D1Brush* mute = p.muted ? c.accent.Get() : p.IsHovered(kPopoverHitMute, -1) ? c.hover.Get() : c.card.Get();
        pen.Card(w - 44, 14, w - 14, 38, 7, mute);
        pen.Text(p.muted ? L"开" : L"静音", c.smallText.Get(), kCentre, w - 44, 14, w - 14, 38,
                 p.muted ? c.white.Get() : c.text.Get());
        p.volumeTrack = D2D1::RectF(14, 48, w - 14, 72);
        p.AddHit(kPopoverHitVolumeTrack, 14, 48, w - 14, 72);
        pen.Slider(14, 48, w - 14, 72, p.muted ? 0.0f : p.volume);
    }

    pen.Line(14, 88, w - 14, 88, c.separator.Get());
    pen.Text(L"输出设备", c.smallText.Get(), kLeading, 14, 96, w - 14, 114, c.secondaryText.Get());
    if (p.awaitingAnswer) {
        pen.Text(kPopoverBeingRead, c.body.Get(), kLeading, 14, 118, w - 14, 150, c.secondaryText.Get());
        Footer(pen, kPopoverHitSoundSettings, L"声音设置...");
        return;
    }
    const size_t rows = std::min(p.audioDevices.size(), kSoundRows);
    for (size_t i = 0; i < rows; ++i) {
        const vantreel::AudioDevice& device = p.audioDevices[i];
        const float y = 118 + 34 * static_cast<float>(i);
        const int32_t index = static_cast<int32_t>(i);
        p.AddHit(kPopoverHitAudioDevice, 14, y, w - 14, y + 30, index);
        if (device.isDefault) {
            pen.Card(14, y, w - 14, y + 30, 8, c.hover.Get());
        } else if (p.IsHovered(kPopoverHitAudioDevice, index)) {
            pen.Card(14, y, w - 14, y + 30, 8, c.card.Get());
        }
        pen.Dot(28, y + 15, 4.5f, device.isDefault ? c.accent.Get() : c.dim.Get());
        pen.Text(device.name, c.body.Get(), kLeading, 42, y, w - 24, y + 30, c.text.Get());
    }
    if (p.audioDevices.empty()) {
        pen.Text(L"未检测到音频输出设备", c.body.Get(), kLeading, 14, 118, w - 14, 150, c.secondaryText.Get());
    }
    Footer(pen, kPopoverHitSoundSettings, L"声音设置...");
}

void PaintWifiRow(const PopoverPen& pen, const vantreel::WifiNetwork& network, int32_t index, float y) {
    TopBarPopover& p = pen.popover;
    const PopoverPalette& c = pen.palette;
    const float w = p.width;
    const bool hovered = p.IsHovered(kPopoverHitWifiNetwork, index);
    p.AddHit(kPopoverHitWifiNetwork, 14, y, w - 14, y + 32, index);
    if (network.connected) {
        pen.Card(14, y, w - 14, y + 32, 8, c.hover.Get());
    } else if (hovered) {
        pen.Card(14, y, w - 14, y + 32, 8, c.card.Get());
    }
    DrawPopoverWifiGlyph(pen.context, pen.factory, pen.S(28), pen.S(y + 16), p.scale, network.signal,
                         network.connected ? c.accent.Get() : c.text.Get(), c.dim.Get());
    pen.Text(network.ssid, c.body.Get(), kLeading, 44, y, w - 90, y + 32, c.text.Get());
    if (network.connected) {
        pen.Card(w - 76, y + 5, w - 20, y + 27, 6, c.dangerTint.Get());
        pen.Text(L"断开", c.smallText.Get(), kCentre, w - 76, y + 5, w - 20, y + 27, c.danger.Get());
    } else if (hovered) {
        pen.Card(w - 76, y + 5, w - 20, y + 27, 6, c.accent.Get());
        pen.Text(L"连接", c.smallText.Get(), kCentre, w - 76, y + 5, w - 20, y + 27, c.white.Get());
    } else {
        const wchar_t* state = network.hasProfile ? L"已保存" : network.secured ? L"加密" : L"开放";
        pen.Text(state, c.smallText.Get(), kTrailing, w - 76, y + 5, w - 20, y + 27, c.secondaryText.Get());
    }
}

void PaintWifi(const PopoverPen& pen) {
    TopBarPopover& p = pen.popover;
    const PopoverPalette& c = pen.palette;
    const vantreel::WifiPanelState& wifi = p.wifi;
    const float w = p.width;
    Title(pen, L"Wi-Fi", 104);
    const bool reading = p.awaitingAnswer;
    // A radio whose service did not answer is drawn and left alone as one being read.
    const bool radioUnknown = reading || wifi.radioStale;
    if (wifi.adapterPresent && wifi.radioOn && !radioUnknown) {
        p.AddHit(kPopoverHitWifiRefresh, w - 94, 14, w - 64, 38);
        pen.Card(w - 94, 14, w - 64, 38, 7, p.IsHovered(kPopoverHitWifiRefresh, -1) ? c.hover.Get() : c.card.Get());
        pen.Text(L"刷新", c.smallText.Get(), kCentre, w - 94, 14, w - 64, 38, c.text.Get());
    }
    if (!radioUnknown) p.AddHit(kPopoverHitWifiSwitch, w - 56, 15, w - 14, 37);
    pen.Switch(w - 56, 15, w - 14, 37, radioUnknown ? std::nullopt : std::optional<bool>(wifi.radioOn));

    float y = 48;
    // Being read, the Ethernet row keeps its place (the panel's size) and says nothing.
    if (wifi.ethernetConnected && reading) {
        y = 98;
    } else if (wifi.ethernetConnected) {
        pen.Card(14, 48, w - 14, 90, 9, c.card.Get());
        pen.Outline(14, 48, w - 14, 90, 9, c.border.Get());
        pen.Dot(28, 69, 5, c.green.Get());
        pen.Text(L"以太网 · " + wifi.ethernetName, c.body.Get(), kLeading, 42, 51, w - 70, 70, c.text.Get());
        std::wstring detail = wifi.ethernetSpeed;
        if (!wifi.ethernetIpv4.empty()) detail += L" · " + wifi.ethernetIpv4;
        pen.Text(detail, c.smallText.Get(), kLeading, 42, 69, w - 24, 86, c.secondaryText.Get());
        pen.Text(L"已连接", c.smallText.Get(), kTrailing, w - 74, 52, w - 24, 70, c.green.Get());
        y = 98;
    }
    if (!p.statusLine.empty()) {
        pen.Text(p.statusLine, c.smallText.Get(), kLeading, 18, y, w - 14, y + 20, c.accent.Get());
        y += 24;
    }
    if (radioUnknown) {
        pen.Text(kPopoverBeingRead, c.body.Get(), kCentre, 14, y + 4, w - 14, y + 34, c.secondaryText.Get());
    } else if (!wifi.adapterPresent) {
        pen.Text(L"未检测到无线网卡", c.body.Get(), kCentre, 14, y + 10, w - 14, y + 60, c.secondaryText.Get());
    } else if (wifi.radioOn && !wifi.networks.empty()) {
        const WifiRowRange range = VisibleWifiRows(p.wifiScroll, wifi.networks.size());
        for (size_t i = range.first; i < range.last; ++i) {
            PaintWifiRow(pen, wifi.networks[i], static_cast<int32_t>(i), y);
            y += 36;
        }
    } else if (wifi.radioOn) {
        pen.Text(L"正在搜索附近 Wi-Fi...", c.body.Get(), kCentre, 14, y + 4, w - 14, y + 34, c.secondaryText.Get());
    } else {
        pen.Text(L"Wi-Fi 已关闭", c.body.Get(), kCentre, 14, y + 6, w - 14, y + 34, c.secondaryText.Get());
        const float left = w / 2 - 54, right = w / 2 + 54;
        p.AddHit(kPopoverHitWifiTurnOn, left, y + 42, right, y + 72);
        pen.Card(left, y + 42, right, y + 72, 8, c.accent.Get());
        pen.Text(L"开启 Wi-Fi", c.body.Get(), kCentre, left, y + 42, right, y + 72, c.white.Get());
    }
    Footer(pen, kPopoverHitNetworkSettings, L"网络和 Internet 设置...");
}

void PaintBluetooth(const PopoverPen& pen) {
    TopBarPopover& p = pen.popover;
    const PopoverPalette& c = pen.palette;
    const float w = p.width;
    Title(pen, L"蓝牙");
    const bool reading = p.awaitingAnswer;
    // A radio whose service did not answer is drawn and left alone as one being read.
    const bool radioUnknown = reading || p.bluetooth.radioStale;
    if (!radioUnknown) p.AddHit(kPopoverHitBluetoothSwitch, w - 56, 15, w - 14, 37);
    pen.Switch(w - 56, 15, w - 14, 37, radioUnknown ? std::nullopt : std::optional<bool>(p.bluetooth.radioOn));
    pen.Line(14, 49, w - 14, 49, c.separator.Get());
    const size_t rows = reading ? 0 : std::min(p.bluetooth.devices.size(), kBluetoothRows);
    for (size_t i = 0; i < rows; ++i) {
        const vantreel::BluetoothDevice& device = p.bluetooth.devices[i];
        const float y = 58 + 34 * static_cast<float>(i);
        pen.Card(14, y, w - 14, y + 30, 8, device.connected ? c.hover.Get() : c.card.Get());
        pen.Text(device.name, c.body.Get(), kLeading, 24, y, w - 74, y + 30, c.text.Get());
        pen.Text(device.connected ? L"已连接" : L"已配对", c.smallText.Get(), kTrailing, w - 74, y, w - 24, y + 30,
                 device.connected ? c.accent.Get() : c.secondaryText.Get());
    }
    // With no answer from the radio no device list may have been asked for.
    if (reading || (radioUnknown && p.bluetooth.devices.empty())) {
        pen.Text(kPopoverBeingRead, c.body.Get(), kLeading, 14, 58, w - 14, 90, c.secondaryText.Get());
    } else if (p.bluetooth.devices.empty()) {
        pen.Text(L"暂无已配对蓝牙设备", c.body.Get(), kLeading, 14, 58, w - 14, 90, c.secondaryText.Get());
    }
    Footer(pen, kPopoverHitBluetoothSettings, L"蓝牙与其他设备设置...");
}

void PaintBattery(const PopoverPen& pen) {
    TopBarPopover& p = pen.popover;
    const PopoverPalette& c = pen.palette;
    const float w = p.width;
    Title(pen, L"电池状态", 124);
    // Until this opening's answer the charge and the power source are another
    // moment's: the bare track and no words about either.
    const bool reading = p.awaitingAnswer;
    pen.Text(reading ? std::wstring(kPopoverBeingRead) : Percent(static_cast<int>(p.batteryPercent)), c.title.Get(),
             kTrailing, w - 84, 14, w - 14, 38, c.text.Get());
    pen.Card(14, 48, w - 14, 62, 7, c.track.Get());
    if (!reading) {
        pen.Card(14, 48, BatteryFillRight(p.batteryPercent, w), 62, 7, p.acOnline ? c.green.Get() : c.accent.Get());
    }
    pen.Text(reading ? std::wstring(kPopoverBeingRead) : BatteryStatusText(p.acOnline, p.batteryLifeSeconds),
             c.smallText.Get(), kLeading, 14, 72, w - 14, 96, c.secondaryText.Get());
    Footer(pen, kPopoverHitBatterySettings, L"电源与电池设置...");
}

void PaintCalendar(const PopoverPen& pen) {
    TopBarPopover& p = pen.popover;
    const PopoverPalette& c = pen.palette;
    const float w = p.width, h = p.height;
    const bool lunar = p.config.showLunarCalendar;
    SYSTEMTIME now = {};
    if (p.services.localTime) {
        now = p.services.localTime();
    } else {
        GetLocalTime(&now);
    }

    // The clock goes apart from the texts that hold all day, when Redraw asks.
    std::vector<PopoverTextRun>* allDay = p.textRuns;
    if (p.tickingRuns) p.textRuns = p.tickingRuns;
    pen.Text(CalendarClockText(now), c.big.Get(), kLeading, 14, 12, w - 14, 44, c.text.Get());
    p.textRuns = allDay;
    wchar_t text[64] = {};
    static const wchar_t* const kWeekdays[7] = {L"日", L"一", L"二", L"三", L"四", L"五", L"六"};
    _snwprintf(text, 63, L"%u年%u月%u日 星期%s", now.wYear, now.wMonth, now.wDay, kWeekdays[now.wDayOfWeek % 7]);
    pen.Text(text, c.smallText.Get(), kLeading, 14, 44, w - 14, lunar ? 62 : 64, c.secondaryText.Get());
    if (lunar) {
        const std::wstring today = FormatLunarText(ComputeLunarDate(now.wYear, now.wMonth, now.wDay));
        pen.Text(today, c.smallText.Get(), kLeading, 14, 62, w - 14, 79, c.secondaryText.Get());
    }

    const float y0 = lunar ? 86 : 70;
    _snwprintf(text, 63, L"%d年%d月", p.calendarYear, p.calendarMonth);
    pen.Text(text, c.body.Get(), kLeading, 14, y0, 124, y0 + 24, c.text.Get());
    p.DrawLinkRow(pen.context, c, y0, kPopoverHitPreviousMonth, w - 114, w - 88, L"<");
    p.DrawLinkRow(pen.context, c, y0, kPopoverHitToday, w - 84, w - 44, L"今天");
    p.DrawLinkRow(pen.context, c, y0, kPopoverHitNextMonth, w - 40, w - 14, L">");

    const float cw = (w - 28) / 7;
    static const wchar_t* const kColumns[7] = {L"一", L"二", L"三", L"四", L"五", L"六", L"日"};
    const float headerTop = lunar ? 116 : 102;
    for (int i = 0; i < 7; ++i) {
        const float x = 14 + i * cw;
        pen.Text(kColumns[i], c.smallText.Get(), kCentre, x, headerTop, x + cw, headerTop + (lunar ? 18 : 20),
                 c.secondaryText.Get());
    }

    const float gridTop = lunar ? 136 : 124;
    const float rowHeight = lunar ? 37 : 26;
    IDWriteTextFormat* dayFormat = c.calendarDay ? c.calendarDay.Get() : c.smallText.Get();
    ID2D1Brush* todayLunar = c.calendarTodayLunar ? c.calendarTodayLunar.Get() : c.white.Get();
    const std::array<CalendarCell, 42> cells = CalendarCells(p.calendarYear, p.calendarMonth);
    for (int r = 0; r < 6; ++r) {
        for (int i = 0; i < 7; ++i) {
            const CalendarCell& cell = cells[static_cast<size_t>(7 * r + i)];
            const float x = 14 + i * cw, y = gridTop + r * rowHeight;
            const bool today =
                cell.inShownMonth && cell.year == now.wYear && cell.month == now.wMonth && cell.day == now.wDay;
            ID2D1Brush* number = today ? c.white.Get() : cell.inShownMonth ? c.text.Get() : c.dim.Get();
            _snwprintf(text, 63, L"%d", cell.day);
            if (!lunar) {
                if (today) pen.Dot(x + cw / 2, y + 13, 11, c.accent.Get());
                pen.Text(text, c.smallText.Get(), kCentre, x, y, x + cw, y + 26, number);
                continue;
            }
            if (today) pen.Card(x + 2, y + 1.5f, x + cw - 2, y + 37 - 1.5f, 8, c.accent.Get());
            pen.Text(text, dayFormat, kCentre, x, y + 2.5f, x + cw, y + 19.5f, number);
            const LunarDayInfo info = ComputeLunarDate(cell.year, cell.month, cell.day);
            if (!info.valid || info.displayText.empty()) continue;
            ID2D1Brush* brush = today                ? todayLunar
                                : !cell.inShownMonth ? c.dim.Get()
                                : info.hasFestival   ? c.calendarFestival.Get()
                                : info.firstDay      ? c.accent.Get()
                                                     : c.secondaryText.Get();
            pen.Text(info.displayText, c.calendarLunar.Get(), kCentre, x, y + 18.5f, x + cw, y + 37 - 2.5f, brush);
        }
    }

    const float split = 14 + (w - 36) / 2;
    const struct {
        int32_t id;
        float left, right;
        const wchar_t* text;
    } buttons[2] = {{kPopoverHitNotificationCenter, 14, split, L"通知中心"},
                    {kPopoverHitDateTimeSettings, split + 8, w - 14, L"日期时间设置"}};
    for (const auto& button : buttons) {
        p.AddHit(button.id, button.left, h - 44, button.right, h - 14);
        pen.Card(button.left, h - 44, button.right, h - 14, 8,
                 p.IsHovered(button.id, -1) ? c.hover.Get() : c.card.Get());
        pen.Text(button.text, c.smallText.Get(), kCentre, button.left, h - 44, button.right, h - 14, c.text.Get());
    }
}

// The icon pixels of a tray row as the bar's style wants them: the
// application's own, or its grey template for this theme. Extracted once per
// key; empty when there is no usable icon.
const std::vector<uint8_t>* TrayRowIcon(TopBarPopover& p, const TrayIconInfo& app, bool dark) {
    auto found = p.trayIconCache.find(app.key);
    if (found == p.trayIconCache.end()) {
        IWICImagingFactory* imaging = p.device ? p.device->wicFactory.Get() : nullptr;
        if (!imaging) return nullptr;
        std::vector<uint8_t> pixels = p.services.loadFileIcon
                                          ? p.services.loadFileIcon(app.exePath, imaging, kTrayIconEdge)
                                          : LoadFileIcon(app.exePath, imaging, kTrayIconEdge);
        found = p.trayIconCache.emplace(app.key, std::move(pixels)).first;
    }
    if (found->second.size() != kTrayIconBytes) return nullptr;
    if (p.config.topBarOriginalTrayIcons) return &found->second;
    const std::wstring templateKey = app.key + (dark ? L"#d" : L"#l");
    auto grey = p.trayTemplateCache.find(templateKey);
    if (grey == p.trayTemplateCache.end()) {
        std::vector<uint8_t> pixels = p.services.makeTemplateIcon
                                          ? p.services.makeTemplateIcon(found->second, kTrayIconEdge, dark)
                                          : MakeTemplateIcon(found->second, kTrayIconEdge, dark);
        grey = p.trayTemplateCache.emplace(templateKey, std::move(pixels)).first;
    }
    return grey->second.size() == kTrayIconBytes ? &grey->second : nullptr;
}

void DrawTrayIcon(const PopoverPen& pen, const std::vector<uint8_t>& pixels, float y, bool hidden) {
    const D2D1_BITMAP_PROPERTIES props = D2D1::BitmapProperties(
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED), 96.0f, 96.0f);
    ComPtr<ID2D1Bitmap> bitmap;
    if (FAILED(pen.context->CreateBitmap(D2D1::SizeU(kTrayIconEdge, kTrayIconEdge), pixels.data(), kTrayIconEdge * 4,
                                         &props, &bitmap))) {
        return;
    }
    pen.context->DrawBitmap(bitmap.Get(), pen.popover.ScaleRect(20, y + 6, 40, y + 26), hidden ? 0.45f : 1.0f,
                            D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
}

void PaintTrayApps(const PopoverPen& pen, bool dark) {
    TopBarPopover& p = pen.popover;
    const PopoverPalette& c = pen.palette;
    const float w = p.width;
    Title(pen, L"托盘后台应用", 154);
    // The list an earlier opening read may name applications that have quit
    // since: no rows, and nothing to click, until this opening's answer.
    const bool reading = p.awaitingAnswer;
    wchar_t count[32] = {};
    _snwprintf(count, 31, L"%llu 个运行中", static_cast<unsigned long long>(p.trayApps.size()));
    pen.Text(reading ? kPopoverBeingRead : count, c.smallText.Get(), kTrailing, w - 114, 14, w - 14, 38,
             c.secondaryText.Get());
    pen.Line(14, 46, w - 14, 46, c.separator.Get());
    if (reading) {
        pen.Text(kPopoverBeingRead, c.body.Get(), kLeading, 14, 54, w - 14, 86, c.secondaryText.Get());
        return;
    }

    const size_t rows = std::min(p.trayApps.size(), kTrayRows);
    for (size_t i = 0; i < rows; ++i) {
        const TrayIconInfo& app = p.trayApps[i];
        const float y = 54 + 36 * static_cast<float>(i);
        const int32_t index = static_cast<int32_t>(i);
        const std::wstring key = NormalizePathKey(app.key);
        const auto& hiddenKeys = p.config.hiddenTrayApps;
        const bool hidden = std::find(hiddenKeys.begin(), hiddenKeys.end(), key) != hiddenKeys.end();

        p.AddHit(kPopoverHitTrayRow, 14, y, w - 96, y + 32, index);
        p.AddHit(kPopoverHitTrayToggleHidden, w - 94, y + 4, w - 48, y + 28, index);
        p.AddHit(kPopoverHitTrayClose, w - 44, y + 4, w - 14, y + 28, index);
        const bool toggleHovered = p.IsHovered(kPopoverHitTrayToggleHidden, index);
        const bool closeHovered = p.IsHovered(kPopoverHitTrayClose, index);
        if (p.IsHovered(kPopoverHitTrayRow, index) || toggleHovered || closeHovered) {
            pen.Card(14, y, w - 14, y + 32, 8, c.hover.Get());
        }
        if (const std::vector<uint8_t>* icon = TrayRowIcon(p, app, dark)) DrawTrayIcon(pen, *icon, y, hidden);
        pen.Text(app.displayName, c.body.Get(), kLeading, 48, y, w - 100, y + 32,
                 hidden ? c.secondaryText.Get() : c.text.Get());

        pen.Card(w - 92, y + 5, w - 48, y + 27, 6, toggleHovered ? c.hover.Get() : c.card.Get());
        pen.Text(hidden ? L"显示" : L"隐藏", c.smallText.Get(), kCentre, w - 92, y + 5, w - 48, y + 27,
                 hidden ? c.accent.Get() : c.text.Get());
        if (closeHovered) {
            pen.Card(w - 44, y + 4, w - 18, y + 28, 6, c.dangerTint.Get());
            pen.Text(L"×", c.smallText.Get(), kCentre, w - 44, y + 4, w - 18, y + 28, c.danger.Get());
        } else {
            pen.Text(L"×", c.smallText.Get(), kCentre, w - 44, y + 4, w - 18, y + 28, c.secondaryText.Get());
        }
    }
    if (p.trayApps.empty()) {
        pen.Text(L"暂无运行中的托盘应用", c.body.Get(), kLeading, 14, 54, w - 14, 86, c.secondaryText.Get());
    }
}

}  // namespace

void TopBarPopover::Paint(ID2D1DeviceContext* context, bool dark) {
    if (!context || !device || !device->d2dFactory || !device->dwriteFactory) return;
    if (!paintPalette) paintPalette = std::make_shared<PopoverPalette>();
    paintPalette->Prepare(context, device->dwriteFactory.Get(), dark, scale);
    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    const PopoverPen pen{*this, context, device->d2dFactory.Get(), *paintPalette};
    switch (kind) {
        case PopoverKind::Sound:
            PaintSound(pen);
            break;
        case PopoverKind::Wifi:
            PaintWifi(pen);
            break;
        case PopoverKind::Bluetooth:
            PaintBluetooth(pen);
            break;
        case PopoverKind::Battery:
            PaintBattery(pen);
            break;
        case PopoverKind::ControlCenter:
            PaintControlCenter(pen, dark);
            break;
        case PopoverKind::Calendar:
            PaintCalendar(pen);
            break;
        case PopoverKind::TrayApps:
            PaintTrayApps(pen, dark);
            break;
        case PopoverKind::None:
            break;
    }
}

float TopBarPopover::ScaleValue(float value) const { return value * scale; }

D2D1_RECT_F TopBarPopover::ScaleRect(float left, float top, float right, float bottom) const {
    return D2D1::RectF(left * scale, top * scale, right * scale, bottom * scale);
}

void TopBarPopover::AddHit(int32_t id, float left, float top, float right, float bottom, int32_t index) {
    hits.push_back(HitItem{id, left, top, right, bottom, index});
}

bool TopBarPopover::IsHovered(int32_t id, int32_t index) const {
    return id != 0 && id == hoverId && index == hoverIndex;
}

void TopBarPopover::SetTextAlign(IDWriteTextFormat* format, DWRITE_TEXT_ALIGNMENT alignment) {
    SetPopoverTextAlign(format, alignment);
}

void TopBarPopover::DrawLinkRow(ID2D1DeviceContext* context, const PopoverPalette& palette, float y, int32_t id,
                                float left, float right, const std::wstring& text) {
    const PopoverPen pen{*this, context, device ? device->d2dFactory.Get() : nullptr, palette};
    AddHit(id, left, y, right, y + 24);
    pen.Card(left, y, right, y + 24, 6, IsHovered(id, -1) ? palette.hover.Get() : palette.card.Get());
    pen.Text(text, palette.smallText.Get(), kCentre, left, y, right, y + 24, palette.text.Get());
}
