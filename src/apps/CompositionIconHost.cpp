#include "apps/CompositionIconHost.h"

#include <cstring>

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

bool CompositionIconHost::PutPixels(IconSurface& surface, const IconBitmap& pixels) {
    auto* composition = dynamic_cast<CompositionIconSurface*>(&surface);
    if (!composition || !pixels.Usable() ||
        pixels.pixels.size() != static_cast<size_t>(pixels.width) * pixels.height * 4) {
        return false;
    }
    raster::Image image(pixels.width, pixels.height);
    std::memcpy(image.Data(), pixels.pixels.data(), pixels.pixels.size());
    return host_.PaintPixels(composition->surface, image);
}

bool CompositionIconHost::ReadPixels(const IconSurface& surface, IconBitmap& pixels) {
    auto* composition = dynamic_cast<const CompositionIconSurface*>(&surface);
    if (!composition || !composition->surface) return false;
    const raster::Image& image = composition->surface.Pixels();
    if (image.IsEmpty()) return false;
    pixels.width = image.Width();
    pixels.height = image.Height();
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.Data());
    pixels.pixels.assign(bytes, bytes + static_cast<size_t>(image.Width()) * image.Height() * 4);
    return true;
}

comp::CompositionDrawingSurface CompositionSurfaceOf(const IconSurfaceRef& icon) {
    auto* composition = dynamic_cast<CompositionIconSurface*>(icon.get());
    return composition ? composition->surface : comp::CompositionDrawingSurface(nullptr);
}
