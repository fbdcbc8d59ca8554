// The launcher's hit tests and its pointer and keyboard input: what a click,
// a drag, a wheel notch or a key does to the panel's state.
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "allapps/AllAppsGeometry.h"
#include "allapps/AllAppsSearchText.h"
#include "allapps/AllAppsWindow.h"
#include "platform/Log.h"

namespace {

constexpr UINT_PTR kCaretTimer = 1;
constexpr float kDragStartDip = 14.0f;
constexpr float kPageTurnDip = 54.0f;
constexpr size_t kPasteLimit = 128;

float CellHeight(float h) { return std::max(h - 208.0f, 100.0f) / 4.0f; }

float SearchWidth(float w) { return std::clamp(w - 160.0f, 120.0f, 400.0f); }

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

bool AppendPastedText(std::wstring& search, const wchar_t* text, size_t units, size_t limit) {
    bool appended = false;
    for (size_t i = 0; i < units && text[i] != 0 && search.size() < limit; ++i) {
        const wchar_t unit = text[i];
        if (!IsPrintableUnit(unit)) continue;
        if (IsLowSurrogate(unit)) continue;  // half of a pair: nothing a search can match
        if (IsHighSurrogate(unit)) {
            const bool whole = i + 1 < units && IsLowSurrogate(text[i + 1]);
            if (!whole) continue;
            if (search.size() + 2 > limit) break;
            search.push_back(unit);
            search.push_back(text[++i]);
        } else {
            search.push_back(unit);
        }
        appended = true;
    }
    return appended;
}

void RemoveLastCharacter(std::wstring& search) {
    const size_t size = search.size();
    if (size == 0) return;
    const bool pair = size >= 2 && IsLowSurrogate(search[size - 1]) && IsHighSurrogate(search[size - 2]);
    search.resize(size - (pair ? 2 : 1));
}

int AllAppsWindow::HitTestTile(float x, float y) const {
    const float w = panelWidth;
    const float ch = CellHeight(panelHeight);
    if (x < kGridLeft || x >= w - kGridLeft || y < kGridTop || y >= kGridTop + 4.0f * ch) return -1;
    const int column = static_cast<int>((x - kGridLeft) / ((w - 56.0f) / 6.0f));
    const int row = static_cast<int>((y - kGridTop) / ch);
    const int slot = column + kGridColumns * row;
    if (slot > kSlotsPerPage - 1) return -1;
    const size_t index = static_cast<size_t>(page) * kSlotsPerPage + static_cast<size_t>(slot);
    return index < visibleEntries.size() ? slot : -1;
}

bool AllAppsWindow::HitTestSearchBox(float x, float y) const {
    const float sw = SearchWidth(panelWidth);
    const float x0 = (panelWidth - sw) / 2.0f;
    return x >= x0 && x <= x0 + sw && y >= 18.0f && y <= 54.0f;
}

bool AllAppsWindow::HitTestSearchClear(float x, float y) const {
    if (searchText.empty()) return false;
    const float sw = SearchWidth(panelWidth);
    const float x1 = (panelWidth - sw) / 2.0f + sw;
    return x >= x1 - 30.0f && x <= x1 - 4.0f && y >= 22.0f && y <= 50.0f;
}

int AllAppsWindow::HitTestCategoryTab(float x, float y) const {
    if (openFolder || y < 62.0f || y > 90.0f) return -1;
    const TabLayout tabs = TabsFor(panelWidth);
    for (int i = 0; i < 8; ++i) {
        const float left = TabLeft(tabs, i);
        if (x >= left && x <= left + tabs.width) return i;
    }
    return -1;
}

bool AllAppsWindow::HitTestRestoreAll(float x, float y) const {
    if (!hiddenView || openFolder || hiddenKeys.empty()) return false;
    const float mid = panelWidth / 2.0f;
    return x >= mid + 29.5f && x <= mid + 145.5f && y >= panelHeight - 42.0f && y <= panelHeight - 10.0f;
}

bool AllAppsWindow::HitTestPowerButton(float x, float y) const {
    if (openFolder) return false;
    return std::fabs(x - panelWidth / 2.0f) <= 17.5f && std::fabs(y - (panelHeight - 26.0f)) <= 17.5f;
}

bool AllAppsWindow::HitTestCloseButton(float x, float y) const {
    return x >= panelWidth - 50.0f && x <= panelWidth - 12.0f && y >= 12.0f && y <= 42.0f;
}

int AllAppsWindow::HitTestFooterButton(float x, float y) const {
    if (y < panelHeight - 42.0f || y > panelHeight - 10.0f) return -1;
    if (x >= 24.0f && x <= 156.0f) return 0;
    if (x >= panelWidth - 156.0f && x <= panelWidth - 24.0f) return 1;
    return -1;
}

int AllAppsWindow::HitTestIndexLetter(float x, float y) const {
    const size_t n = indexLetters.size();
    if (n < 2) return -1;
    const IndexBarLayout bar = IndexBarFor(panelWidth, n);
    if (x < bar.left + 4.0f || x >= bar.left + bar.width - 4.0f) return -1;
    if (y < panelHeight - 88.0f || y > panelHeight - 58.0f) return -1;
    const int letter = static_cast<int>((x - bar.left - 4.0f) / bar.cell);
    return std::clamp(letter, 0, static_cast<int>(n) - 1);
}

bool AllAppsWindow::HitTestBackButton(float x, float y) const {
    return openFolder && x >= 28.0f && x <= 104.0f && y >= 62.0f && y <= 90.0f;
}

int AllAppsWindow::HitTestPageDot(float x, float y) const {
    if (pageCount <= 1 || std::fabs(y - (panelHeight - 97.0f)) > 10.0f) return -1;
    const float first = (panelWidth - static_cast<float>(pageCount - 1) * 14.0f) / 2.0f;
    for (int i = 0; i < pageCount; ++i) {
        if (std::fabs(x - (static_cast<float>(i) * 14.0f + first)) <= 7.0f) return i;
    }
    return -1;
}

void AllAppsWindow::ActivateEntry(int slot) {
    if (slot < 0) return;
    const size_t index = static_cast<size_t>(page) * kSlotsPerPage + static_cast<size_t>(slot);
    if (index >= visibleEntries.size()) return;
    const InstalledApp* entry = visibleEntries[index];
    if (entry->isFolder) {
        pageBeforeFolder = page;
        openFolder = entry;
        page = 0;
        hoveredSlot = -1;
        backHovered = false;
        RefreshAll();
        return;
    }
    // Copied: the entry lives in a catalog that may be replaced while it starts.
    StartEntry(InstalledApp(*entry));
}

bool AllAppsWindow::StartEntry(const InstalledApp& entry) {
    if (!planLaunch || !startLaunch) return false;
    const EntryLaunch launch = planLaunch(entry);
    if (!launch) return false;
    Hide();
    startLaunch(launch);
    return true;
}

void AllAppsWindow::ActivateForeground() {
    if (!window || !IsWindow(window)) return;
    const uint64_t start = GetTickCount64();
    AllowSetForegroundWindow(ASFW_ANY);
    const bool foregroundOk = SetForegroundWindow(window) != FALSE;
    const uint64_t afterSet = GetTickCount64();
    if (!foregroundOk) SwitchToThisWindow(window, TRUE);
    const uint64_t afterSwitch = GetTickCount64();
    SetFocus(window);
    const uint64_t end = GetTickCount64();
    if (end - start > 7) {
        LogMessage(L"AllApps perf: activate fgOk=%d setfg=%llu switch=%llu focus=%llu", foregroundOk ? 1 : 0,
                   static_cast<unsigned long long>(afterSet - start),
                   static_cast<unsigned long long>(afterSwitch - afterSet),
                   static_cast<unsigned long long>(end - afterSwitch));
    }
}

void AllAppsWindow::SearchEdited() {
    indexLetter = 0;
    page = 0;
    RestartCaretBlink();
    RefreshAll(LabelPace::WithinShare);
    UpdateImeWindow();
}

void AllAppsWindow::ClearSearch() {
    searchText.clear();
    imeComposition.clear();
    SearchEdited();
}

void AllAppsWindow::CloseFolder() {
    openFolder = nullptr;
    page = pageBeforeFolder;
    hoveredSlot = -1;
    backHovered = false;
    RefreshAll(LabelPace::WithinShare);
}

void AllAppsWindow::FilterChanged() {
    page = 0;
    hoveredSlot = -1;
    RefreshAll(LabelPace::WithinShare);
}

void AllAppsWindow::RestartCaretBlink() {
    const bool blinking = caretBlink.Restart(tickCount());
    if (!window) return;
    if (blinking) {
        SetTimer(window, kCaretTimer, caretBlink.IntervalMs(), nullptr);
    } else {
        KillTimer(window, kCaretTimer);
    }
}

void AllAppsWindow::FocusSearch(bool placeIme) {
    RestartCaretBlink();
    if (placeIme) UpdateImeWindow();
    RedrawChrome();
}

void AllAppsWindow::OnPointerDown(float x, float y) {
    if (window && (GetForegroundWindow() != window || GetFocus() != window)) ActivateForeground();
    if (HitTestSearchBox(x, y)) {
        FocusSearch(true);
        return;
    }
    const float ch = CellHeight(panelHeight);
    if (pageCount > 1 && x >= kGridLeft && x < panelWidth - kGridLeft && y >= kGridTop && y < kGridTop + 4.0f * ch) {
        dragArmed = true;
        dragging = false;
        dragStartX = x;
        dragStartY = y;
    }
}

void AllAppsWindow::OnPointerMove(float x, float y) {
    if (window) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
    }
    if (dragArmed) {
        float dx = x - dragStartX;
        const float dy = y - dragStartY;
        if (!dragging && std::fabs(dx) > kDragStartDip && 1.25f * std::fabs(dy) < std::fabs(dx)) {
            dragging = true;
            if (window) SetCapture(window);
            hoveredSlot = -1;
            RedrawHover();
        }
        if (dragging) {
            if ((dx > 0.0f && page == 0) || (dx < 0.0f && page >= pageCount - 1)) dx *= 0.3f;
            slideOffset = dx;
            slideOpacity = 1.0f - std::min(std::fabs(dx) / 360.0f, 0.28f);
            ApplyPageOffset();
            return;
        }
    }

