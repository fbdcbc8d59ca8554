#include "render/comp/DesktopWindowTarget.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Log.h"
#include "render/comp/CompositorState.h"
#include "render/raster/Blend.h"
#include "render/raster/PixelCount.h"

namespace comp {
namespace detail {

namespace {

void ReleaseBuffer(TargetNode& target) {
    if (target.memoryDc) {
        if (target.previousBitmap) SelectObject(target.memoryDc, target.previousBitmap);
        DeleteDC(target.memoryDc);
    }
    if (target.bitmap) DeleteObject(target.bitmap);
    if (target.bits) raster::CountPixelBytes(-static_cast<long long>(target.width) * target.height * 4);
    target.memoryDc = nullptr;
    target.bitmap = nullptr;
    target.previousBitmap = nullptr;
    target.bits = nullptr;
    target.width = target.height = 0;
}

bool EnsureBuffer(TargetNode& target, int width, int height) {
    if (target.bits && target.width == width && target.height == height) return true;
    ReleaseBuffer(target);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    target.memoryDc = CreateCompatibleDC(nullptr);
    target.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!target.memoryDc || !target.bitmap || !bits) {
        ReleaseBuffer(target);
        return false;
    }
    target.previousBitmap = SelectObject(target.memoryDc, target.bitmap);
    target.bits = static_cast<uint32_t*>(bits);
    target.width = width;
    target.height = height;
    raster::CountPixelBytes(static_cast<long long>(width) * height * 4);
    std::memset(bits, 0, static_cast<size_t>(width) * height * 4);
    return true;
}

// Whether the layer still shows the root's bottom children as they were at the
// last frame, but for their damage since.
size_t LayerChildren(const TargetNode& target, const RECT& window, uint64_t backdropVersion) {
    const StillLayerKey& key = target.stillKey;
    const size_t count = key.children.size();
    if (count == 0 || !target.root || target.root->children.size() <= count) return 0;
    if (key.backdropVersion != backdropVersion || key.window.left != window.left || key.window.top != window.top ||
        key.window.right != window.right || key.window.bottom != window.bottom) {
        return 0;
    }
    if (target.stillLayer.Width() != window.right - window.left ||
        target.stillLayer.Height() != window.bottom - window.top) {
        return 0;
    }
    for (size_t i = 0; i < count; ++i) {
        if (target.root->children[i].get() != key.children[i]) return 0;
    }
    return count;
}

void DropLayer(TargetNode& target) {
    if (target.stillKey.children.empty()) return;
    target.stillLayer = raster::Image();
    target.stillKey = StillLayerKey();
}

// Composes the frame's damage over the layer of the bottom children: brought
// up to date where they changed, or made once for the bottom children that
// for two frames have not changed but along their edges (the glass under
// moving icons, also while it widens).
void ComposeWithStillLayer(TargetNode& target, Vector2 size, const RECT& window, uint64_t wholeGroups,
                           size_t layerChildren, ComposeContext& context) {
    const VisualNode& root = *target.root;
    size_t still = layerChildren;
    if (still > 0) {
        ComposeContext layer = context;
        layer.buffer = target.stillLayer.View();
        for (const raster::Rect& rect : target.layerDamage.Rects()) {
            layer.damage = rect;
            ComposeChildren(root, 0, still, size, layer, true);
        }
    } else {
        DropLayer(target);
        StillLayerKey key;
        key.window = window;
        key.backdropVersion = context.backdrop ? context.backdrop->Version() : 0;
        for (size_t i = 0; i < root.children.size() && i < 64; ++i) {
            if (wholeGroups & (uint64_t{1} << i)) break;
            key.children.push_back(root.children[i].get());
        }
        const size_t candidate = key.children.size();
        if (candidate > 0 && candidate < root.children.size() && key == target.candidateKey) {
            target.stillLayer.Reset(context.buffer.width, context.buffer.height);
            ComposeContext layer = context;
            layer.buffer = target.stillLayer.View();
            layer.damage = target.stillLayer.View().Bounds();
            ComposeChildren(root, 0, candidate, size, layer, true);
            target.stillKey = key;
            still = candidate;
        }
        target.candidateKey = std::move(key);
    }
    // The rectangles do not overlap, so each pixel is composed once.
    for (const raster::Rect& rect : target.damage.Rects()) {
        context.damage = rect;
        if (still == 0) {
            ComposeTree(root, size, context);
            continue;
        }
        const raster::Rect damage = raster::Intersect(rect, context.buffer.Bounds());
        for (int y = damage.y; y < damage.Bottom(); ++y) {
            std::memcpy(context.buffer.Row(y) + damage.x, target.stillLayer.View().Row(y) + damage.x,
                        static_cast<size_t>(damage.width) * 4);
        }
        ComposeChildren(root, still, SIZE_MAX, size, context, false);
    }
}

// Hands the whole buffer to the window; `dirty` only limits what is updated.
bool PresentBuffer(TargetNode& target, RECT dirty) {
    SIZE windowSize = {target.width, target.height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UPDATELAYEREDWINDOWINFO info = {};
    info.cbSize = sizeof(info);
    info.psize = &windowSize;
    info.hdcSrc = target.memoryDc;
    info.pptSrc = &source;
    info.pblend = &blend;
    info.dwFlags = ULW_ALPHA;
    info.prcDirty = &dirty;
    if (UpdateLayeredWindowIndirect(target.hwnd, &info)) return true;
    info.prcDirty = nullptr;
    return UpdateLayeredWindowIndirect(target.hwnd, &info) != FALSE;
}

}  // namespace

bool TargetNode::PrepareBuffer() {
    RECT window = {};
    if (!hwnd || !GetWindowRect(hwnd, &window)) return false;
    const int w = window.right - window.left, h = window.bottom - window.top;
    // A new buffer comes cleared; one kept from an earlier frame is cleared
    // here. The window takes nothing but transparency; the next commit is
    // drawn in full whatever happens here.
    const bool kept = bits && width == w && height == h;
    if (w <= 0 || h <= 0 || !EnsureBuffer(*this, w, h)) return false;
    if (kept) std::memset(bits, 0, static_cast<size_t>(w) * h * 4);
    forceFull = true;
    return PresentBuffer(*this, {0, 0, w, h});
}

void TargetNode::ReleaseScratch() {
    scratch = ComposeScratch();
    stillLayer = raster::Image();
    stillKey = StillLayerKey();
    candidateKey = StillLayerKey();
    next = TreeSnapshot();
    damage = DamageRegion();
    layerDamage = DamageRegion();
}

TargetNode::~TargetNode() {
    if (root) root->isTargetRoot = false;
    ReleaseBuffer(*this);
}

bool TargetNode::CommitFrame() {
    if (!hwnd || !IsWindow(hwnd)) return false;
    RECT window = {};
    if (!GetWindowRect(hwnd, &window)) return false;
    int w = window.right - window.left, h = window.bottom - window.top;
    if (w <= 0 || h <= 0) return false;

    HostBackdrop& backdrop = owner->backdrop;
    Vector2 size = {static_cast<float>(w), static_cast<float>(h)};
    bool resized = w != width || h != height;
    bool moved = window.left != presentedWindow.left || window.top != presentedWindow.top;
    bool full = forceFull || resized || backdrop.Version() != presentedBackdropVersion;
    // What shows through the host backdrop depends on where the window is.
    if (moved) full = true;
    // Versions only grow: a tree with nothing newer than the last frame's is
    // as it was presented.
    const uint64_t newest = std::max(version, root ? NewestVersion(*root) : 0);
    if (!full && newest <= presentedNewest) return false;
    presentedNewest = newest;
    if (root) {
        TakeSnapshot(*root, size, next);
    } else {
        next.clear();
    }
    // The layer of the bottom children is brought up to date with their part
    // of the damage; a frame drawn in full makes it again.
    const size_t layerChildren = full || !root ? 0 : LayerChildren(*this, window, backdrop.Version());
    damage.Clear();
    layerDamage.Clear();
    uint64_t wholeGroups = ~uint64_t{0};
    if (full) {
        damage.Add({0, 0, w, h});
    } else {
        wholeGroups = 0;
        DamageBetween(presented, next, damage, &layerDamage, static_cast<int>(layerChildren), &wholeGroups);
    }
    damage.ClipTo({0, 0, w, h});
    layerDamage.ClipTo({0, 0, w, h});
    std::swap(presented, next);
    presentedWindow = window;
    presentedBackdropVersion = backdrop.Version();
    if (damage.IsEmpty()) return false;
    if (!EnsureBuffer(*this, w, h)) {
        DropLayer(*this);
        return false;
    }
    // A frame that fails half-way leaves the buffer and the layer behind the
    // snapshot: the next one is drawn in full.
    forceFull = true;

    LARGE_INTEGER frequency, started, composed, presentedAt;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    ComposeContext context;
    context.buffer = {bits, w, h, w};
    context.screenOrigin = {window.left, window.top};
    context.backdrop = &backdrop;
    context.scratch = &scratch;
    if (root) {
        ComposeWithStillLayer(*this, size, window, wholeGroups, layerChildren, context);
    } else {
        for (const raster::Rect& rect : damage.Rects()) raster::ClearRect(context.buffer, rect, 0);
    }

    forceFull = false;
    QueryPerformanceCounter(&composed);
    // One present for all of the damage: under Wine each call costs far more
    // than the pixels between the rectangles.
    const raster::Rect bounds = damage.Bounds();
    if (!PresentBuffer(*this, {bounds.x, bounds.y, bounds.Right(), bounds.Bottom()})) {
        // The window still shows an older frame: the next commit presents all
        // of it. A window that refuses every present would fill the log, so
        // each target says so once.
        DWORD error = GetLastError();
        forceFull = true;
        if (!presentFailureLogged) {
            presentFailureLogged = true;
            LogMessage(L"UpdateLayeredWindowIndirect failed (hwnd=%p): %lu", hwnd, static_cast<unsigned long>(error));
        }
        return false;
    }
    QueryPerformanceCounter(&presentedAt);
    lastComposeMs = 1000.0 * static_cast<double>(composed.QuadPart - started.QuadPart) / frequency.QuadPart;
    lastPresentMs = 1000.0 * static_cast<double>(presentedAt.QuadPart - composed.QuadPart) / frequency.QuadPart;
    lastDamage = bounds;
    lastDamagePixels = 0;
    for (const raster::Rect& rect : damage.Rects()) {
        lastDamagePixels += static_cast<long long>(rect.width) * rect.height;
    }
    ++presentCount;
    return true;
}

}  // namespace detail

void DesktopWindowTarget::Root(const Visual& root) {
    auto& target = Get();
    auto node = root.Node();
    if (node && (node->parent || (node->isTargetRoot && node != target.root))) ThrowHResult(E_INVALIDARG);
    if (target.root) target.root->isTargetRoot = false;
    target.root = node;
    if (node) {
        node->isTargetRoot = true;
    }
    target.forceFull = true;
    target.Touch();
}

RECT DesktopWindowTarget::LastDamage() const {
    const auto& d = Get().lastDamage;
    return {d.x, d.y, d.Right(), d.Bottom()};
}

raster::Image DesktopWindowTarget::PresentedPixels() const {
    const auto& target = Get();
    raster::Image image(target.width, target.height);
    if (target.bits) {
        std::memcpy(image.Data(), target.bits, static_cast<size_t>(target.width) * target.height * 4);
    }
    return image;
}

}  // namespace comp
