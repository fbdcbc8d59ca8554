#include "apps/CompositionIconHost.h"

IconSurfaceRef CompositionIconHost::CreateDrawingSurface(int width, int height) {
    comp::CompositionDrawingSurface surface = host_.CreateDrawingSurface(width, height);
    if (!surface) return nullptr;
    return std::make_shared<CompositionIconSurface>(std::move(surface));
}

void CompositionIconHost::DrawSurface(IconSurface& surface, const std::function<void(ID2D1DeviceContext*)>& paint) {
    auto* composition = dynamic_cast<CompositionIconSurface*>(&surface);
    if (!composition) return;
    host_.Paint(composition->surface, paint);
}

comp::CompositionDrawingSurface CompositionSurfaceOf(const IconSurfaceRef& icon) {
    auto* composition = dynamic_cast<CompositionIconSurface*>(icon.get());
    return composition ? composition->surface : comp::CompositionDrawingSurface(nullptr);
}
