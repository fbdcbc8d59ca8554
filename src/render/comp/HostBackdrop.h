#pragma once
// What a host-backdrop brush shows: the desktop wallpaper behind the window,
// in virtual-screen pixels. Loading and filtering cost tens of milliseconds,
// so the picture is loaded once, filtered once per effect setting and cached;
// it is reloaded when the wallpaper or the screen changes.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "render/comp/Nodes.h"
#include "render/raster/Image.h"

namespace comp {

struct BackdropPicture {
    raster::Image pixels;  // opaque, premultiplied BGRA
    POINT origin = {0, 0};  // screen position of pixel (0, 0)
    std::wstring identity;  // changes whenever the picture does
};

class HostBackdrop {
public:
    using Loader = std::function<bool(BackdropPicture&)>;

    HostBackdrop();

    // The picture filtered by the given saturation and blur steps (translations
    // are applied when drawing); null when there is none.
    const BackdropPicture* Filtered(const std::vector<detail::EffectStep>& steps);
    // Checks at most once a second whether the wallpaper changed; true when the
    // picture was dropped and everything showing it must be redrawn.
    bool Refresh(bool force = false);
    uint64_t Version() const { return version_; }
    // Drops the unfiltered picture once nothing shows it as it is: every
    // filtered picture made is kept, and a new filter setting loads it again.
    void ReleaseUnfiltered();
    // Bytes of pixels held (unfiltered and filtered pictures).
    size_t PixelBytes() const;

    // Tests: a picture of their own, or the failure of brush creation.
    void SetLoader(Loader loader);
    void SetCreationFails(bool fails) { creationFails_ = fails; }
    bool CreationFails() const { return creationFails_; }

    // The wallpaper stretched over the virtual screen, or the desktop colour.
    static bool LoadDesktopWallpaper(BackdropPicture& picture);
    // Identity of the current wallpaper setting without loading it.
    static std::wstring CurrentWallpaperIdentity();

private:
    bool EnsureLoaded();

    Loader loader_;
    bool loaded_ = false;
    bool released_ = false;      // loaded, then the unfiltered pixels were dropped
    bool unfilteredShown_ = false;
    BackdropPicture base_;
    std::map<std::vector<float>, BackdropPicture> filtered_;
    ULONGLONG lastCheck_ = 0;
    uint64_t version_ = 1;
    bool creationFails_ = false;
    bool customLoader_ = false;
};

}  // namespace comp
