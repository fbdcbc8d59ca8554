#pragma once
// Runs blocking system work with a fixed wait, one worker at a time. The work
// runs on a new thread that is detached at once and owns its share of the
// task, so the result slot outlives the caller's wait: after a time-out the
// caller gets the given value at once and the worker finishes alone, its late
// answer dropped.
//
// A service that never answers would otherwise leave one more blocked thread
// behind at every call. While a worker runs, a caller that comes before the
// worker's first deadline shares its answer, waiting no longer than that
// deadline; once the worker has overrun it, callers get the time-out value at
// once and no new worker starts until it has ended.
//
// std::async would not do: the future it returns blocks in its destructor
// until the work ends, which would turn every time-out into a full wait.
//
// Starting the thread can fail; the standard library's std::system_error then
// reaches the caller.

#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

#include "platform/DetachedThread.h"

namespace vantreel {

template <typename Result>
class SingleFlight {
public:
    // `work` must own copies of everything it reads: it may run long after the
    // caller has returned. `request` tells requests apart that must not share
    // an answer (a switch on and a switch off); a different request while a
    // worker runs gets the time-out value at once.
    template <typename Work>
    Result Run(Work work, std::chrono::milliseconds wait, Result timeoutValue, int request = 0) {
        const auto now = std::chrono::steady_clock::now();
        std::unique_lock<std::mutex> lock(mutex_);
        if (answer_.valid() && answer_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            if (request != request_ || now >= deadline_) return timeoutValue;
        } else {
            auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
            std::shared_future<Result> answer = task->get_future().share();
            platform::StartDetachedThread([task] { (*task)(); });
            answer_ = std::move(answer);
            request_ = request;
            // The deadline, guarded against running past the clock's range.
            deadline_ = std::chrono::steady_clock::time_point::max();
            if (now < deadline_ - wait) deadline_ = now + wait;
        }
        const std::shared_future<Result> answer = answer_;
        const auto deadline = deadline_;
        lock.unlock();
        if (answer.wait_until(deadline) != std::future_status::ready) return timeoutValue;
        return answer.get();
    }

private:
    std::mutex mutex_;
    std::shared_future<Result> answer_;  // of the newest worker
    std::chrono::steady_clock::time_point deadline_;
    int request_ = 0;
};

// The last answer a query's worker gave, however late, for the callers whose
// wait ran out: a service that does not answer has not changed its state.
template <typename Result>
class LastAnswer {
public:
    void Keep(const Result& answer) {
        std::lock_guard<std::mutex> lock(mutex_);
        answer_ = answer;
    }
    // A default Result until the first answer.
    Result Get() {
        std::lock_guard<std::mutex> lock(mutex_);
        return answer_;
    }

private:
    std::mutex mutex_;
    Result answer_{};
};

}  // namespace vantreel
