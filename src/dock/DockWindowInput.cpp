// The dock's pointer: hover and magnification, the clicks that launch, raise,
// cycle or minimise, dragging an icon to reorder or unpin it, the context
// menus, and files dragged over and dropped on the dock.
#include "dock/DockWindow.h"
#include "platform/ExceptionGuard.h"

#include <windowsx.h>

#include <optional>

#include "platform/Log.h"
#include "dock/DockDragStep.h"
#include "dock/DockMenuRows.h"
#include "dock/PinnedAppFrom.h"
#include "dock/WindowCycling.h"

namespace {

constexpr float kHitToleranceDip = 6.0f;
// A dock that has mostly slid away takes no clicks: its strip only reveals it.
constexpr float kHiddenTakesNoClicks = 0.45f;
constexpr UINT kRehideDelayMs = 420;
// Closed windows take a moment to go; the list is read again after it.
constexpr UINT kAfterCloseRefreshMs = 150;
// Files dragged over the dock magnify it more softly than the pointer does.
constexpr float kFileDragMagnify = 0.65f;

POINT ClientPointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

void DockWindow::HandlePointerMessage(UINT message, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            OnPointerMove(ClientPointOf(lParam));
            break;
        case WM_LBUTTONDOWN:
            OnLeftButtonDown(ClientPointOf(lParam));
            break;
        case WM_LBUTTONUP:
            OnLeftButtonUp();
            break;
        case WM_CAPTURECHANGED:
            OnCaptureLost();
            break;
        case WM_MOUSELEAVE:
            OnPointerLeave();
            break;
        case WM_RBUTTONUP: {
            if (hideSpring.value > kHiddenTakesNoClicks) break;
            POINT client = ClientPointOf(lParam);
            int index = HitTestClient(client);
            POINT screen = client;
            ClientToScreen(inputWindow, &screen);
            ShowContextMenu(index, screen);
            break;
        }
        case WM_MBUTTONUP:
            OnMiddleButtonUp(ClientPointOf(lParam));
            break;
        default:
            break;
    }
}

void DockWindow::ClientToDip(POINT client, float& x, float& y) const {
    POINT p = client;
    ClientToScreen(inputWindow, &p);
    ScreenToClient(visualWindow, &p);
    x = static_cast<float>(p.x) / scale;
    y = static_cast<float>(p.y) / scale;
}

int DockWindow::HitTestClient(POINT client) const {
    float x = 0.0f, y = 0.0f;
    ClientToDip(client, x, y);
    int index = layout.HitTestIcon(x, y, kHitToleranceDip);
    return index < static_cast<int>(model.items.size()) ? index : -1;
}

// The magnified row moves under a pointer that stays put (it follows the last
// move for a while): what lies under the pointer is asked again each frame,
// or the label would keep naming an item the pointer has left.
void DockWindow::HitTestStillPointer() {
    if (!hovering || dragging || dropIndex >= 0 || hideSpring.target > 0.5f) return;
    const int index = layout.HitTestIcon(cursorX, cursorY, kHitToleranceDip);
    hoverIndex = index < static_cast<int>(model.items.size()) ? index : -1;
}

int DockWindow::ResolvePressedIndex() {
    pressedIndex = pressedId != 0 ? model.IndexOfId(pressedId) : -1;
    return pressedIndex;
}

void DockWindow::OnPointerMove(POINT client) {
    KillTimer(inputWindow, kRevealTimer);
    // Armed on every move, not once per visit: a leave that happens while
    // another program holds the mouse (a file dragged away over the dock) may
    // never be reported, and a dock that believes it is still watching would
    // stay magnified after the pointer left.
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = inputWindow;
    TrackMouseEvent(&track);
    if (config.hideDockOnFullscreen && fullscreenOverlap && !revealed) {
        revealed = true;
        hideSpring.target = 0.0f;
    }
    float x = 0.0f, y = 0.0f;
    ClientToDip(client, x, y);
    hovering = true;
    cursorX = x;
    cursorY = y;
    magnifySpring.target = 1.0f;

    if (pressed) {
        if (ResolvePressedIndex() < 0) {
            // The pressed item went away with its windows.
            EndPressAsCaptureLoss();
            if (GetCapture() == inputWindow) ReleaseCapture();
        } else if (model.IsInPinnedRange(pressedIndex)) {
            StepDrag();
            if (dragging) {
                RequestFrame();
                return;
            }
        }
    }
    hoverIndex = layout.HitTestIcon(x, y, kHitToleranceDip);
    RequestFrame();
}

