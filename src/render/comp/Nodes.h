#pragma once
// The objects behind the compositor's handles. Every change bumps the object's
// version (one counter for the whole process, so a new object never repeats an
// old one's version) and asks its compositor for a commit; a commit compares
// versions and geometry with what it presented last to find what to redraw.

#include <d2d1_1.h>
#include <wrl/client.h>

#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "render/comp/Types.h"
#include "render/raster/Image.h"

namespace comp::detail {

struct CompositorState;

uint64_t NextVersion();

struct Node {
    explicit Node(std::shared_ptr<CompositorState> compositor);
    virtual ~Node() = default;
    // Marks the object changed and schedules a commit.
    void Touch();
    // The same for a change of where it is or how large, not of what it shows.
    void TouchPlacement();

    std::shared_ptr<CompositorState> owner;
    uint64_t version;
    // The last change other than of place or size: a visual whose content is
    // unchanged and which only moved or grew keeps the pixels its brush shows
    // the same way at every size.
    uint64_t contentVersion;
};

// Stores a property and marks the object changed, unless the value is the same.
template <class T>
void SetAndTouch(Node& node, T& field, const T& value) {
    if (field == value) return;
    field = value;
    node.Touch();
}

template <class T>
void SetAndTouchPlacement(Node& node, T& field, const T& value) {
    if (field == value) return;
    field = value;
    node.TouchPlacement();
}

struct GraphicsDeviceNode;

struct SurfaceNode : Node {
    using Node::Node;
    std::shared_ptr<GraphicsDeviceNode> device;
    raster::Image pixels;
    bool drawing = false;
    bool drawClipped = false;
    Microsoft::WRL::ComPtr<ID2D1Bitmap1> target;    // what BeginDraw hands out, kept between draws
    bool targetHoldsPixels = false;                 // target's content equals pixels
    Microsoft::WRL::ComPtr<ID2D1Bitmap1> readable;  // the read-back's CPU copy, kept between draws
    // Whether all columns (rows) of pixels are alike, worked out once per
    // version: a stretch along such an axis changes nothing.
    struct Repeats {
        uint64_t version = 0;
        std::vector<bool> column;  // one entry, once known: every column equals the one before it
        std::vector<bool> row;
    };
    mutable Repeats repeats;
    // The latest changes that touched only part of the pixels: from version
    // `from` to `to` only `area` (surface pixels) changed. A frame that showed
    // one of these versions redraws only the areas since, not the visual.
    struct PartialChange {
        uint64_t from = 0;
        uint64_t to = 0;
        raster::Rect area;
    };
    static constexpr size_t kPartialChangesKept = 8;
    std::vector<PartialChange> partialChanges;  // oldest first
};

struct GraphicsDeviceNode : Node {
    using Node::Node;
    Microsoft::WRL::ComPtr<ID2D1Device> d2dDevice;
    Microsoft::WRL::ComPtr<ID2D1DeviceContext> context;
    // The context a worker made and drew with once; the first BeginDraw takes it.
    std::future<Microsoft::WRL::ComPtr<ID2D1DeviceContext>> warming;
    // Set when the context is no longer wanted: a worker that has not drawn yet does not.
    std::shared_ptr<std::atomic<bool>> warmingCancelled;
    HRESULT injectedFailure = S_OK;  // tests: the next BeginDraw or surface creation fails
    // Every surface made on this device, to move them all to a new device;
    // dropped ones are forgotten once the list has doubled since the last sweep.
    std::vector<std::weak_ptr<SurfaceNode>> surfaces;
    size_t surfacesAfterSweep = 0;
};

// One step of a compiled effect graph, applied in order to its single source.
struct EffectStep {
    enum class Kind { Saturation, GaussianBlur, Translation } kind = Kind::Saturation;
    float a = 0;  // saturation, standard deviation or dx
    float b = 0;  // dy
};

struct EffectProgram {
    std::wstring sourceName;
    std::vector<EffectStep> steps;
};

struct EffectFactoryNode : Node {
    using Node::Node;
    EffectProgram program;
};

struct BrushNode : Node {
    enum class Kind { Color, Surface, NineGrid, Mask, Effect, HostBackdrop };
    BrushNode(std::shared_ptr<CompositorState> compositor, Kind k) : Node(std::move(compositor)), kind(k) {}

    Kind kind;
    Color color;                           // Color
    std::shared_ptr<SurfaceNode> surface;  // Surface
    CompositionStretch stretch = CompositionStretch::Fill;
    std::shared_ptr<BrushNode> source;                              // NineGrid, Mask
    std::shared_ptr<BrushNode> mask;                                // Mask
    float insets[4] = {0, 0, 0, 0};                                 // NineGrid: left, top, right, bottom
    EffectProgram program;                                          // Effect
    std::map<std::wstring, std::shared_ptr<BrushNode>> parameters;  // Effect
};

struct GeometryNode : Node {
    using Node::Node;
    Vector2 offset;
    Vector2 size;
    Vector2 cornerRadius;
};

struct ClipNode : Node {
    enum class Kind { Inset, Geometric };
    ClipNode(std::shared_ptr<CompositorState> compositor, Kind k) : Node(std::move(compositor)), kind(k) {}
    Kind kind;
    float left = 0, top = 0, right = 0, bottom = 0;  // Inset
    std::shared_ptr<GeometryNode> geometry;          // Geometric
};

struct VisualNode : Node {
    VisualNode(std::shared_ptr<CompositorState> compositor, bool sprite)
        : Node(std::move(compositor)), isSprite(sprite) {}
    // Children that outlive their container are free to join another one.
    ~VisualNode() override;

    bool isSprite;
    Vector3 offset;
    Vector2 size;
    Vector2 relativeSize;
    float opacity = 1.0f;
    bool visible = true;
    std::shared_ptr<ClipNode> clip;
    std::shared_ptr<BrushNode> brush;
    std::vector<std::shared_ptr<VisualNode>> children;  // bottom to top
    VisualNode* parent = nullptr;
    bool isTargetRoot = false;
};

}  // namespace comp::detail
