#pragma once
// The settings footer's notice (a list cut short, the file kept aside) in the
// place left of the footer's buttons. Text that does not fit one line is not
// cut or trimmed: the notice names a file the user may need to find.

#include <d2d1.h>
#include <dwrite.h>

#include <functional>
#include <string>
#include <vector>

// The lines of `notice` in `width` DIP, `measure` giving a text's width: one
// line when it fits; else the text before its last space and the word after
// it (the file name, kept whole), when both fit; else lines filled with as
// many characters as fit.
std::vector<std::wstring> FooterNoticeLines(const std::wstring& notice, float width,
                                            const std::function<float(const std::wstring&)>& measure);

// Each line of the notice in `area` with `format` (one line, vertically
// centred), the lines centred together on the area's middle.
void DrawFooterNotice(ID2D1RenderTarget* target, IDWriteFactory* dwrite, IDWriteTextFormat* format,
                      const std::wstring& notice, D2D1_RECT_F area, ID2D1Brush* brush);
