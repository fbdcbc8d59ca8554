#include "render/TextCoverage.h"

#include <dwrite_2.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <list>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "render/raster/Blend.h"

using Microsoft::WRL::ComPtr;

namespace {

struct CoveragePiece {
    raster::Rect bounds;
    std::vector<uint8_t> values;
};

// The coverage of one glyph run whose baseline starts at (x, y) pixels, or an
// empty piece. Grayscale anti-aliasing gives one byte a pixel; a text engine
// that only gives sub-pixel coverage has its three values averaged.
CoveragePiece RasterizeRun(IDWriteFactory2* factory, const DWRITE_GLYPH_RUN& run, float x, float y) {
    CoveragePiece piece;
    ComPtr<IDWriteGlyphRunAnalysis> analysis;
    if (FAILED(factory->CreateGlyphRunAnalysis(&run, nullptr, DWRITE_RENDERING_MODE_NATURAL_SYMMETRIC,
                                               DWRITE_MEASURING_MODE_NATURAL, DWRITE_GRID_FIT_MODE_DEFAULT,
                                               DWRITE_TEXT_ANTIALIAS_MODE_GRAYSCALE, x, y, &analysis))) {
        return piece;
    }
    DWRITE_TEXTURE_TYPE type = DWRITE_TEXTURE_ALIASED_1x1;
    RECT r = {};
    if (FAILED(analysis->GetAlphaTextureBounds(type, &r)) || r.right <= r.left || r.bottom <= r.top) {
        type = DWRITE_TEXTURE_CLEARTYPE_3x1;
        if (FAILED(analysis->GetAlphaTextureBounds(type, &r)) || r.right <= r.left || r.bottom <= r.top) return piece;
    }
    const size_t count = static_cast<size_t>(r.right - r.left) * static_cast<size_t>(r.bottom - r.top);
    const size_t perPixel = type == DWRITE_TEXTURE_ALIASED_1x1 ? 1 : 3;
    std::vector<uint8_t> texture(count * perPixel);
    if (FAILED(analysis->CreateAlphaTexture(type, &r, texture.data(), static_cast<UINT32>(texture.size())))) {
        return piece;
    }
    if (perPixel == 3) {
        for (size_t i = 0; i < count; ++i) {
            texture[i] = static_cast<uint8_t>((texture[3 * i] + texture[3 * i + 1] + texture[3 * i + 2] + 1) / 3);
        }
        texture.resize(count);
    }
    piece.bounds = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    piece.values = std::move(texture);
    return piece;
}

// Where a piece lands in the text's pixels, and its values.
struct PlacedPiece {
    raster::Rect bounds;
    const uint8_t* values = nullptr;
};

// Each glyph rasterized once for each quarter-pixel position and each eighth
// of a pixel of size: the text engine renders a whole run anew at every call,
// a page of labels never shown before repeats the same few dozen glyphs, and
// the index bar's letters grow by fractions of a pixel each frame, which
// would otherwise make every frame's letters new. Past its budget the cache
// lets go of the glyphs used longest ago, so the glyphs of what is shown stay
// while an animation passes through sizes. The faces are held so that no
// face's address is taken by another while its glyphs are kept.
class GlyphCoverageCache {
public:
    static constexpr int kSteps = 4;
    static constexpr int kSizeSteps = 8;
    static constexpr size_t kMostGlyphs = 4096;

    struct Key {
        IDWriteFontFace* face;
        int32_t emSteps;  // the size in eighths of a pixel
        UINT16 glyph;
        uint8_t stepX, stepY;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            size_t h = std::hash<const void*>()(k.face);
            h = h * 31 + static_cast<size_t>(k.emSteps);
            return h * 31 + (static_cast<size_t>(k.glyph) << 4 | static_cast<size_t>(k.stepX) << 2 | k.stepY);
        }
    };

    std::mutex mutex;
    size_t rasterized = 0;

    // Makes room before a text is laid out, never while its pieces are in use.
    void Trim() {
        while (glyphs_.size() > kMostGlyphs) {
            const Key oldest = recency_.back();
            recency_.pop_back();
            glyphs_.erase(oldest);
            if (auto face = faces_.find(oldest.face); face != faces_.end() && --face->second.glyphs == 0) {
                faces_.erase(face);
            }
        }
    }

