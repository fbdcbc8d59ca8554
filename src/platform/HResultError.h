#pragma once
// The exception a failed system or compositor call throws, carrying its
// HRESULT, as the platform's own projection does. It lives below every
// subsystem so that one guard can name its code wherever it is caught.

#include <windows.h>

#include <exception>

namespace platform {

class HResultError : public std::exception {
public:
    explicit HResultError(HRESULT code) : code_(code) {}
    HRESULT code() const noexcept { return code_; }
    const char* what() const noexcept override { return "composition error"; }

private:
    HRESULT code_;
};

}  // namespace platform
