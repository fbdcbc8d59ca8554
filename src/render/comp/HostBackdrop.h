#pragma once
// What a host-backdrop brush shows: the desktop wallpaper behind the window,
// in virtual-screen pixels. Loading and filtering cost tens of milliseconds,
// so the picture is loaded once, filtered once per effect setting and cached;
// it is reloaded when the wallpaper or the screen changes.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <future>
#include <list>
#include <string>
#include <vector>

#include "render/comp/BackdropBand.h"
#include "render/comp/Nodes.h"
#include "render/raster/Image.h"

namespace comp {

class HostBackdrop {
public:
    using Loader = std::function<bool(BackdropPicture&)>;
    using Steps = std::vector<detail::EffectStep>;

    HostBackdrop();
    // Waits for a filtering worker still running.
    ~HostBackdrop();
    HostBackdrop(const HostBackdrop&) = delete;
    HostBackdrop& operator=(const HostBackdrop&) = delete;

    // The picture filtered by the given saturation and blur steps (translations
    // are applied when drawing); null when there is none.
    const BackdropPicture* Filtered(const Steps& steps);
    // The same, cut to a band of whole rows that covers the screen rows
    // [top, bottom) as the steps' translations shift them: only the band is
    // filtered, and its pixels equal the same rows of the whole picture
    // filtered. Bands are kept per setting; a band covering another replaces it.
    const BackdropPicture* Filtered(const Steps& steps, int top, int bottom);
    // Starts filtering that band on a worker; the Filtered call that needs it
    // takes the result, waiting for it if it is not done yet.
    void Prepare(const Steps& steps, int top, int bottom);
    // Bands prepared from now on are also kept in files in this folder, and a
    // kept band of the same setting, rows and wallpaper is taken from there
    // instead of being filtered again. `identity` tells the current wallpaper
    // without loading it. An empty folder keeps nothing.
    void KeepBandsIn(std::wstring folder,
                     std::function<std::wstring()> identity = &HostBackdrop::CurrentWallpaperIdentity);
    // Checks at most once a second whether the wallpaper changed; true when the
    // picture was dropped and everything showing it must be redrawn.
    bool Refresh(bool force = false);
    uint64_t Version() const { return version_; }
    // Drops the unfiltered picture once nothing shows it as it is: every
    // filtered band made is kept, and a new band loads it again.
    void ReleaseUnfiltered();
    // Bytes of pixels held (unfiltered picture and filtered bands).
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
    using Band = FilteredBand;
    struct Pending {
        std::vector<float> key;
        uint64_t version = 0;
        std::future<Band> band;
    };

    static constexpr size_t kMostBands = 8;

    static Band FilterBand(const BackdropPicture& base, const Steps& steps, std::vector<float> key, int top,
                           int bottom);
    // The band holds the rows [top, bottom), as far as the picture has them.
    static bool Covers(const Band& band, int top, int bottom);
    bool EnsureLoaded();
    const BackdropPicture* Keep(Band band);
    void TakePending(const std::vector<float>& key);

    Loader loader_;
    bool loaded_ = false;     // the wallpaper was looked at since the last refresh
    bool baseValid_ = false;  // base_ holds it (it is dropped once bands exist)
    bool unfilteredShown_ = false;
    BackdropPicture base_;
    std::wstring identity_;
    std::list<Band> bands_;
    std::vector<Pending> pending_;
    void DropPending();
    ULONGLONG lastCheck_ = 0;
    uint64_t version_ = 1;
    bool creationFails_ = false;
    bool customLoader_ = false;
    std::wstring bandFolder_;
    std::function<std::wstring()> bandIdentity_;
};

}  // namespace comp
