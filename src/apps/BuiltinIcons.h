#pragma once
// Built-in vector icons: which items get one, and the painters that draw them.
//
// Every painter draws into the square (0, 0)-(s, s) of the context's current
// transform; the caller has begun drawing and cleared. Painters keep nothing
// between calls: brushes, geometries and stroke styles live for one call.

#include <windows.h>
#include <d2d1_1.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <string_view>

enum BuiltinIconKind : int32_t {
    BuiltinIconNone = 0,
    BuiltinIconLaunchpad = 1,
    BuiltinIconFileExplorer = 2,
    BuiltinIconBrowser = 3,
    BuiltinIconNotepad = 4,
    BuiltinIconTerminal = 5,
    BuiltinIconCalculator = 6,
    BuiltinIconSettings = 7,
    BuiltinIconTaskManager = 8,
    BuiltinIconPaint = 9,
    BuiltinIconPhotos = 10,
    BuiltinIconStore = 11,
    BuiltinIconMail = 12,
    BuiltinIconCamera = 13,
    BuiltinIconSnippingTool = 14,
    BuiltinIconClock = 15,
    BuiltinIconFolder = 16,
    BuiltinIconDownloadsFolder = 17,
    BuiltinIconRecycleBinEmpty = 18,
    BuiltinIconRecycleBinFull = 19,
};

// True when some needle is empty or occurs in text (exact, case-sensitive).
// needles ends with a null pointer.
bool ContainsAnyOf(std::wstring_view text, const wchar_t* const* needles);

// Which built-in drawing an item (target path, shell path or application id,
// and display name) gets; never the launchpad or the full recycle bin, which
// their items choose themselves. Touches the file system only for drive paths
// that no name matched.
BuiltinIconKind BuiltinIconKindFor(const std::wstring& path, const std::wstring& displayName);
// The same from the names alone: never a folder's drawing, which only the
// file system can tell.
BuiltinIconKind BuiltinIconKindByName(const std::wstring& path, const std::wstring& displayName);

// Two-stop linear gradient (gamma 2.2, clamped); null when Direct2D refuses.
Microsoft::WRL::ComPtr<ID2D1LinearGradientBrush> MakeLinearGradientBrush(ID2D1DeviceContext* context,
                                                                         D2D1_POINT_2F start, D2D1_POINT_2F end,
                                                                         D2D1_COLOR_F color0, D2D1_COLOR_F color1);

// The rounded tile with its three-layer drop shadow and rim; a null fill draws
// only shadow and rim.
void DrawIconTilePlate(ID2D1DeviceContext* context, float s, ID2D1Brush* fill);

void PaintLaunchpadGlyph(ID2D1DeviceContext* context, float s);
void PaintFileExplorerGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s);
void PaintBrowserGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s);
void PaintNotepadGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s);
void PaintTerminalGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s);
void PaintCalculatorGlyph(ID2D1DeviceContext* context, float s);
void PaintSettingsGlyph(ID2D1DeviceContext* context, float s);
// Kinds 8 (task manager) to 15 (clock); other kinds draw nothing.
void PaintAppGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, BuiltinIconKind kind, float s);
void PaintFolderGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s, bool downloads);
void PaintRecycleBinGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s, bool full);

// Dispatches a kind to its painter (kind 0 draws nothing).
void PaintBuiltinGlyph(ID2D1DeviceContext* context, BuiltinIconKind kind, float s);
