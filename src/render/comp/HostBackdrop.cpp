#include "render/comp/HostBackdrop.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>

#include "platform/DetachedThread.h"
#include "render/WallpaperFileStamp.h"
#include "render/raster/Blur.h"
#include "render/raster/ColorMatrix.h"
#include "render/raster/Stretch.h"

namespace comp {

namespace {

using Microsoft::WRL::ComPtr;

constexpr ULONGLONG kRefreshIntervalMs = 1000;

RECT VirtualScreen() {
    RECT screen;
    screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screen.right = screen.left + std::max(1, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    screen.bottom = screen.top + std::max(1, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return screen;
}

std::wstring WallpaperPath() {
    wchar_t path[MAX_PATH] = {};
    if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0)) return {};
    return path;
}

// The wallpaper file decoded to premultiplied BGRA; false when it cannot be read.
bool DecodeImage(const std::wstring& path, raster::Image& out) {
    bool uninit = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    bool ok = false;
    {
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IWICBitmapDecoder> decoder;
        ComPtr<IWICBitmapFrameDecode> frame;
        ComPtr<IWICFormatConverter> converter;
        UINT width = 0, height = 0;
        if (SUCCEEDED(
                CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
            SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                         WICDecodeMetadataCacheOnDemand, &decoder)) &&
            SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
            SUCCEEDED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                            nullptr, 0.0, WICBitmapPaletteTypeCustom)) &&
            SUCCEEDED(converter->GetSize(&width, &height)) && width > 0 && height > 0 && width <= 16384 &&
            height <= 16384) {
            out.Reset(static_cast<int>(width), static_cast<int>(height));
            ok = SUCCEEDED(
                converter->CopyPixels(nullptr, width * 4, width * height * 4, reinterpret_cast<BYTE*>(out.Data())));
        }
    }
    if (uninit) CoUninitialize();
    return ok;
}

std::vector<float> KeyOf(const HostBackdrop::Steps& steps) {
    std::vector<float> key;
    for (const auto& step : steps) {
        if (step.kind == detail::EffectStep::Kind::Translation) continue;
        key.push_back(static_cast<float>(step.kind));
        key.push_back(step.a);
    }
    return key;
}

// Rows beyond its output that a blur of this deviation reads (both kernels
// reach less: three deviations, or four box passes of about 0.9 each).
int BlurReach(float deviation) {
    return static_cast<int>(std::ceil(4.0f * std::min(deviation, raster::kLargestDeviation))) + 8;
}

// Rows the translations move the drawn picture by, and one for the bilinear
// neighbour.
int TranslationReach(const HostBackdrop::Steps& steps) {
    float dy = 0;
    for (const auto& step : steps) {
        if (step.kind == detail::EffectStep::Kind::Translation) dy += step.b;
    }
    return static_cast<int>(std::ceil(std::min(std::fabs(dy), 1.0e6f))) + 1;
}

}  // namespace

// The rows [top, bottom) of the picture (screen rows, cut to the picture)
// through the steps. The blur reads its reach around them, so the band equals
// the same rows of the whole picture filtered. Runs on any thread.
HostBackdrop::Band HostBackdrop::FilterBand(const BackdropPicture& base, const Steps& steps, std::vector<float> key,
                                            int top, int bottom) {
    const int width = base.pixels.Width(), height = base.pixels.Height();
    const int originY = static_cast<int>(base.origin.y);
    int from = std::clamp(top - originY, 0, height);
    int to = std::clamp(bottom - originY, from, height);
    // A window wholly beyond the picture shows the mirrored edge: filter it all.
    if (from == to) {
        from = 0;
        to = height;
    }
    int reach = 0;
    for (const auto& step : steps) {
        if (step.kind == detail::EffectStep::Kind::GaussianBlur && step.a > 0) reach += BlurReach(step.a);
    }
    const int readFrom = std::max(0, from - reach), readTo = std::min(height, to + reach);
    raster::Image work(width, readTo - readFrom);
    for (int y = readFrom; y < readTo; ++y) {
        std::memcpy(work.View().Row(y - readFrom), base.pixels.View().Row(y), static_cast<size_t>(width) * 4);
    }
    for (const auto& step : steps) {
        if (step.kind == detail::EffectStep::Kind::Saturation) {
            raster::Saturate(work.View(), step.a);
        } else if (step.kind == detail::EffectStep::Kind::GaussianBlur && step.a > 0) {
            raster::GaussianBlur(work.View(), work.View(), step.a, raster::EdgeMode::Hard);
        }
    }
    Band band;
    band.key = std::move(key);
    band.top = originY + from;
    band.bottom = originY + to;
    band.pictureTop = originY;
    band.pictureBottom = originY + height;
    band.picture.origin = {base.origin.x, originY + from};
    band.picture.identity = base.identity;
    if (readFrom == from && readTo == to) {
        band.picture.pixels = std::move(work);
    } else {
        band.picture.pixels.Reset(width, to - from);
        for (int y = from; y < to; ++y) {
            std::memcpy(band.picture.pixels.View().Row(y - from), work.View().Row(y - readFrom),
                        static_cast<size_t>(width) * 4);
        }
    }
    return band;
}