void DockWindow::StepDrag() {
    POINT cursor;
    if (!GetCursorPos(&cursor)) return;
    if (!dragging && !DragThresholdCrossed(pressPoint, cursor, scale)) return;

    POINT band = cursor;
    ScreenToClient(visualWindow, &band);
    DockDragInput in;
    in.pressPoint = pressPoint;
    in.cursor = cursor;
    in.scale = scale;
    in.dragging = dragging;
    in.pinned = model.items[pressedIndex].pinned;
    in.pressedIndex = pressedIndex;
    in.cursorDipX = static_cast<float>(band.x) / scale;
    in.runFirst = model.FirstNonLaunchpadIndex();
    in.runCount = model.PinnedCount();
    in.itemCount = static_cast<int>(layout.items.size());
    DockDragStep step = StepDockDrag(in, BuildLayoutInput());

    dragging = step.dragging;
    if (step.started) BeginDragVisual();
    dragOffsetY = step.dragOffsetY;
    unpinIntent = step.unpinIntent;
    if (step.reorderTo < 0) return;
    LogMessage(L"drag reorder: %d -> %d (cursor=%.1f dip)", pressedIndex, step.reorderTo,
               static_cast<double>(in.cursorDipX));
    if (step.moveInModel) {
        DockItem moving = std::move(model.items[pressedIndex]);
        model.items.erase(model.items.begin() + pressedIndex);
        model.items.insert(model.items.begin() + step.reorderTo, std::move(moving));
        dragReordered = true;
    }
    pressedIndex = step.reorderTo;
    // The frame this move asked for lays the row out again; nothing before it
    // reads the layout while a drag goes on.
    SyncVisualsAfterReorder();
}

void DockWindow::BeginDragVisual() {
    if (!itemsRoot || pressedId == 0) return;
    try {
        for (const auto& visual : itemVisuals) {
            if (visual.id != static_cast<uint64_t>(pressedId) || !visual.container) continue;
            itemsRoot.Children().Remove(visual.container);
            itemsRoot.Children().InsertAtTop(visual.container);
            dragVisualRaised = true;
            return;
        }
    } catch (...) {
        platform::LogCaughtException(L"DockWindow::BeginDragVisual");
        // A visual that can't be raised is drawn in its own place; the drag goes on.
    }
}

void DockWindow::OnLeftButtonDown(POINT client) {
    if (hideSpring.value > kHiddenTakesNoClicks) return;
    int index = HitTestClient(client);
    pressedIndex = index;
    if (index < 0) return;
    pressed = true;
    dragging = false;
    unpinIntent = false;
    dragReordered = false;
    dragOffsetY = 0.0f;
    pressedId = model.items[index].id;
    GetCursorPos(&pressPoint);
    SetCapture(inputWindow);
}

void DockWindow::OnLeftButtonUp() {
    if (!pressed) return;
    if (ResolvePressedIndex() < 0) {
        EndPressAsCaptureLoss();
        if (GetCapture() == inputWindow) ReleaseCapture();
        return;
    }
    const bool wasDragging = dragging;
    const bool wasUnpinning = unpinIntent;
    const int row = pressedIndex;
    const int64_t id = pressedId;
    // Cleared before the capture goes: WM_CAPTURECHANGED arrives inside
    // ReleaseCapture and must find no press left to end.
    ClearPress();
    ReleaseCapture();

    if (!wasDragging) {
        ActivateItem(row);
        return;
    }
    if (dragVisualRaised) {
        dragVisualRaised = false;
        RebuildVisuals();
    }
    if (wasUnpinning && model.IsInPinnedRange(row)) {
        model.Unpin(id);
        RebuildVisuals();
    }
    SavePinnedList();
    LeaveIfPointerOutside();
    RequestFrame();
}

