// Input-method composition in the search box: the composition is kept apart
// from the search text, drawn underlined behind it, and only a result string
// joins the search.
#include <dwrite.h>
#include <wrl/client.h>

#include "allapps/AllAppsPaint.h"
#include "allapps/AllAppsSearchText.h"
#include "allapps/AllAppsWindow.h"
#include "render/GraphicsDevice.h"

using Microsoft::WRL::ComPtr;

namespace {

// The width of the search field's text as the chrome lays it out, or -1 when
// there is none (the caret then sits at the field's start).
float SearchTextEnd(IDWriteFactory* factory, const std::wstring& text) {
    if (text.empty() || !factory) return -1.0f;
    ComPtr<IDWriteTextFormat> format = MakeLauncherFormat(factory, DWRITE_FONT_WEIGHT_NORMAL, 13.5f);
    if (!format) return -1.0f;
    format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
    return TextPositionX(factory, format.Get(), text, text.size());
}

}  // namespace

void AllAppsWindow::UpdateImeWindow() {
    if (!window || !imeOps.getContext) return;
    const HIMC context = imeOps.getContext(window);
    if (!context) return;
    IDWriteFactory* factory = device ? device->dwriteFactory.Get() : nullptr;
    const ImeWindowPlacement placement =
        ImeWindowPlacementFor(panelWidth, scale, SearchTextEnd(factory, searchText + imeComposition));
    imeOps.setCompositionWindow(context, placement.composition);
    imeOps.setCandidateWindow(context, placement.candidate);
    imeOps.releaseContext(window, context);
}

void AllAppsWindow::OnImeComposition(LPARAM flags) {
    if (!window || !imeOps.getContext) return;
    const HIMC context = imeOps.getContext(window);
    if (!context) return;
    bool appended = false;
    bool changed = false;
    if (flags & GCS_RESULTSTR) {
        for (wchar_t unit : ReadCompositionString(imeOps, context, GCS_RESULTSTR)) {
            if (!IsPrintableUnit(unit)) continue;
            searchText.push_back(unit);
            appended = true;
        }
        if (!imeComposition.empty()) {
            imeComposition.clear();
            changed = true;
        }
    }
    if (flags & GCS_COMPSTR) {
        std::wstring composition = ReadCompositionString(imeOps, context, GCS_COMPSTR);
        if (composition != imeComposition) {
            imeComposition = std::move(composition);
            changed = true;
        }
    } else if (flags == 0 && !imeComposition.empty()) {
        // A cancelled composition.
        imeComposition.clear();
        changed = true;
    }
    imeOps.releaseContext(window, context);
    if (appended) {
        SearchEdited();
    } else if (changed) {
        caretVisible = true;
        RedrawChrome();
        UpdateImeWindow();
    }
}
