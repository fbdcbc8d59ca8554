// Stand-in painting steps so the panel links before its painter exists.
#include "topbar/TopBarPopover.h"

void TopBarPopover::Paint(ID2D1DeviceContext*, bool) {}

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

void TopBarPopover::SetTextAlign(IDWriteTextFormat*, DWRITE_TEXT_ALIGNMENT) {}

void TopBarPopover::DrawLinkRow(ID2D1DeviceContext*, const PopoverPalette&, float, int32_t, float, float,
                                const std::wstring&) {}

void TopBarPopover::DrawTile(ID2D1DeviceContext*, const PopoverPalette&, float, float, float, bool,
                             const std::wstring&, const std::wstring&, int32_t, const std::wstring&) {}
