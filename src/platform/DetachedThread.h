#pragma once
// A thread that nobody joins, made detached from the start, in place of
// `std::thread(...).detach()`. With this toolchain's thread library a thread
// that ends before its creator detaches it has its bookkeeping handed to the
// next new thread while the ending one still cleans up through it: under load,
// short workers detached after the fact made joins fail ("No such process"),
// mutexes fail inside a promise's set_value and new threads start on a null
// routine. A thread created detached frees its own bookkeeping as it ends.

#include <exception>
#include <memory>
#include <type_traits>
#include <utility>

namespace platform {

namespace detail {

// Starts `routine(argument)` on a new detached thread; throws std::system_error
// when no thread can be made.
void StartDetachedRoutine(void* (*routine)(void*), void* argument);

template <typename Body>
void* RunDetachedBody(void* argument) {
    std::unique_ptr<Body> body(static_cast<Body*>(argument));
    try {
        (*body)();
    } catch (...) {
        std::terminate();  // as for a std::thread; the debug log names the exception
    }
    return nullptr;
}

}  // namespace detail

// Runs `body` (any callable, move-only ones too) on a new detached thread.
// Throws std::system_error, as std::thread does, when no thread can be made;
// the body is then dropped without running.
template <typename F>
void StartDetachedThread(F&& body) {
    using Body = std::decay_t<F>;
    auto owned = std::make_unique<Body>(std::forward<F>(body));
    detail::StartDetachedRoutine(&detail::RunDetachedBody<Body>, owned.get());
    owned.release();  // the thread owns its body now
}

}  // namespace platform
