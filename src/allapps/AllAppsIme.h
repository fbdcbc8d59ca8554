#pragma once
// The input-method side of the launcher's search box: the composition strings
// it reads and where it puts the input method's windows. The system calls go
// through ImeOps, so tests can play an input method Wine does not have.

#include <windows.h>
#include <imm.h>

#include <functional>
#include <string>

struct ImeOps {
    std::function<HIMC(HWND)> getContext;
    std::function<void(HWND, HIMC)> releaseContext;
    // As ImmGetCompositionStringW: bytes written (or needed, with no buffer),
    // or a negative error.
    std::function<LONG(HIMC, DWORD index, void* buffer, DWORD bytes)> getCompositionString;
    std::function<void(HIMC, const COMPOSITIONFORM&)> setCompositionWindow;
    std::function<void(HIMC, const CANDIDATEFORM&)> setCandidateWindow;
};

ImeOps DefaultImeOps();

// One composition string (GCS_COMPSTR or GCS_RESULTSTR) without its trailing
// zero units. A size of zero or an error reads as empty.
std::wstring ReadCompositionString(const ImeOps& ops, HIMC context, DWORD index);

struct ImeWindowPlacement {
    COMPOSITIONFORM composition;
    CANDIDATEFORM candidate;
};

// Where the composition and candidate windows go, in window pixels: just
// under the search field at the caret, with the candidates kept off the field.
// textEnd is the laid-out width of the search and composition text in DIP, or
// negative when both are empty.
ImeWindowPlacement ImeWindowPlacementFor(float panelWidth, float scale, float textEnd);
