#pragma once
// Value types and errors of our compositor, after the object model the
// windows are written against: vectors, colours, enumerations and an error
// that carries an HRESULT like the platform projection's.

#include <windows.h>

#include <cstdint>
#include <exception>

#include "platform/HResultError.h"

namespace comp {

struct Vector2 {
    float x = 0;
    float y = 0;
    friend bool operator==(const Vector2&, const Vector2&) = default;
};

struct Vector3 {
    float x = 0;
    float y = 0;
    float z = 0;
    friend bool operator==(const Vector3&, const Vector3&) = default;
};

// Straight (not premultiplied) 8-bit colour, alpha first.
struct Color {
    uint8_t A = 0;
    uint8_t R = 0;
    uint8_t G = 0;
    uint8_t B = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

enum class CompositionStretch : int32_t { None = 0, Fill = 1, Uniform = 2, UniformToFill = 3 };
enum class DirectXPixelFormat : int32_t { B8G8R8A8UIntNormalized = 87 };
enum class DirectXAlphaMode : int32_t { Unspecified = 0, Premultiplied = 1, Straight = 2, Ignore = 3 };

// What every failing operation throws; code() is the failure's HRESULT.
using HResultError = platform::HResultError;

[[noreturn]] inline void ThrowHResult(HRESULT code) { throw HResultError(code); }
inline void ThrowIfFailed(HRESULT code) {
    if (FAILED(code)) throw HResultError(code);
}

}  // namespace comp
