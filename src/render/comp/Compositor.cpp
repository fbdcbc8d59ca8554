#include "render/comp/Compositor.h"
#include "platform/ExceptionGuard.h"

#include <atomic>
#include <exception>

#include "platform/Log.h"
#include "platform/WindowBase.h"
#include "render/comp/CompositorState.h"
#include "render/comp/EffectCompiler.h"
#include "render/raster/Blur.h"

namespace comp {

namespace detail {

namespace {

constexpr UINT kCommitMessage = WM_APP + 0x7C0;
constexpr wchar_t kWindowClass[] = L"VantreelCompositorWindow";

// A failed frame is dropped and the next change composes again. A fault that
// repeats would fail every frame, so each kind of failure is logged once.
bool FirstFailureOfKind(CompositorState& state, unsigned kind) {
    bool first = !(state.loggedCommitFailures & kind);
    state.loggedCommitFailures |= kind;
    return first;
}

LRESULT CommitOnRequest(CompositorState& state, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kCommitMessage) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        state.commitPending = false;
        state.Commit();
    } catch (const HResultError&) {
        if (FirstFailureOfKind(state, 1)) platform::LogCaughtException(L"Compositor::Commit");
    } catch (const std::exception&) {
        if (FirstFailureOfKind(state, 2)) platform::LogCaughtException(L"Compositor::Commit");
    } catch (...) {
        if (FirstFailureOfKind(state, 4)) platform::LogCaughtException(L"Compositor::Commit");
    }
    return 0;
}

const platform::WindowBinding<CompositorState> kCommitWindowBinding{L"Compositor::CommitOnRequest",
                                                                    &CompositorState::messageWindow, &CommitOnRequest};

HWND CreateCommitWindow(CompositorState* state) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &platform::WindowProcedure<kCommitWindowBinding>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    if (!platform::RegisterWindowClass(wc)) return nullptr;
    return CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                           state);
}

}  // namespace

uint64_t NextVersion() {
    static std::atomic<uint64_t> counter{1};
    return ++counter;
}

Node::Node(std::shared_ptr<CompositorState> compositor)
    : owner(std::move(compositor)), version(NextVersion()), contentVersion(version) {}

void Node::Touch() {
    version = NextVersion();
    contentVersion = version;
    if (owner) owner->RequestCommit();
}

void Node::TouchPlacement() {
    version = NextVersion();
    if (owner) owner->RequestCommit();
}

CompositorState::CompositorState() { messageWindow = CreateCommitWindow(this); }

CompositorState::~CompositorState() {
    if (messageWindow) DestroyWindow(messageWindow);
}

void CompositorState::RequestCommit() {
    if (commitPending || committing || !messageWindow) return;
    commitPending = PostMessageW(messageWindow, kCommitMessage, 0, 0) != FALSE;
}

void CompositorState::Commit() {
    // A frame that throws must not leave the compositor believing it is still
    // committing: no change would ever be presented again.
    struct CommittingScope {
        bool& flag;
        explicit CommittingScope(bool& f) : flag(f) { flag = true; }
        ~CommittingScope() { flag = false; }
    } scope(committing);
    commitPending = false;
    backdrop.Refresh();
    std::erase_if(targets, [](const std::weak_ptr<TargetNode>& weak) { return weak.expired(); });
    auto alive = targets;  // a present may run window procedures that change the list
    for (auto& weak : alive) {
        if (auto target = weak.lock()) target->CommitFrame();
    }
    // The filtered pictures made for this frame are all the glass needs.
    backdrop.ReleaseUnfiltered();
}

void CompositorState::ReleaseScratch() {
    for (auto& weak : targets) {
        if (auto target = weak.lock()) target->ReleaseScratch();
    }
    raster::ReleaseKeptBlurBuffer();
    backdrop.ReleaseUnfiltered();
}

}  // namespace detail

Compositor::Compositor() : state_(std::make_shared<detail::CompositorState>()) {}

detail::CompositorState& Compositor::State() const {
    if (!state_) ThrowHResult(E_POINTER);
    return *state_;
}

ContainerVisual Compositor::CreateContainerVisual() const {
    return ContainerVisual(std::make_shared<detail::VisualNode>(state_, false));
}