    const int slot = HitTestTile(x, y);
    const int tab = HitTestCategoryTab(x, y);
    const bool back = HitTestBackButton(x, y);
    const bool close = HitTestCloseButton(x, y);
    const int footer = HitTestFooterButton(x, y);
    const int letter = HitTestIndexLetter(x, y);
    const bool search = HitTestSearchBox(x, y);
    const bool clear = HitTestSearchClear(x, y);
    const bool restore = HitTestRestoreAll(x, y);
    const bool power = HitTestPowerButton(x, y);

    const float ch = CellHeight(panelHeight);
    const bool inGrid = x >= kGridLeft && x < panelWidth - kGridLeft && y >= kGridTop && y < kGridTop + 4.0f * ch;
    if (inGrid) {
        pointerInGrid = true;
        pointerX = x;
        pointerY = y;
        gridSpring.target = 1.0f;
        tilesAnimating = true;
        FireRequestFrame();
    } else if (pointerInGrid) {
        pointerInGrid = false;
        gridSpring.target = 0.0f;
        tilesAnimating = true;
        FireRequestFrame();
    }
    if (letter >= 0) {
        pointerOnIndexBar = true;
        indexPointerX = x;
        indexSpring.target = 1.0f;
        indexAnimating = true;
        FireRequestFrame();
    } else if (pointerOnIndexBar) {
        pointerOnIndexBar = false;
        indexSpring.target = 0.0f;
        indexAnimating = true;
        FireRequestFrame();
    }