bool HostBackdrop::Covers(const Band& band, int top, int bottom) {
    return band.top <= std::max(top, band.pictureTop) && band.bottom >= std::min(bottom, band.pictureBottom);
}

HostBackdrop::HostBackdrop() : loader_(LoadDesktopWallpaper) {}

HostBackdrop::~HostBackdrop() { DropPending(); }

void HostBackdrop::DropPending() {
    // No worker's loader runs on after its owner: each one's work is waited
    // for (its result, not its thread's end), then dropped.
    for (Pending& pending : pending_) {
        if (pending.band.valid()) pending.band.wait();
    }
    pending_.clear();
}

void HostBackdrop::SetLoader(Loader loader) {
    // Asked before the move, which leaves `loader` empty.
    customLoader_ = static_cast<bool>(loader);
    loader_ = loader ? std::move(loader) : Loader(LoadDesktopWallpaper);
    Refresh(true);
}

std::wstring HostBackdrop::CurrentWallpaperIdentity() {
    std::wstring identity = WallpaperPath();
    uint64_t stamp = 0;
    if (ReadWallpaperFileStamp(identity, stamp)) identity += L"|" + std::to_wstring(stamp);
    RECT screen = VirtualScreen();
    identity += L"|" + std::to_wstring(screen.left) + L"," + std::to_wstring(screen.top) + L"," +
                std::to_wstring(screen.right) + L"," + std::to_wstring(screen.bottom) + L"|" +
                std::to_wstring(GetSysColor(COLOR_DESKTOP));
    return identity;
}

bool HostBackdrop::LoadDesktopWallpaper(BackdropPicture& picture) {
    RECT screen = VirtualScreen();
    int width = screen.right - screen.left;
    int height = screen.bottom - screen.top;
    picture.origin = {screen.left, screen.top};
    picture.identity = CurrentWallpaperIdentity();
    picture.pixels.Reset(width, height);

    raster::Image wallpaper;
    std::wstring path = WallpaperPath();
    if (!path.empty() && DecodeImage(path, wallpaper)) {
        // Fill the screen keeping the picture's proportions (the usual "fill" position).
        float scale =
            std::max(static_cast<float>(width) / wallpaper.Width(), static_cast<float>(height) / wallpaper.Height());
        int drawnWidth = static_cast<int>(std::ceil(wallpaper.Width() * scale));
        int drawnHeight = static_cast<int>(std::ceil(wallpaper.Height() * scale));
        raster::Rect target = {(width - drawnWidth) / 2, (height - drawnHeight) / 2, drawnWidth, drawnHeight};
        raster::DrawStretched(picture.pixels.View(), target, wallpaper.View());
        return true;
    }
    picture.keep = path.empty();
    COLORREF desktop = GetSysColor(COLOR_DESKTOP);
    picture.pixels.Fill(raster::Bgra(GetBValue(desktop), GetGValue(desktop), GetRValue(desktop), 255));
    return true;
}

bool HostBackdrop::EnsureLoaded() {
    if (baseValid_) return !base_.pixels.IsEmpty();
    base_ = BackdropPicture();
    if (!loader_ || !loader_(base_)) base_.pixels.Reset(0, 0);
    baseValid_ = true;
    // The wallpaper changed since the bands were made: they go, and
    // everything showing them is redrawn.
    if (loaded_ && base_.identity != identity_) {
        bands_.clear();
        ++version_;
    }
    identity_ = base_.identity;
    loaded_ = true;
    return !base_.pixels.IsEmpty();
}

void HostBackdrop::ReleaseUnfiltered() {
    if (!baseValid_ || unfilteredShown_ || bands_.empty()) return;
    base_ = BackdropPicture();
    baseValid_ = false;
}

