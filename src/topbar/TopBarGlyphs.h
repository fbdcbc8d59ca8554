#pragma once
// The bar's vector glyphs, drawn in pixels around a centre, and the decisions
// that pick their variants. The decisions are plain functions so they can be
// checked without drawing.

#include <d2d1_1.h>

#include <cstdint>

// What the speaker shows: the cross, or the body with 0 to 3 waves.
struct SpeakerGlyphState {
    bool cross = false;
    int waves = 0;
};
SpeakerGlyphState SpeakerGlyphFor(float volume, bool muted);

enum class NetworkGlyph { WifiConnected, WifiDisconnected, Ethernet };
// The wired glyph only while Ethernet is the one connection.
NetworkGlyph NetworkGlyphFor(bool ethernetConnected, bool wifiConnected);

enum class BatteryFillBrush { Charging, Alert, Text };
struct BatteryGauge {
    float fraction = 1.0f;  // of the gauge's inner width, 0.05..1
    BatteryFillBrush brush = BatteryFillBrush::Text;
};
BatteryGauge BatteryGaugeFor(uint32_t percent, bool acOnline);

// The glyphs that build path geometries take the Direct2D factory and draw
// nothing without it; s is the DIP-to-pixel scale.
void DrawTopBarLogoGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float x, float y, float size,
                         ID2D1Brush* brush);
void DrawTopBarArc(ID2D1DeviceContext* context, ID2D1Factory* factory, D2D1_POINT_2F from, D2D1_POINT_2F to,
                   float radius, ID2D1Brush* brush, float width);
void DrawTopBarSpeakerGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float x, float y, float s, float volume,
                            bool muted, ID2D1Brush* brush);
void DrawTopBarWifiGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float x, float y, float s, bool connected,
                         ID2D1Brush* onBrush, ID2D1Brush* offBrush);
void DrawTopBarEthernetGlyph(ID2D1DeviceContext* context, float x, float y, float s, ID2D1Brush* brush);
void DrawTopBarBluetoothGlyph(ID2D1DeviceContext* context, float x, float y, float s, ID2D1Brush* brush);
void DrawTopBarNotificationGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float x, float y, float s,
                                 ID2D1Brush* brush);