    if (slot != hoveredSlot) {
        hoveredSlot = slot;
        RedrawHover();
    }
    if (letter != hoveredLetter) {
        hoveredLetter = letter;
        RedrawIndexBar();
    }
    if (tab != hoveredTab || back != backHovered || close != closeHovered || footer != hoveredFooter ||
        search != searchHovered || clear != searchClearHovered || restore != restoreAllHovered ||
        power != powerHovered) {
        hoveredTab = tab;
        backHovered = back;
        closeHovered = close;
        hoveredFooter = footer;
        searchHovered = search;
        searchClearHovered = clear;
        restoreAllHovered = restore;
        powerHovered = power;
        RedrawChrome();
    }
}

void AllAppsWindow::OnRelease(float x, float y) {
    const bool wasDragging = dragging;
    dragArmed = dragging = false;
    if (!wasDragging) {
        OnClick(x, y);
        return;
    }
    if (window && GetCapture() == window) ReleaseCapture();
    const float dx = x - dragStartX;
    if (dx < -kPageTurnDip && page + 1 < pageCount) {
        GoToPage(page + 1, +1);
    } else if (dx > kPageTurnDip && page > 0) {
        GoToPage(page - 1, -1);
    } else {
        sliding = true;
        FireRequestFrame();
    }
}

