#include "render/GlassWindowTree.h"

bool BuildGlassWindowTree(CompositionHost& host, HWND window, float blurAmount, GlassStyle style,
                          comp::DesktopWindowTarget& target, comp::ContainerVisual& root, GlassLayer& glass,
                          comp::SpriteVisual& content) {
    target = host.CreateWindowTarget(window);
    if (!target) return false;
    root = host.compositor.CreateContainerVisual();
    root.RelativeSizeAdjustment({1.0f, 1.0f});
    target.Root(root);
    glass.Initialize(host, blurAmount, style);
    content = host.compositor.CreateSpriteVisual();
    root.Children().InsertAtTop(glass.root);
    root.Children().InsertAtTop(content);
    return true;
}
