#pragma once
// The bytes of pixel memory our own buffers hold (images, masks, window
// buffers, kept working buffers), counted as they are allocated and freed, so
// that the benchmarks can print what the program really keeps.

#include <atomic>
#include <cstddef>
#include <memory>

namespace raster {

inline std::atomic<long long> pixelBytesHeld{0};

inline void CountPixelBytes(long long delta) { pixelBytesHeld.fetch_add(delta, std::memory_order_relaxed); }
inline long long PixelBytesHeld() { return pixelBytesHeld.load(std::memory_order_relaxed); }

// A vector allocator that adds what it holds to the count.
template <class T>
struct CountedAllocator {
    using value_type = T;
    CountedAllocator() = default;
    template <class U>
    CountedAllocator(const CountedAllocator<U>&) {}
    T* allocate(std::size_t n) {
        T* p = std::allocator<T>().allocate(n);
        CountPixelBytes(static_cast<long long>(n * sizeof(T)));
        return p;
    }
    void deallocate(T* p, std::size_t n) {
        CountPixelBytes(-static_cast<long long>(n * sizeof(T)));
        std::allocator<T>().deallocate(p, n);
    }
    friend bool operator==(const CountedAllocator&, const CountedAllocator&) { return true; }
};

}  // namespace raster