void AllAppsWindow::OnClick(float x, float y) {
    if (x < 0.0f || x > panelWidth || y < 0.0f || y > panelHeight) {
        Hide();
        return;
    }
    if (HitTestCloseButton(x, y)) {
        Hide();
        return;
    }
    if (HitTestSearchClear(x, y)) {
        searchClearHovered = false;
        ClearSearch();
        return;
    }
    if (HitTestSearchBox(x, y)) {
        ActivateForeground();
        FocusSearch(true);
        return;
    }
    if (HitTestRestoreAll(x, y)) {
        hiddenKeys.clear();
        if (callbacks.onUnhideAll) callbacks.onUnhideAll();
        hoveredSlot = -1;
        restoreAllHovered = false;
        RefreshAll();
        return;
    }
    if (HitTestBackButton(x, y)) {
        CloseFolder();
        return;
    }
    const int tab = HitTestCategoryTab(x, y);
    if (tab == kAllAppsTabHidden) {
        if (!hiddenView) {
            hiddenView = true;
            indexLetter = 0;
            FilterChanged();
        }
        return;
    }
    if (tab >= 0) {
        if (hiddenView || tab != categoryTab) {
            hiddenView = false;
            categoryTab = tab;
            indexLetter = 0;
            FilterChanged();
        }
        return;
    }
    const int letter = HitTestIndexLetter(x, y);
    if (letter >= 0) {
        const uint16_t value = indexLetters[static_cast<size_t>(letter)];
        const uint16_t next = value == indexLetter ? 0 : value;
        if (next != indexLetter) {
            indexLetter = next;
            FilterChanged();
        }
        return;
    }
    const int dot = HitTestPageDot(x, y);
    if (dot >= 0) {
        if (dot != page) GoToPage(dot, dot > page ? +1 : -1);
        return;
    }
    if (HitTestPowerButton(x, y)) {
        ShowPowerMenu();
        return;
    }
    const int footer = HitTestFooterButton(x, y);
    if (footer == 0) {
        Hide();
        if (openSettings) openSettings();
        return;
    }
    if (footer == 1) {
        Hide();
        if (launchApp) launchApp(L"taskmgr.exe", L"");
        return;
    }
    const int slot = HitTestTile(x, y);
    if (slot >= 0) ActivateEntry(slot);
}

bool AllAppsWindow::OnKeyDown(WPARAM key) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
        case VK_ESCAPE:
            if (searchText.empty() && imeComposition.empty()) {
                if (openFolder) {
                    CloseFolder();
                } else {
                    Hide();
                }
            } else {
                ClearSearch();
            }
            return true;
        case 'V':
            if (!control) return false;
            PasteFromClipboard();
            return true;
        case VK_BACK:
            if (!control) return false;
            [[fallthrough]];
        case VK_DELETE:
            if (searchText.empty()) return false;
            ClearSearch();
            return true;
        case VK_LEFT:
            if (page <= 0) return false;
            GoToPage(page - 1, -1);
            return true;
        case VK_RIGHT:
            if (page + 1 >= pageCount) return false;
            GoToPage(page + 1, +1);
            return true;
        default:
            return false;
    }
}

void AllAppsWindow::OnChar(wchar_t unit) {
    if (unit == 0x1B) return;
    if (unit == 0x0D) {
        if (!visibleEntries.empty()) ActivateEntry(0);
        return;
    }
    if (unit == 0x08) {
        if (!searchText.empty()) {
            RemoveLastCharacter(searchText);
            SearchEdited();
        } else if (openFolder) {
            CloseFolder();
        }
        return;
    }
    if (!IsPrintableUnit(unit)) return;
    searchText.push_back(unit);
    SearchEdited();
}

void AllAppsWindow::PasteFromClipboard() {
    if (!OpenClipboard(window)) return;
    bool appended = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            // Clipboard text need not be terminated: the block's size bounds the scan.
            appended = AppendPastedText(searchText, text, GlobalSize(data) / sizeof(wchar_t), kPasteLimit);
            GlobalUnlock(data);
        }
    }
    if (appended) SearchEdited();
    CloseClipboard();
}

