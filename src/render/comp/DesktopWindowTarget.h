#pragma once
// Shows a visual tree in a window. The window becomes a layered window and is
// presented with UpdateLayeredWindowIndirect (per-pixel alpha), never moved or
// resized by us: its owner places it, and the next commit follows.

#include <windows.h>

#include <vector>

#include "render/comp/Handle.h"
#include "render/comp/Renderer.h"
#include "render/comp/Visual.h"

namespace comp {
namespace detail {

// The root's bottom children kept in a layer, and what they were composed over.
struct StillLayerKey {
    std::vector<const VisualNode*> children;
    RECT window = {0, 0, 0, 0};
    uint64_t backdropVersion = 0;
    friend bool operator==(const StillLayerKey& a, const StillLayerKey& b) {
        return a.children == b.children && a.window.left == b.window.left && a.window.top == b.window.top &&
               a.window.right == b.window.right && a.window.bottom == b.window.bottom &&
               a.backdropVersion == b.backdropVersion;
    }
};

struct TargetNode : Node {
    TargetNode(std::shared_ptr<CompositorState> compositor, HWND window) : Node(std::move(compositor)), hwnd(window) {}
    ~TargetNode() override;

    // Composes what changed since the last present and presents it; false when
    // nothing needed presenting.
    bool CommitFrame();
    // Makes the buffer for the window's present size, clears it and hands it
    // to the window, so the first frame finds its memory and the window's own
    // surface made; the next commit draws and presents all of it.
    bool PrepareBuffer();
    // Frees what is kept between frames only for speed; the window's buffer
    // stays, as later frames redraw only their damage into it.
    void ReleaseScratch();

    HWND hwnd;
    std::shared_ptr<VisualNode> root;
    TreeSnapshot presented;
    TreeSnapshot next;             // the snapshot being taken, kept for its memory
    DamageRegion damage;           // what the frame redraws, kept for its memory
    DamageRegion layerDamage;      // the part of it in the still layer's children
    uint64_t presentedNewest = 0;  // newest version in the tree at the last frame
    ComposeScratch scratch;
    // The bottom children that for two frames changed at most along their
    // edges (the glass under moving icons, also while it widens), composed
    // once over the whole window, brought up to date where they change and
    // copied under each frame's damage, until other children take their place.
    raster::Image stillLayer;
    StillLayerKey stillKey;      // what stillLayer shows; no children when it is empty
    StillLayerKey candidateKey;  // the last frame's bottom children changed at most along their edges
    uint64_t presentedRootVersion = 0;
    uint64_t presentedBackdropVersion = 0;
    RECT presentedWindow = {0, 0, 0, 0};
    bool forceFull = true;
    // The buffer: a top-down 32-bit DIB section the window is presented from.
    HDC memoryDc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int presentCount = 0;
    bool presentFailureLogged = false;
    raster::Rect lastDamage;         // the rectangle presented
    long long lastDamagePixels = 0;  // the pixels composed for it
    double lastComposeMs = 0;        // time spent composing and presenting the last frame
    double lastPresentMs = 0;
};

}  // namespace detail

class DesktopWindowTarget : public Handle<detail::TargetNode> {
public:
    using Handle::Handle;

    Visual Root() const { return Visual(Get().root); }
    // The root takes the window's size through its relative size.
    void Root(const Visual& root);
    HWND Window() const { return Get().hwnd; }
    // Makes the window's buffer ahead of the first frame, while the window is
    // hidden (see TargetNode::PrepareBuffer).
    bool PrepareBuffer() { return Get().PrepareBuffer(); }

    // Tests and diagnostics: how often the window was presented, the area the
    // last present redrew (and how many pixels of it were composed), and the
    // pixels it was presented with.
    int PresentCount() const { return Get().presentCount; }
    RECT LastDamage() const;
    long long LastDamagePixels() const { return Get().lastDamagePixels; }
    double LastComposeMs() const { return Get().lastComposeMs; }
    double LastPresentMs() const { return Get().lastPresentMs; }
    raster::Image PresentedPixels() const;
};

}  // namespace comp
