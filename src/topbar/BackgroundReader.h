#pragma once
// Reads that may block, made off the UI thread: the UI thread asks, one worker
// at a time reads, and the answer to the newest question waits in a shared
// slot until the UI thread takes it, at once when the worker was quick or when
// the worker's posted message arrives. A question asked while the worker is
// busy replaces any question still waiting for it, so a burst of questions
// costs one read more, not one thread each. Answers to older questions are
// dropped.

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

template <typename Value>
class BackgroundReader {
public:
    // Runs the body on a new detached thread; throws when none can be made.
    using Starter = std::function<void(std::function<void()> body)>;

    // `read` must own copies of everything it uses. After each answer the
    // worker posts `message` to `notify` (when not null). When no worker can
    // be started, the read runs on the calling thread.
    void Ask(std::function<Value()> read, HWND notify, UINT message, const Starter& start) {
        bool startWorker = false;
        {
            std::lock_guard<std::mutex> lock(slot_->mutex);
            slot_->next = std::move(read);
            ++slot_->asked;
            startWorker = !slot_->running;
            slot_->running = true;
        }
        if (!startWorker) return;
        std::shared_ptr<Slot> slot = slot_;
        std::function<void()> body = [slot, notify, message] { Work(*slot, notify, message); };
        try {
            start(body);
        } catch (...) {
            platform::LogCaughtException(L"BackgroundReader::Ask");
            body();
        }
    }

    // The answer to the newest question, once; waits for it up to `wait`.
    std::optional<Value> Take(std::chrono::milliseconds wait) {
        std::unique_lock<std::mutex> lock(slot_->mutex);
        slot_->answered.wait_for(lock, wait, [&] { return slot_->answer && slot_->answerFor == slot_->asked; });
        if (!slot_->answer || slot_->answerFor != slot_->asked) return std::nullopt;
        std::optional<Value> taken = std::move(slot_->answer);
        slot_->answer.reset();
        return taken;
    }

private:
    // Shared with the worker, which may outlive the reader.
    struct Slot {
        std::mutex mutex;
        std::condition_variable answered;
        bool running = false;
        std::function<Value()> next;  // asked and not yet begun
        uint64_t asked = 0;           // number of the newest question
        uint64_t answerFor = 0;
        std::optional<Value> answer;
    };

    static void Work(Slot& slot, HWND notify, UINT message) {
        for (;;) {
            std::function<Value()> read;
            uint64_t question = 0;
            {
                std::lock_guard<std::mutex> lock(slot.mutex);
                if (!slot.next) {
                    slot.running = false;
                    return;
                }
                read = std::move(slot.next);
                slot.next = nullptr;
                question = slot.asked;
            }
            std::optional<Value> value;
            try {
                value = read();
            } catch (...) {
                platform::LogCaughtException(L"BackgroundReader::Work");
                continue;  // no answer: what the panel shows stays
            }
            {
                std::lock_guard<std::mutex> lock(slot.mutex);
                slot.answer = std::move(value);
                slot.answerFor = question;
            }
            slot.answered.notify_all();
            if (notify) PostMessageW(notify, message, 0, 0);
        }
    }

    std::shared_ptr<Slot> slot_ = std::make_shared<Slot>();
};