bool AllAppsWindow::HandleInput(UINT message, WPARAM wParam, LPARAM lParam) {
    const float x = static_cast<float>(GET_X_LPARAM(lParam)) / scale - kAllAppsInsetDip;
    const float y = static_cast<float>(GET_Y_LPARAM(lParam)) / scale - kAllAppsInsetDip;
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (visible && !menuOpen && tickCount() - shownAt >= kReopenGuardMs) Hide();
            } else if (GetFocus() != window) {
                SetFocus(window);
            }
            return true;
        case WM_SETFOCUS:
            searchFocused = true;
            RestartCaretBlink();
            UpdateImeWindow();
            RedrawChrome();
            return true;
        case WM_KILLFOCUS:
            searchFocused = false;
            caretBlink.Stop();
            KillTimer(window, kCaretTimer);
            imeComposition.clear();
            RedrawChrome();
            return true;
        case WM_SETCURSOR: {
            if (LOWORD(lParam) != HTCLIENT) return false;
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(window, &point);
            const float px = static_cast<float>(point.x) / scale - kAllAppsInsetDip;
            const float py = static_cast<float>(point.y) / scale - kAllAppsInsetDip;
            const bool text = HitTestSearchBox(px, py) && !HitTestSearchClear(px, py);
            SetCursor(LoadCursorW(nullptr, text ? IDC_IBEAM : IDC_ARROW));
            return true;
        }
        case WM_KEYDOWN:
            if (searchFocused) {
                RestartCaretBlink();
                ShowCaret();
            }
            return OnKeyDown(wParam);
        case WM_CHAR:
            OnChar(static_cast<wchar_t>(wParam));
            return true;
        case WM_IME_SETCONTEXT:
            // The search box draws the composition itself.
            DefWindowProcW(window, message, wParam, lParam & ~static_cast<LPARAM>(ISC_SHOWUICOMPOSITIONWINDOW));
            return true;
        case WM_IME_STARTCOMPOSITION:
            // Not passed on: the input method shows no composition window of its own.
            UpdateImeWindow();
            imeComposition.clear();
            return true;
        case WM_IME_COMPOSITION:
            OnImeComposition(lParam);
            return true;
        case WM_IME_ENDCOMPOSITION:
            if (!imeComposition.empty()) {
                imeComposition.clear();
                RedrawChrome();
            }
            return true;
        case WM_TIMER:
            if (wParam != kCaretTimer) return false;
            // Past the timeout the caret stays shown and the timer stops until
            // the next key, click or focus change.
            if (!visible || !searchFocused || !caretBlink.Tick(tickCount())) KillTimer(window, kCaretTimer);
            ShowCaret();
            return true;
        case WM_MOUSEMOVE:
            OnPointerMove(x, y);
            return true;
        case WM_LBUTTONDOWN:
            if (searchFocused) {
                RestartCaretBlink();
                ShowCaret();
            }
            OnPointerDown(x, y);
            return true;
        case WM_LBUTTONUP:
            OnRelease(x, y);
            return true;
        case WM_RBUTTONUP: {
            const int slot = HitTestTile(x, y);
            if (slot >= 0) {
                POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ClientToScreen(window, &point);
                ShowTileMenu(slot, point);
            }
            return true;
        }
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            HandleWheel(GET_WHEEL_DELTA_WPARAM(wParam), message == WM_MOUSEHWHEEL);
            return true;
        case WM_CAPTURECHANGED:
            if (dragArmed || dragging) {
                dragArmed = dragging = false;
                sliding = true;
                FireRequestFrame();
            }
            return true;
        case WM_MOUSELEAVE: {
            if (pointerInGrid) {
                pointerInGrid = false;
                gridSpring.target = 0.0f;
                tilesAnimating = true;
                FireRequestFrame();
            }
            if (pointerOnIndexBar) {
                pointerOnIndexBar = false;
                indexSpring.target = 0.0f;
                indexAnimating = true;
                FireRequestFrame();
            }
            if (hoveredSlot != -1) {
                hoveredSlot = -1;
                RedrawHover();
            }
            if (hoveredLetter != -1) {
                hoveredLetter = -1;
                RedrawIndexBar();
            }
            if (hoveredTab != -1 || hoveredFooter != -1 || backHovered || closeHovered || searchHovered ||
                searchClearHovered || restoreAllHovered || powerHovered) {
                hoveredTab = hoveredFooter = -1;
                backHovered = closeHovered = searchHovered = searchClearHovered = restoreAllHovered = powerHovered =
                    false;
                RedrawChrome();
            }
            return true;
        }
        case WM_ALLAPPS_ACTIVATE:
            if (visible) {
                ActivateForeground();
                if (GetFocus() == window) {
                    searchFocused = true;
                    FocusSearch(false);
                }
            }
            return true;
        default:
            return false;
    }
}
