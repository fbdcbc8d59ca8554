// Input-method composition in the launcher's search box, with an input method
// played through the seam (Wine brings none that composes): the composition
// drawn underlined apart from the search, the result joining it once, a
// cancel, an error size, and where the input method's windows go.
#include "LauncherWindowFixture.h"

#include <algorithm>
#include <cstring>

namespace {

const HIMC kContext = reinterpret_cast<HIMC>(0x51);

// An input method that holds one composition and one result string and
// reports their sizes in bytes, as the system does.
struct FakeInputMethod {
    bool hasContext = true;
    std::wstring composition;
    std::wstring result;
    LONG sizeError = 0;
    int held = 0;
    std::vector<COMPOSITIONFORM> compositionWindows;
    std::vector<CANDIDATEFORM> candidateWindows;

    ImeOps Ops() {
        ImeOps ops;
        ops.getContext = [this](HWND) -> HIMC {
            if (!hasContext) return nullptr;
            ++held;
            return kContext;
        };
        ops.releaseContext = [this](HWND, HIMC context) {
            EXPECT_EQ(context, kContext);
            --held;
        };
        ops.getCompositionString = [this](HIMC, DWORD index, void* buffer, DWORD bytes) -> LONG {
            if (sizeError != 0) return sizeError;
            const std::wstring& text = index == GCS_RESULTSTR ? result : composition;
            const DWORD need = static_cast<DWORD>(text.size() * sizeof(wchar_t));
            if (!buffer) return static_cast<LONG>(need);
            // A buffer larger than asked for keeps whatever it held.
            std::fill_n(static_cast<wchar_t*>(buffer), bytes / sizeof(wchar_t), L'?');
            const DWORD copied = std::min(bytes, need);
            memcpy(buffer, text.data(), copied);
            return static_cast<LONG>(copied);
        };
        ops.setCompositionWindow = [this](HIMC, const COMPOSITIONFORM& form) { compositionWindows.push_back(form); };
        ops.setCandidateWindow = [this](HIMC, const CANDIDATEFORM& form) { candidateWindows.push_back(form); };
        return ops;
    }
};

void PumpFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

// Pixels of the accent blue on one row of the chrome surface.
int AccentPixels(const comp::CompositionDrawingSurface& surface, int y, int left, int right) {
    int count = 0;
    for (int x = left; x < right; ++x) {
        const uint32_t p = surface.Pixels().At(x, y);
        const int blue = static_cast<int>(p & 255);
        const int red = static_cast<int>((p >> 16) & 255);
        count += (p >> 24) > 100 && blue > red + 80 ? 1 : 0;
    }
    return count;
}

}  // namespace

class LauncherImeTest : public LauncherWindowTest {
protected:
    void SetUp() override {
        LauncherWindowTest::SetUp();
        apps.imeOps = ime.Ops();
        Deliver(FilterFixture());
        Toggle();
        ASSERT_TRUE(apps.visible);
        ASSERT_EQ(apps.panelWidth, 780.0f);
    }
    void Compose(LPARAM flags) { SendMessageW(apps.Window(), WM_IME_COMPOSITION, 0, flags); }
    // The field's text starts at x 222 (its left 190 plus 32); the underline
    // runs on row 45, the caret from 28 to 44 (on surfaces of their own, placed
    // at their origins in the chrome's pixels).
    int UnderlinePixels() {
        const POINT o = apps.searchOriginPx;
        return AccentPixels(apps.searchSurface, 45 - o.y, 222 - o.x, 300 - o.x);
    }
    int CaretPixels() {
        if (!apps.caretVisual.IsVisible()) return 0;
        const POINT o = apps.caretOriginPx;
        int count = 0;
        for (int y = 30; y < 42; ++y) count += AccentPixels(apps.caretSurface, y - o.y, 0, apps.caretSurfacePx.cx);
        return count;
    }

    FakeInputMethod ime;
};

