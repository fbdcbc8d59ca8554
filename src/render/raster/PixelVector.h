#pragma once
// One pixel's four channels (B, G, R, A, 0..255) as one SSE vector of floats,
// for the operations that weigh many samples (blur), and two pixels' channels
// as 16-bit lanes, for those that blend or mix them (blends, resampling).

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace raster {

typedef float F4 __attribute__((vector_size(16)));

inline F4 Splat(float v) { return F4{v, v, v, v}; }

inline F4 ToF4(uint32_t p) {
    typedef unsigned char Bytes __attribute__((vector_size(4)));
    Bytes bytes;
    std::memcpy(&bytes, &p, sizeof p);
    return __builtin_convertvector(bytes, F4);
}

// Rounds to 0..255 with colour never above alpha, as premultiplied pixels need.
inline uint32_t ToPixel(F4 v) {
    typedef int Ints __attribute__((vector_size(16)));
    typedef unsigned char Bytes __attribute__((vector_size(4)));
    v += Splat(0.5f);
    const F4 zero = {0, 0, 0, 0};
    v = v > zero ? v : zero;
    const F4 limit = Splat(std::min(v[3], 255.0f));
    v = v < limit ? v : limit;
    const Bytes bytes = __builtin_convertvector(__builtin_convertvector(v, Ints), Bytes);  // truncation rounds
    uint32_t p;
    std::memcpy(&p, &bytes, sizeof p);
    return p;
}

// Two pixels as eight 16-bit channels: plain SSE2 handles them in a handful
// of instructions.
typedef uint16_t Pair __attribute__((vector_size(16)));
typedef uint8_t PairBytes __attribute__((vector_size(8)));

inline Pair LoadPair(const uint32_t* p) {
    PairBytes b;
    std::memcpy(&b, p, sizeof b);
    return __builtin_convertvector(b, Pair);
}

}  // namespace raster
