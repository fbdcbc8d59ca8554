#include "render/raster/Parallel.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/DetachedThread.h"

namespace raster {
namespace {

// A compositor shares the machine with everything else the user runs: a few
// threads are plenty.
constexpr unsigned kMostHelpers = 3;

class Helpers {
public:
    Helpers() {
        const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
        count_ = static_cast<int>(std::min(hardware - 1, kMostHelpers));
        for (int i = 0; i < count_; ++i) platform::StartDetachedThread([this] { Serve(); });
    }

    int Count() const { return count_; }

    void Run(int parts, const std::function<void(int)>& work) {
        std::unique_lock<std::mutex> busy(busy_, std::try_to_lock);
        if (!busy.owns_lock() || count_ == 0 || parts <= 1) {
            for (int p = 0; p < parts; ++p) work(p);
            return;
        }
        unsigned long long generation;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            work_ = &work;
            parts_ = parts;
            next_ = 0;
            done_ = 0;
            generation = ++generation_;
        }
        wake_.notify_all();
        DoParts(generation);
        std::exception_ptr error;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            finished_.wait(lock, [this] { return done_ == parts_; });
            work_ = nullptr;
            std::swap(error, error_);
        }
        if (error) std::rethrow_exception(error);
    }

private:
    // Takes parts of job `generation` until none is left. Parts are handed out
    // under the lock, so a helper that wakes late never touches a newer job.
    void DoParts(unsigned long long generation) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (generation_ == generation && work_ != nullptr && next_ < parts_) {
            const int part = next_++;
            const std::function<void(int)>* work = work_;
            lock.unlock();
            std::exception_ptr error;
            try {
                (*work)(part);
            } catch (...) {
                error = std::current_exception();  // handed to the caller of Run
            }
            lock.lock();
            if (error && !error_) error_ = error;
            if (++done_ == parts_) finished_.notify_all();
        }
    }

    void Serve() {
        unsigned long long seen = 0;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return generation_ != seen && work_ != nullptr; });
                seen = generation_;
            }
            DoParts(seen);
        }
    }

    int count_ = 0;
    std::mutex busy_;  // one job at a time
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    const std::function<void(int)>* work_ = nullptr;
    int parts_ = 0;
    int next_ = 0;
    int done_ = 0;
    std::exception_ptr error_;
    unsigned long long generation_ = 0;
};

Helpers& Shared() {
    // Never destroyed: the helpers wait on it until the process ends.
    static Helpers* helpers = new Helpers();
    return *helpers;
}

}  // namespace

void RunParts(int parts, const std::function<void(int)>& work) { Shared().Run(parts, work); }

int PartThreads() { return Shared().Count() + 1; }

}  // namespace raster
