#pragma once
// The one owner of a kernel handle: closes it once, when the owner goes or is
// given another. Functions that make handles disagree on what "none" is (most
// give nullptr, CreateFile and its kin INVALID_HANDLE_VALUE), so both count as
// empty. Other closers (FindClose, FindCloseChangeNotification) are a template
// argument away.

#include <windows.h>

#include <utility>

namespace platform {

struct CloseKernelHandle {
    bool operator()(HANDLE handle) const { return CloseHandle(handle) != FALSE; }
};

template <typename Closer>
class BasicUniqueHandle {
public:
    BasicUniqueHandle() = default;
    explicit BasicUniqueHandle(HANDLE handle) : handle_(handle) {}
    BasicUniqueHandle(const BasicUniqueHandle&) = delete;
    BasicUniqueHandle& operator=(const BasicUniqueHandle&) = delete;
    BasicUniqueHandle(BasicUniqueHandle&& other) noexcept : handle_(other.release()) {}
    BasicUniqueHandle& operator=(BasicUniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~BasicUniqueHandle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return Holds(handle_); }

    // Gives the handle up without closing it.
    HANDLE release() { return std::exchange(handle_, nullptr); }
    void reset(HANDLE handle = nullptr) {
        const HANDLE old = std::exchange(handle_, handle);
        if (Holds(old)) Closer()(old);
    }
    // Closes now; false when the system refused, which for a file written
    // through a cache can mean the data never reached it. Empty closes fine.
    bool close() {
        const HANDLE old = std::exchange(handle_, nullptr);
        return !Holds(old) || Closer()(old);
    }

private:
    static bool Holds(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

    HANDLE handle_ = nullptr;
};

using UniqueHandle = BasicUniqueHandle<CloseKernelHandle>;

}  // namespace platform
