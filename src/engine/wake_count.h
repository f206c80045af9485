#pragma once

#include <condition_variable>
#include <mutex>

namespace corvath {

// The wakes an event pump has been sent and not yet answered, shared by every
// pump: each wake() ends exactly one run(), one that comes before run() too.
// Safe from any thread.
class WakeCount {
public:
    void add() {
        std::lock_guard lock(mutex_);
        ++pending_;
        // Notified under the lock: the pump may be destroyed as soon as run() returns.
        added_.notify_one();
    }
    // Takes one wake if there is one; never waits.
    bool take() {
        std::lock_guard lock(mutex_);
        if (pending_ == 0) return false;
        --pending_;
        return true;
    }
    // Waits for a wake and takes it.
    void waitAndTake() {
        std::unique_lock lock(mutex_);
        added_.wait(lock, [&] { return pending_ > 0; });
        --pending_;
    }

private:
    std::mutex mutex_;
    std::condition_variable added_;
    unsigned pending_ = 0;
};

}  // namespace corvath
