#pragma once
// Runs blocking system work with a fixed wait. The work runs on a new thread
// that is detached at once and owns its share of the task, so the result slot
// outlives the caller's wait: after a time-out the caller gets the given value
// at once and the worker finishes alone, its late answer dropped.
//
// std::async would not do: the future it returns blocks in its destructor
// until the work ends, which would turn every time-out into a full wait.
//
// Starting the thread can fail; the standard library's std::system_error then
// reaches the caller.

#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <type_traits>
#include <utility>

namespace vantreel {

// `work` must own copies of everything it reads: it may run long after the
// caller has returned.
template <typename Work, typename Result = std::invoke_result_t<Work&>>
Result RunWithDeadline(Work work, std::chrono::milliseconds wait, Result timeoutValue) {
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    std::future<Result> answer = task->get_future();
    const auto start = std::chrono::steady_clock::now();
    std::thread([task] { (*task)(); }).detach();

    // The deadline, guarded against running past the clock's range.
    auto deadline = std::chrono::steady_clock::time_point::max();
    if (start < deadline - wait) deadline = start + wait;
    if (answer.wait_until(deadline) != std::future_status::ready) return timeoutValue;
    return answer.get();
}

}  // namespace vantreel
