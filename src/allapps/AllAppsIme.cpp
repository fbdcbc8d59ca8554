// Reading composition strings and placing the input method's windows.
#include "allapps/AllAppsIme.h"

#include <algorithm>

ImeOps DefaultImeOps() {
    ImeOps ops;
    ops.getContext = [](HWND window) { return ImmGetContext(window); };
    ops.releaseContext = [](HWND window, HIMC context) { ImmReleaseContext(window, context); };
    ops.getCompositionString = [](HIMC context, DWORD index, void* buffer, DWORD bytes) {
        return ImmGetCompositionStringW(context, index, buffer, bytes);
    };
    ops.setCompositionWindow = [](HIMC context, const COMPOSITIONFORM& form) {
        COMPOSITIONFORM copy = form;
        ImmSetCompositionWindow(context, &copy);
    };
    ops.setCandidateWindow = [](HIMC context, const CANDIDATEFORM& form) {
        CANDIDATEFORM copy = form;
        ImmSetCandidateWindow(context, &copy);
    };
    return ops;
}

std::wstring ReadCompositionString(const ImeOps& ops, HIMC context, DWORD index) {
    // The size comes in bytes, or as a negative error: never as units.
    const LONG bytes = ops.getCompositionString(context, index, nullptr, 0);
    if (bytes <= 0) return {};
    std::wstring text(static_cast<size_t>(bytes) / sizeof(wchar_t), L'\0');
    if (text.empty()) return {};
    const LONG read =
        ops.getCompositionString(context, index, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    if (read <= 0) return {};
    text.resize(std::min(text.size(), static_cast<size_t>(read) / sizeof(wchar_t)));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

ImeWindowPlacement ImeWindowPlacementFor(float panelWidth, float scale, float textEnd) {
    const float sw = std::clamp(panelWidth - 160.0f, 120.0f, 400.0f);
    const float left = (panelWidth - sw) / 2.0f + 16.0f;
    const float caret = textEnd < 0.0f ? 34.0f : std::min(textEnd + 32.0f, sw - 34.0f);
    const POINT point = {static_cast<LONG>((left + caret) * scale),
                         static_cast<LONG>(70.0f * scale) + static_cast<LONG>(4.0f * scale)};
    ImeWindowPlacement placement = {};
    placement.composition.dwStyle = CFS_POINT;
    placement.composition.ptCurrentPos = point;
    placement.candidate.dwIndex = 0;
    placement.candidate.dwStyle = CFS_EXCLUDE;
    placement.candidate.ptCurrentPos = point;
    placement.candidate.rcArea = {static_cast<LONG>(left * scale), static_cast<LONG>(34.0f * scale),
                                  static_cast<LONG>((left + sw) * scale), static_cast<LONG>(70.0f * scale)};
    return placement;
}
