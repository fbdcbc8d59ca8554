// Input-method composition in the search box: the composition is kept apart
// from the search text, drawn underlined behind it, and only a result string
// joins the search.
#include "allapps/AllAppsSearchText.h"
#include "allapps/AllAppsWindow.h"

void AllAppsWindow::UpdateImeWindow() {
    if (!window || !imeOps.getContext) return;
    const HIMC context = imeOps.getContext(window);
    if (!context) return;
    // The field measured this text already: the window follows its end.
    const SearchTextExtent extent = MeasureSearchText();
    const ImeWindowPlacement placement =
        ImeWindowPlacementFor(panelWidth, scale, extent.measured ? extent.endX : -1.0f);
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
        RestartCaretBlink();
        RedrawChrome();
        UpdateImeWindow();
    }
}