TEST_F(LauncherImeTest, CompositionIsUnderlinedApartFromTheSearchAndItsResultJoinsOnce) {
    const size_t all = apps.visibleEntries.size();
    SendMessageW(apps.Window(), WM_SETFOCUS, 0, 0);
    SendMessageW(apps.Window(), WM_IME_STARTCOMPOSITION, 0, 0);
    ASSERT_FALSE(ime.compositionWindows.empty());
    EXPECT_EQ(ime.compositionWindows.back().dwStyle, static_cast<DWORD>(CFS_POINT));
    EXPECT_EQ(ime.compositionWindows.back().ptCurrentPos.x, 240);
    EXPECT_EQ(ime.compositionWindows.back().ptCurrentPos.y, 74);
    ASSERT_FALSE(ime.candidateWindows.empty());
    const CANDIDATEFORM candidate = ime.candidateWindows.back();
    EXPECT_EQ(candidate.dwIndex, 0u);
    EXPECT_EQ(candidate.dwStyle, static_cast<DWORD>(CFS_EXCLUDE));
    EXPECT_EQ(candidate.ptCurrentPos.x, 240);
    EXPECT_EQ(candidate.rcArea.left, 206);
    EXPECT_EQ(candidate.rcArea.top, 34);
    EXPECT_EQ(candidate.rcArea.right, 606);
    EXPECT_EQ(candidate.rcArea.bottom, 70);
    EXPECT_EQ(UnderlinePixels(), 0);

    ime.composition = L"ni";
    Compose(GCS_COMPSTR | GCS_COMPATTR | GCS_CURSORPOS);
    EXPECT_EQ(apps.imeComposition, L"ni");
    EXPECT_TRUE(apps.searchText.empty());
    EXPECT_EQ(apps.visibleEntries.size(), all) << "the filter ignores the composition";
    EXPECT_GT(UnderlinePixels(), 6) << "ni is underlined";
    EXPECT_GT(CaretPixels(), 8) << "the caret stands behind it";
    const LONG caretX = ime.compositionWindows.back().ptCurrentPos.x;
    EXPECT_GT(caretX, 240) << "the composition window follows the text";
    EXPECT_LT(caretX, 270);

    // The caret blinks, and the frame redraws no more than the caret; the underline stays.
    host.compositor.Commit();
    SendMessageW(apps.Window(), WM_TIMER, 1, 0);
    EXPECT_FALSE(apps.caretBlink.Shown());
    EXPECT_EQ(CaretPixels(), 0);
    host.compositor.Commit();
    const RECT blink = apps.target.LastDamage();
    EXPECT_LE((blink.right - blink.left) * (blink.bottom - blink.top), 400);
    EXPECT_GT(UnderlinePixels(), 6);

    ime.result = L"你好";
    ime.composition.clear();
    Compose(GCS_RESULTSTR | GCS_RESULTCLAUSE);
    EXPECT_EQ(apps.searchText, L"你好");
    EXPECT_TRUE(apps.imeComposition.empty());
    EXPECT_EQ(UnderlinePixels(), 0) << "the result is plain search text";
    EXPECT_TRUE(apps.caretBlink.Shown());
    SendMessageW(apps.Window(), WM_IME_ENDCOMPOSITION, 0, 0);
    EXPECT_EQ(apps.searchText, L"你好") << "ending adds no second copy";
    EXPECT_EQ(ime.held, 0) << "every context taken is released";
}

