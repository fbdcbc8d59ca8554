#pragma once
// The wallpaper behind a host-backdrop brush, and a band of its rows filtered
// for one setting. A band can be kept in a file, so the next start of the
// program shows its glass without decoding and filtering the wallpaper again.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "render/raster/Image.h"

namespace comp {

struct BackdropPicture {
    raster::Image pixels;   // opaque, premultiplied BGRA
    POINT origin = {0, 0};  // screen position of pixel (0, 0)
    std::wstring identity;  // changes whenever the picture does
    // False for a stand-in: the desktop colour drawn for a wallpaper that
    // could not be read this time, which must not outlast this run.
    bool keep = true;
};

struct FilteredBand {
    std::vector<float> key;                 // the filter setting, translations left out
    int top = 0, bottom = 0;                // screen rows held
    int pictureTop = 0, pictureBottom = 0;  // screen rows of the whole picture
    BackdropPicture picture;
};

// The file in `folder` that keeps the band of this setting; one per setting,
// so a new wallpaper or screen replaces the old band.
std::wstring BackdropBandFile(const std::wstring& folder, const std::vector<float>& key);

// Replaces the file with the band; a failure leaves at most a stale file, which
// is told apart by its identity.
void WriteBackdropBand(const std::wstring& file, const FilteredBand& band);

// The band in the file; nothing when it is missing, damaged or of another format.
std::optional<FilteredBand> ReadBackdropBand(const std::wstring& file);

}  // namespace comp