void DockWindow::ClearPress() {
    pressed = false;
    dragging = false;
    unpinIntent = false;
    dragReordered = false;
    dragOffsetY = 0.0f;
    pressedIndex = -1;
    pressedId = 0;
}

// The leave notice that came during a drag was set aside; a drag that ends
// away from the dock must still let the magnification and the label go.
void DockWindow::LeaveIfPointerOutside() {
    POINT cursor;
    if (inputWindow && GetCursorPos(&cursor) && !PtInRect(&inputRect, cursor)) OnPointerLeave();
}

void DockWindow::EndPressAsCaptureLoss() {
    // What is on screen is what the file should hold: a reorder that already
    // happened is kept. Only a release unpins.
    const bool reordered = dragReordered;
    if (dragVisualRaised) {
        dragVisualRaised = false;
        RebuildVisuals();
    }
    ClearPress();
    if (reordered) SavePinnedList();
    LeaveIfPointerOutside();
    RequestFrame();
}

void DockWindow::OnCaptureLost() { EndPressAsCaptureLoss(); }

void DockWindow::OnPointerLeave() {
    if (dragging) return;
    hovering = false;
    magnifySpring.target = 0.0f;
    hoverIndex = -1;
    if (config.hideDockOnFullscreen && fullscreenOverlap && !menuOpen) {
        SetTimer(inputWindow, kRevealTimer, kRehideDelayMs, nullptr);
    }
    RequestFrame();
}

void DockWindow::OnMiddleButtonUp(POINT client) {
    int index = HitTestClient(client);
    if (index < 0) return;
    const DockItem item = model.items[index];
    if (item.kind != DockItemKind::App || item.path.empty()) return;
    // A launch that cannot happen is not shown as one that did.
    if (shellActions.launchApp(item.path, item.args)) StartBounce(item.id);
}

void DockWindow::ActivateItem(int index, bool fromMenu) {
    if (index < 0 || index >= static_cast<int>(model.items.size())) return;
    // A copy: launching and raising can run messages that change the model.
    const DockItem item = model.items[index];
    switch (item.kind) {
        case DockItemKind::Launchpad:
            ToggleAllApps();
            break;
        case DockItemKind::App:
            if (item.running && !item.windows.empty()) {
                WindowClickChoice choice = ChooseWindowForClick(item.windows, shellActions.foregroundWindow(),
                                                                shellActions.isIconic, shellActions.isWindow);
                // The menu's "activate" asks for the window, never to put it
                // away: the application is often in front again only because
                // the closing menu handed the foreground back to it.
                if (choice.action == WindowClickAction::Minimize && fromMenu) {
                    shellActions.activateWindow(choice.window);
                } else if (choice.action == WindowClickAction::Minimize) {
                    shellActions.showWindowAsync(choice.window, SW_MINIMIZE);
                } else if (choice.action == WindowClickAction::Activate) {
                    shellActions.activateWindow(choice.window);
                }
            } else if (!item.path.empty()) {
                if (shellActions.launchApp(item.path, item.args)) StartBounce(item.id);
            }
            break;
        case DockItemKind::RecycleBin:
            shellActions.openRecycleBin();
            break;
        case DockItemKind::Settings:
            OpenSettings();
            break;
        case DockItemKind::Separator:
            break;
    }
}

void DockWindow::ShowContextMenu(int index, POINT screen) {
    const bool onItem = index >= 0 && index < static_cast<int>(model.items.size());
    const DockItem* item = onItem ? &model.items[index] : nullptr;
    if (item && item->kind == DockItemKind::Launchpad) return;
    // A second right-click while a menu shows would open a nested one that
    // returns at once; during a left press the capture would swallow the menu.
    if (menuOpen || pressed) return;
    std::vector<MacMenuItem> rows = ContextMenuRowsFor(item, taskbarHider.IsHiding());
    const int64_t id = item ? item->id : 0;

    menuOpen = true;
    int chosen = menu.ShowModal(screen, rows, config, scale);
    menuOpen = false;
    if (config.hideDockOnFullscreen && fullscreenOverlap && inputWindow) {
        SetTimer(inputWindow, kRevealTimer, kRehideDelayMs, nullptr);
    }
    if (chosen != 0) RunMenuCommand(chosen, id);
}