    // The glyph's coverage with its bounds relative to the whole pixel left
    // of and above its origin.
    const CoveragePiece& Get(IDWriteFactory2* factory, const DWRITE_GLYPH_RUN& run, UINT32 index, uint8_t stepX,
                             uint8_t stepY) {
        const auto emSteps = static_cast<int32_t>(std::lround(run.fontEmSize * kSizeSteps));
        const Key key{run.fontFace, emSteps, run.glyphIndices[index], stepX, stepY};
        if (auto found = glyphs_.find(key); found != glyphs_.end()) {
            recency_.splice(recency_.begin(), recency_, found->second.used);
            return found->second.piece;
        }
        Face& face = faces_.try_emplace(run.fontFace, Face{run.fontFace, 0}).first->second;
        ++face.glyphs;
        DWRITE_GLYPH_RUN one = run;
        const FLOAT noAdvance = 0.0f;
        one.fontEmSize = static_cast<float>(emSteps) / kSizeSteps;
        one.glyphCount = 1;
        one.glyphIndices = &run.glyphIndices[index];
        one.glyphAdvances = &noAdvance;
        one.glyphOffsets = nullptr;
        ++rasterized;
        recency_.push_front(key);
        Glyph& glyph = glyphs_[key];
        glyph.used = recency_.begin();
        glyph.piece =
            RasterizeRun(factory, one, static_cast<float>(stepX) / kSteps, static_cast<float>(stepY) / kSteps);
        return glyph.piece;
    }

private:
    struct Glyph {
        CoveragePiece piece;
        std::list<Key>::iterator used;
    };
    struct Face {
        ComPtr<IDWriteFontFace> face;
        size_t glyphs;
    };
    std::unordered_map<Key, Glyph, KeyHash> glyphs_;
    std::list<Key> recency_;  // most recently used first
    std::unordered_map<IDWriteFontFace*, Face> faces_;
};

GlyphCoverageCache& Glyphs() {
    static GlyphCoverageCache* cache = new GlyphCoverageCache();  // lives as long as the process
    return *cache;
}

// A position split into its whole pixel and its nearest quarter within it.
std::pair<int, uint8_t> Snap(float at) {
    const long quarters = std::lround(at * GlyphCoverageCache::kSteps);
    const long whole = quarters >= 0 ? quarters / GlyphCoverageCache::kSteps
                                     : -((-quarters + GlyphCoverageCache::kSteps - 1) / GlyphCoverageCache::kSteps);
    return {static_cast<int>(whole), static_cast<uint8_t>(quarters - whole * GlyphCoverageCache::kSteps)};
}

// Collects the coverage of every glyph run a layout draws, the runs' DIP
// coordinates mapped onto pixels. Lives on the stack for one Draw call, which
// holds no reference past its return: counting references is not needed.
class CoverageRenderer final : public IDWriteTextRenderer {
public:
    CoverageRenderer(IDWriteFactory2* factory, GlyphCoverageCache& glyphs, float originX, float originY, float scale)
        : factory_(factory), glyphs_(glyphs), originX_(originX), originY_(originY), scale_(scale) {}

