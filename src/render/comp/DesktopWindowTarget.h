#pragma once
// Shows a visual tree in a window. The window becomes a layered window and is
// presented with UpdateLayeredWindowIndirect (per-pixel alpha), never moved or
// resized by us: its owner places it, and the next commit follows.

#include <windows.h>

#include "render/comp/Handle.h"
#include "render/comp/Renderer.h"
#include "render/comp/Visual.h"

namespace comp {
namespace detail {

struct TargetNode : Node {
    TargetNode(std::shared_ptr<CompositorState> compositor, HWND window) : Node(std::move(compositor)), hwnd(window) {}
    ~TargetNode() override;

    // Composes what changed since the last present and presents it; false when
    // nothing needed presenting.
    bool CommitFrame();

    HWND hwnd;
    std::shared_ptr<VisualNode> root;
    TreeSnapshot presented;
    TreeSnapshot next;                // the snapshot being taken, kept for its memory
    uint64_t presentedNewest = 0;     // newest version in the tree at the last frame
    ComposeScratch scratch;
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
    raster::Rect lastDamage;
    double lastComposeMs = 0;  // time spent composing and presenting the last frame
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

    // Tests and diagnostics: how often the window was presented, the area the
    // last present redrew, and the pixels it was presented with.
    int PresentCount() const { return Get().presentCount; }
    RECT LastDamage() const;
    double LastComposeMs() const { return Get().lastComposeMs; }
    double LastPresentMs() const { return Get().lastPresentMs; }
    raster::Image PresentedPixels() const;
};

}  // namespace comp
