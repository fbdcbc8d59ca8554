#pragma once
// The one place an exception that reached a window procedure or a public
// method of a window ends: it is logged with the class and method that let it
// through, and the caller carries on with its fallback.

#include <utility>

namespace platform {

// Logs the exception being handled, under `where` ("Class::Method"), as
// "<where> winrt error: 0x%08X" for an HResultError, "<where> std::exception:
// <what>" for a standard exception and "<where> unknown exception" for
// anything else. Call it only inside a catch block.
void LogCaughtException(const wchar_t* where) noexcept;

// Runs `body`; an exception it throws is logged under `where` and goes no
// further. True when the body ran to its end.
template <typename Body>
bool Guarded(const wchar_t* where, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        LogCaughtException(where);
        return false;
    }
}

}  // namespace platform