    std::vector<PlacedPiece> pieces;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        if (id == __uuidof(IUnknown) || id == __uuidof(IDWritePixelSnapping) || id == __uuidof(IDWriteTextRenderer)) {
            *object = static_cast<IDWriteTextRenderer*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE IsPixelSnappingDisabled(void*, BOOL* disabled) override {
        *disabled = FALSE;
        return S_OK;
    }
    // As a drawing context scaled by `scale` reports it, so the layout snaps
    // its baselines to the same pixels.
    HRESULT STDMETHODCALLTYPE GetCurrentTransform(void*, DWRITE_MATRIX* transform) override {
        *transform = {scale_, 0.0f, 0.0f, scale_, originX_, originY_};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelsPerDip(void*, FLOAT* pixelsPerDip) override {
        *pixelsPerDip = 1.0f;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE DrawGlyphRun(void*, FLOAT baselineX, FLOAT baselineY, DWRITE_MEASURING_MODE,
                                           const DWRITE_GLYPH_RUN* run, const DWRITE_GLYPH_RUN_DESCRIPTION*,
                                           IUnknown*) override {
        if (!run || run->glyphCount == 0) return S_OK;
        // Scaled in the run itself rather than by a transform: the glyphs are
        // then rasterized at their size on the screen, as hinting expects.
        DWRITE_GLYPH_RUN scaled = *run;
        scaled.fontEmSize = run->fontEmSize * scale_;
        std::vector<FLOAT> advances;
        std::vector<DWRITE_GLYPH_OFFSET> offsets;
        if (run->glyphAdvances) {
            advances.assign(run->glyphAdvances, run->glyphAdvances + run->glyphCount);
            for (FLOAT& advance : advances) advance *= scale_;
            scaled.glyphAdvances = advances.data();
        }
        if (run->glyphOffsets) {
            offsets.assign(run->glyphOffsets, run->glyphOffsets + run->glyphCount);
            for (DWRITE_GLYPH_OFFSET& offset : offsets) {
                offset.advanceOffset *= scale_;
                offset.ascenderOffset *= scale_;
            }
            scaled.glyphOffsets = offsets.data();
        }
        const float x = originX_ + baselineX * scale_;
        const float y = originY_ + baselineY * scale_;
        if (run->isSideways || (run->bidiLevel & 1) || !run->glyphAdvances) {
            // Rare enough to be rasterized whole each time.
            owned_.push_back(RasterizeRun(factory_, scaled, x, y));
            if (!owned_.back().values.empty()) pieces.push_back({owned_.back().bounds, owned_.back().values.data()});
            return S_OK;
        }
        float penX = x;
        for (UINT32 i = 0; i < scaled.glyphCount; ++i) {
            const DWRITE_GLYPH_OFFSET offset = scaled.glyphOffsets ? scaled.glyphOffsets[i] : DWRITE_GLYPH_OFFSET{};
            const auto [wholeX, stepX] = Snap(penX + offset.advanceOffset);
            const auto [wholeY, stepY] = Snap(y - offset.ascenderOffset);
            const CoveragePiece& glyph = glyphs_.Get(factory_, scaled, i, stepX, stepY);
            if (!glyph.values.empty()) {
                pieces.push_back(
                    {{glyph.bounds.x + wholeX, glyph.bounds.y + wholeY, glyph.bounds.width, glyph.bounds.height},
                     glyph.values.data()});
            }
            penX += scaled.glyphAdvances[i];
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawUnderline(void*, FLOAT, FLOAT, const DWRITE_UNDERLINE*, IUnknown*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawStrikethrough(void*, FLOAT, FLOAT, const DWRITE_STRIKETHROUGH*, IUnknown*) override {
        return S_OK;
    }
    // The trimming sign (the ellipsis of a cut label) draws its glyphs
    // through this renderer.
    HRESULT STDMETHODCALLTYPE DrawInlineObject(void* context, FLOAT x, FLOAT y, IDWriteInlineObject* object,
                                               BOOL sideways, BOOL rightToLeft, IUnknown* effect) override {
        return object ? object->Draw(context, this, x, y, sideways, rightToLeft, effect) : S_OK;
    }

private:
    IDWriteFactory2* factory_;
    GlyphCoverageCache& glyphs_;
    float originX_, originY_, scale_;
    std::deque<CoveragePiece> owned_;
};

}  // namespace

raster::Mask TextLayoutCoverage(IDWriteFactory* factory, IDWriteTextLayout* layout, float originX, float originY,
                                float scale) {
    ComPtr<IDWriteFactory2> factory2;
    if (!factory || !layout || FAILED(factory->QueryInterface(IID_PPV_ARGS(&factory2)))) return {};
    GlyphCoverageCache& glyphs = Glyphs();
    std::lock_guard<std::mutex> lock(glyphs.mutex);
    glyphs.Trim();
    CoverageRenderer renderer(factory2.Get(), glyphs, originX, originY, scale);
    if (FAILED(layout->Draw(nullptr, &renderer, 0.0f, 0.0f)) || renderer.pieces.empty()) return {};
    raster::Rect bounds = renderer.pieces.front().bounds;
    for (const PlacedPiece& piece : renderer.pieces) {
        const int right = std::max(bounds.Right(), piece.bounds.Right());
        const int bottom = std::max(bounds.Bottom(), piece.bounds.Bottom());
        bounds.x = std::min(bounds.x, piece.bounds.x);
        bounds.y = std::min(bounds.y, piece.bounds.y);
        bounds.width = right - bounds.x;
        bounds.height = bottom - bounds.y;
    }
    raster::Mask coverage(bounds);
    raster::MaskView view = coverage.View();
    for (const PlacedPiece& piece : renderer.pieces) {
        for (int row = 0; row < piece.bounds.height; ++row) {
            uint8_t* out = view.Span(piece.bounds.x, piece.bounds.y + row);
            const uint8_t* in = piece.values + static_cast<size_t>(row) * piece.bounds.width;
            for (int i = 0; i < piece.bounds.width; ++i) {
                out[i] = static_cast<uint8_t>(std::min(255, out[i] + in[i]));
            }
        }
    }
    return coverage;
}

size_t TextGlyphsRasterized() {
    GlyphCoverageCache& glyphs = Glyphs();
    std::lock_guard<std::mutex> lock(glyphs.mutex);
    return glyphs.rasterized;
}

void FillCoverage(raster::ImageView pixels, const raster::Mask& coverage, uint32_t color, const raster::Rect& clip) {
    if (coverage.Bounds().IsEmpty()) return;
    const raster::ConstMaskView view = coverage.View();
    raster::DrawOptions options;
    options.clip = clip;
    options.coverage = &view;
    raster::FillRect(pixels, coverage.Bounds(), color, options);
}