size_t HostBackdrop::PixelBytes() const {
    size_t bytes = static_cast<size_t>(base_.pixels.Width()) * base_.pixels.Height() * 4;
    for (const auto& band : bands_) {
        bytes += static_cast<size_t>(band.picture.pixels.Width()) * band.picture.pixels.Height() * 4;
    }
    return bytes;
}

bool HostBackdrop::Refresh(bool force) {
    ULONGLONG now = GetTickCount64();
    if (!force) {
        if (!loaded_ || now - lastCheck_ < kRefreshIntervalMs) return false;
        lastCheck_ = now;
        if (customLoader_ || CurrentWallpaperIdentity() == identity_) return false;
    }
    lastCheck_ = now;
    loaded_ = false;
    baseValid_ = false;
    base_ = BackdropPicture();
    bands_.clear();
    DropPending();
    ++version_;
    return true;
}

const BackdropPicture* HostBackdrop::Filtered(const Steps& steps) {
    return Filtered(steps, std::numeric_limits<int>::min() / 4, std::numeric_limits<int>::max() / 4);
}

const BackdropPicture* HostBackdrop::Filtered(const Steps& steps, int top, int bottom) {
    std::vector<float> key = KeyOf(steps);
    if (key.empty()) {
        if (!EnsureLoaded()) return nullptr;
        unfilteredShown_ = true;
        return &base_;
    }
    const int shift = TranslationReach(steps);
    top -= shift;
    bottom += shift;
    auto find = [&]() -> const BackdropPicture* {
        for (const auto& band : bands_) {
            if (band.key == key && Covers(band, top, bottom)) return &band.picture;
        }
        return nullptr;
    };
    if (const BackdropPicture* found = find()) return found;
    TakePending(key);
    if (const BackdropPicture* found = find()) return found;
    if (!EnsureLoaded()) return nullptr;
    return Keep(FilterBand(base_, steps, std::move(key), top, bottom));
}

void HostBackdrop::Prepare(const Steps& steps, int top, int bottom) {
    std::vector<float> key = KeyOf(steps);
    if (key.empty()) return;
    const int shift = TranslationReach(steps);
    top -= shift;
    bottom += shift;
    for (const auto& band : bands_) {
        if (band.key == key && Covers(band, top, bottom)) return;
    }
    try {
        Pending pending;
        pending.key = key;
        pending.version = version_;
        // A detached thread with the task's own future, not std::async: the
        // result is taken once it is ready, and nothing waits for the thread
        // itself to end (joining a finished worker was seen to hang for good).
        auto task = std::make_shared<std::packaged_task<Band()>>([loader = loader_, steps, key, top, bottom,
                                                                  file = BackdropBandFile(bandFolder_, key),
                                                                  identity = bandIdentity_] {
            if (!file.empty() && identity) {
                std::optional<Band> kept = ReadBackdropBand(file);
                if (kept && kept->key == key && Covers(*kept, top, bottom) && kept->picture.identity == identity())
                    return std::move(*kept);
            }
            BackdropPicture base;
            if (!loader || !loader(base) || base.pixels.IsEmpty()) return Band();
            Band band = FilterBand(base, steps, key, top, bottom);
            if (!file.empty() && base.keep) WriteBackdropBand(file, band);
            return band;
        });
        pending.band = task->get_future();
        platform::StartDetachedThread([task] { (*task)(); });
        pending_.push_back(std::move(pending));
    } catch (const std::system_error&) {
        // Without a worker the first frame filters the band itself.
    }
}

void HostBackdrop::KeepBandsIn(std::wstring folder, std::function<std::wstring()> identity) {
    bandFolder_ = std::move(folder);
    bandIdentity_ = std::move(identity);
}

void HostBackdrop::TakePending(const std::vector<float>& key) {
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->key != key) {
            ++it;
            continue;
        }
        Band band = it->band.get();
        const bool current = it->version == version_ && !band.picture.pixels.IsEmpty();
        it = pending_.erase(it);
        if (!current) continue;
        if (!loaded_) {
            loaded_ = true;
            identity_ = band.picture.identity;
        }
        if (band.picture.identity == identity_) Keep(std::move(band));
    }
}

const BackdropPicture* HostBackdrop::Keep(Band band) {
    bands_.remove_if(
        [&](const Band& old) { return old.key == band.key && band.top <= old.top && band.bottom >= old.bottom; });
    bands_.push_back(std::move(band));
    while (bands_.size() > kMostBands) bands_.pop_front();
    return &bands_.back().picture;
}

}  // namespace comp