SpriteVisual Compositor::CreateSpriteVisual() const {
    State();
    return SpriteVisual(std::make_shared<detail::VisualNode>(state_, true));
}

CompositionColorBrush Compositor::CreateColorBrush() const { return CreateColorBrush(Color{}); }

CompositionColorBrush Compositor::CreateColorBrush(Color color) const {
    State();
    auto brush = std::make_shared<detail::BrushNode>(state_, detail::BrushNode::Kind::Color);
    brush->color = color;
    return CompositionColorBrush(brush);
}

CompositionSurfaceBrush Compositor::CreateSurfaceBrush() const {
    State();
    return CompositionSurfaceBrush(std::make_shared<detail::BrushNode>(state_, detail::BrushNode::Kind::Surface));
}

CompositionSurfaceBrush Compositor::CreateSurfaceBrush(const CompositionDrawingSurface& surface) const {
    CompositionSurfaceBrush brush = CreateSurfaceBrush();
    brush.Surface(surface);
    return brush;
}

CompositionNineGridBrush Compositor::CreateNineGridBrush() const {
    State();
    return CompositionNineGridBrush(std::make_shared<detail::BrushNode>(state_, detail::BrushNode::Kind::NineGrid));
}

CompositionMaskBrush Compositor::CreateMaskBrush() const {
    State();
    return CompositionMaskBrush(std::make_shared<detail::BrushNode>(state_, detail::BrushNode::Kind::Mask));
}

CompositionBackdropBrush Compositor::CreateHostBackdropBrush() const {
    if (State().backdrop.CreationFails()) ThrowHResult(E_NOTIMPL);
    return CompositionBackdropBrush(std::make_shared<detail::BrushNode>(state_, detail::BrushNode::Kind::HostBackdrop));
}

CompositionEffectFactory Compositor::CreateEffectFactory(IGraphicsEffect* effect) const {
    State();
    auto factory = std::make_shared<detail::EffectFactoryNode>(state_);
    factory->program = detail::CompileEffect(effect);
    return CompositionEffectFactory(factory);
}

CompositionRoundedRectangleGeometry Compositor::CreateRoundedRectangleGeometry() const {
    State();
    return CompositionRoundedRectangleGeometry(std::make_shared<detail::GeometryNode>(state_));
}

CompositionGeometricClip Compositor::CreateGeometricClip() const {
    State();
    return CompositionGeometricClip(std::make_shared<detail::ClipNode>(state_, detail::ClipNode::Kind::Geometric));
}

CompositionGeometricClip Compositor::CreateGeometricClip(const CompositionRoundedRectangleGeometry& geometry) const {
    CompositionGeometricClip clip = CreateGeometricClip();
    clip.Geometry(geometry);
    return clip;
}

InsetClip Compositor::CreateInsetClip() const {
    State();
    return InsetClip(std::make_shared<detail::ClipNode>(state_, detail::ClipNode::Kind::Inset));
}

InsetClip Compositor::CreateInsetClip(float left, float top, float right, float bottom) const {
    InsetClip clip = CreateInsetClip();
    clip.LeftInset(left);
    clip.TopInset(top);
    clip.RightInset(right);
    clip.BottomInset(bottom);
    return clip;
}

DesktopWindowTarget Compositor::CreateDesktopWindowTarget(HWND window, bool /*isTopmost*/) const {
    auto& state = State();
    if (!window || !IsWindow(window)) ThrowHResult(E_INVALIDARG);
    LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (!(style & WS_EX_LAYERED)) SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    auto target = std::make_shared<detail::TargetNode>(state_, window);
    state.targets.push_back(target);
    target->Touch();
    return DesktopWindowTarget(target);
}

CompositionGraphicsDevice Compositor::CreateGraphicsDevice(ID2D1Device* device) const {
    State();
    if (!device) ThrowHResult(E_INVALIDARG);
    auto node = std::make_shared<detail::GraphicsDeviceNode>(state_);
    node->d2dDevice = device;
    return CompositionGraphicsDevice(node);
}

void Compositor::Commit() const { State().Commit(); }

bool Compositor::CommitPending() const { return State().commitPending; }

void Compositor::ReleaseScratch() const { State().ReleaseScratch(); }

HostBackdrop& Compositor::Backdrop() const { return State().backdrop; }

}  // namespace comp