void DockWindow::RunMenuCommand(int command, int64_t itemId) {
    switch (command) {
        case kDockMenuOpenBin:
            shellActions.openRecycleBin();
            return;
        case kDockMenuEmptyBin:
            shellActions.emptyRecycleBin(inputWindow);
            RebuildVisuals();
            RequestFrame();
            return;
        case kDockMenuAllApps:
            ToggleAllApps();
            return;
        case kDockMenuSettings:
            OpenSettings();
            return;
        case kDockMenuTaskbar:
            ToggleNativeTaskbar();
            return;
        case kDockMenuQuit:
            LogMessage(L"exit: dock context menu quit command");
            PostQuitMessage(0);
            return;
        default:
            break;
    }

    // The application's commands act on the item as it is now: the window
    // list may have changed it, moved it or taken it away while the menu showed.
    const int index = itemId != 0 ? model.IndexOfId(itemId) : -1;
    if (index < 0) return;
    const DockItem item = model.items[index];
    switch (command) {
        case kDockMenuActivate:
            ActivateItem(index, true);
            break;
        case kDockMenuPinToggle:
            if (item.pinned) {
                model.Unpin(item.id);
            } else if (item.kind == DockItemKind::App) {
                model.items[index].pinned = true;
            }
            SavePinnedList();
            RebuildVisuals();
            RequestFrame();
            break;
        case kDockMenuOpenLocation:
            if (!item.path.empty()) shellActions.openFileLocation(item.path);
            break;
        case kDockMenuClose:
            for (HWND window : item.windows) {
                if (shellActions.isWindow(window)) shellActions.closeWindow(window);
            }
            if (inputWindow) SetTimer(inputWindow, kRefreshTimer, kAfterCloseRefreshMs, nullptr);
            break;
        default:
            break;
    }
}

void DockWindow::SavePinnedList() {
    config.pinned = model.GetPinnedApps();
    SaveToFile();
}

void DockWindow::DragFilesOver(POINT screen) {
    POINT band = screen;
    ScreenToClient(visualWindow, &band);
    const float x = static_cast<float>(band.x) / scale;
    hovering = true;
    cursorX = x;
    magnifySpring.target = kFileDragMagnify;
    dropIndex = layout.SlotIndexAtX(x, model.FirstNonLaunchpadIndex(), model.PinnedCount());
    RequestFrame();
}

void DockWindow::DragFilesLeave() {
    dropIndex = -1;
    hovering = false;
    magnifySpring.target = 0.0f;
    RequestFrame();
}

void DockWindow::PinDroppedFiles(const std::vector<std::wstring>& paths, POINT screen) {
    POINT band = screen;
    ScreenToClient(visualWindow, &band);
    const float x = static_cast<float>(band.x) / scale;
    int slot = layout.SlotIndexAtX(x, model.FirstNonLaunchpadIndex(), model.PinnedCount());
    // One drop pins no more than the dock can show at its smallest icons; a
    // wider row would run off the screen and take its ends with it.
    const int room = BuildLayoutInput().RoomForIcons();
    int pinned = 0;
    size_t skipped = 0;
    for (const std::wstring& path : paths) {
        if (pinned >= room) {
            ++skipped;
            continue;
        }
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        std::optional<PinnedApp> entry = PinnedAppFromFile(path);
        if (!entry) continue;
        // Several files keep their order: each one goes after the one before.
        if (model.PinApp(*entry, slot)) {
            ++slot;
            ++pinned;
        }
    }
    if (skipped > 0) {
        LogMessage(L"Dock drop: %d of %llu files pinned, %llu skipped: the dock has no room for more", pinned,
                   static_cast<unsigned long long>(paths.size()), static_cast<unsigned long long>(skipped));
    }
    const bool changed = pinned > 0;
    dropIndex = -1;
    hovering = false;
    magnifySpring.target = 0.0f;
    if (changed) {
        SavePinnedList();
        RebuildVisuals();
    }
    RequestFrame();
}
