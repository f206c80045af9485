#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

#include "engine/event_pump.h"

namespace corvath::bench {

// A plain waiting pump that, like a window whose Cancel button is pressed, calls
// `cancel` from inside run() once `deadline` has passed, and notes when it did.
class CancellingPump : public EventPump {
public:
    using Clock = std::chrono::steady_clock;

    // Arms the next run: cancel at `deadline`, or never when it is empty.
    void arm(std::optional<Clock::time_point> deadline, std::function<void()> cancel) {
        std::lock_guard lock(mutex_);
        deadline_ = deadline;
        cancel_ = std::move(cancel);
        cancelledAt_.reset();
    }

    void run() override {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (pending_ > 0) {
                --pending_;
                return;
            }
            if (deadline_ && Clock::now() >= *deadline_) {
                deadline_.reset();
                auto cancel = cancel_;
                lock.unlock();
                const auto at = Clock::now();
                cancel();
                lock.lock();
                cancelledAt_ = at;
                continue;
            }
            if (deadline_) woken_.wait_until(lock, *deadline_);
            else woken_.wait(lock);
        }
    }

    void wake() override {
        std::lock_guard lock(mutex_);
        ++pending_;
        woken_.notify_all();
    }

    std::optional<Clock::time_point> cancelledAt() {
        std::lock_guard lock(mutex_);
        return cancelledAt_;
    }

private:
    std::mutex mutex_;
    std::condition_variable woken_;
    unsigned pending_ = 0;
    std::optional<Clock::time_point> deadline_;
    std::function<void()> cancel_;
    std::optional<Clock::time_point> cancelledAt_;
};

}  // namespace corvath::bench
