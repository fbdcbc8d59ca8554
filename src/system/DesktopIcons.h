#pragma once
// The desktop's icon view, for the control center's desktop-icons tile: where
// it is, and whether its icons are shown.

#include <windows.h>

namespace vantreel {

// The desktop's "SHELLDLL_DefView": under "Progman", else under the first
// top-level window that holds one (a "WorkerW" once the wallpaper has been
// animated); null when there is none.
HWND FindDesktopDefView();

// Whether the icon list of the view is visible; without a view (or list), the
// user's "HideIcons" setting decides.
bool AreDesktopIconsVisible();

// The "HideIcons" setting alone: visible when it is 0 or cannot be read.
bool DesktopIconsVisibleBySetting();

}  // namespace vantreel
