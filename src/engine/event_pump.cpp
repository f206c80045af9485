#include "engine/event_pump.h"

namespace corvath {

void WaitPump::run() {
    std::unique_lock lock(mutex_);
    woken_.wait(lock, [&] { return pending_ > 0; });
    --pending_;
}

void WaitPump::wake() {
    std::lock_guard lock(mutex_);
    ++pending_;
    // Notified under the lock: the pump may be destroyed as soon as run() returns.
    woken_.notify_one();
}

}  // namespace corvath