TEST_F(LauncherImeTest, CancelErrorsAndAMissingContextLeaveTheSearchAlone) {
    ime.composition = L"zhong";
    Compose(GCS_COMPSTR);
    ASSERT_EQ(apps.imeComposition, L"zhong");
    Compose(0);
    EXPECT_TRUE(apps.imeComposition.empty()) << "a cancelled composition";

    ime.result = L"ab";
    ime.composition = L"c";
    Compose(GCS_RESULTSTR | GCS_COMPSTR);
    EXPECT_EQ(apps.searchText, L"ab") << "sizes are bytes: two units, nothing read past them";
    EXPECT_EQ(apps.imeComposition, L"c");

    ime.sizeError = IMM_ERROR_GENERAL;
    Compose(GCS_RESULTSTR | GCS_COMPSTR);
    EXPECT_EQ(apps.searchText, L"ab") << "an error reads as empty";
    EXPECT_TRUE(apps.imeComposition.empty());
    ime.sizeError = 0;

    ime.composition = L"x";
    Compose(GCS_COMPSTR);
    SendMessageW(apps.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(apps.visible) << "Esc with a composition clears rather than hides";
    EXPECT_TRUE(apps.searchText.empty());
    EXPECT_TRUE(apps.imeComposition.empty());

    ime.composition = L"y";
    Compose(GCS_COMPSTR);
    SendMessageW(apps.Window(), WM_IME_ENDCOMPOSITION, 0, 0);
    EXPECT_TRUE(apps.imeComposition.empty());

    ime.hasContext = false;
    ime.result = L"zz";
    Compose(GCS_RESULTSTR);
    EXPECT_TRUE(apps.searchText.empty()) << "no context, no input";
    EXPECT_EQ(ime.held, 0);
}

TEST(LauncherImePlacement, TheCaretFollowsTheTextInsideTheFieldAtEveryScale) {
    ImeWindowPlacement at = ImeWindowPlacementFor(780.0f, 1.0f, 10.0f);
    EXPECT_EQ(at.composition.ptCurrentPos.x, 206 + 42);
    at = ImeWindowPlacementFor(780.0f, 1.0f, 900.0f);
    EXPECT_EQ(at.composition.ptCurrentPos.x, 206 + 366) << "held inside the field";
    at = ImeWindowPlacementFor(780.0f, 1.5f, -1.0f);
    EXPECT_EQ(at.composition.ptCurrentPos.x, 360);
    EXPECT_EQ(at.composition.ptCurrentPos.y, 111);
    EXPECT_EQ(at.candidate.rcArea.left, 309);
    EXPECT_EQ(at.candidate.rcArea.top, 51);
    EXPECT_EQ(at.candidate.rcArea.right, 909);
    EXPECT_EQ(at.candidate.rcArea.bottom, 105);
}

// The system's own input-method calls in process: a composition set on the
// window's context and completed.
TEST_F(LauncherImeTest, TheSystemInputMethodComposesIntoTheSearchOnce) {
    apps.imeOps = DefaultImeOps();
    HWND window = apps.Window();
    SetForegroundWindow(window);
    SetFocus(window);
    SendMessageW(window, WM_SETFOCUS, 0, 0);
    HIMC context = ImmGetContext(window);
    ASSERT_NE(context, nullptr);
    COMPOSITIONFORM form = {};
    ASSERT_TRUE(ImmGetCompositionWindow(context, &form));
    EXPECT_EQ(form.ptCurrentPos.x, 240);
    EXPECT_EQ(form.ptCurrentPos.y, 74);
    CANDIDATEFORM candidate = {};
    ASSERT_TRUE(ImmGetCandidateWindow(context, 0, &candidate));
    EXPECT_EQ(candidate.rcArea.left, 206);
    EXPECT_EQ(candidate.rcArea.top, 34);
    EXPECT_EQ(candidate.rcArea.right, 606);
    EXPECT_EQ(candidate.rcArea.bottom, 70);

    ImmSetOpenStatus(context, TRUE);
    EXPECT_TRUE(ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(L"ni"), 4, nullptr, 0));
    PumpFor(200);
    EXPECT_EQ(apps.imeComposition, L"ni");
    EXPECT_TRUE(apps.searchText.empty());
    EXPECT_TRUE(ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
    PumpFor(200);
    EXPECT_EQ(apps.searchText, L"ni") << "appended exactly once";
    EXPECT_TRUE(apps.imeComposition.empty());

    EXPECT_TRUE(ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(L"你好"), 4, nullptr, 0));
    PumpFor(200);
    EXPECT_TRUE(ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
    PumpFor(200);
    EXPECT_EQ(apps.searchText, L"ni你好");
    ImmReleaseContext(window, context);
}
