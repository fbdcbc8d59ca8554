#pragma once
// The joined counterpart of StartDetachedThread: a thread whose owner waits
// for it. The owner joins when it goes or is given another thread, so a
// forgotten join waits instead of ending the process as std::thread would.

#include <thread>
#include <utility>

namespace platform {

class JoinableThread {
public:
    JoinableThread() = default;
    explicit JoinableThread(std::thread thread) : thread_(std::move(thread)) {}
    JoinableThread(JoinableThread&&) noexcept = default;
    JoinableThread& operator=(JoinableThread&& other) noexcept {
        if (this != &other) {
            join();
            thread_ = std::move(other.thread_);
        }
        return *this;
    }
    ~JoinableThread() { join(); }

    bool joinable() const { return thread_.joinable(); }
    void join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};

// Runs `body(arguments...)` on a new thread that the returned owner joins.
// Throws std::system_error, as std::thread does, when no thread can be made.
template <typename F, typename... Args>
JoinableThread StartJoinableThread(F&& body, Args&&... arguments) {
    return JoinableThread(std::thread(std::forward<F>(body), std::forward<Args>(arguments)...));
}

}  // namespace platform
