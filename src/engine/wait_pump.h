#pragma once

#include <condition_variable>
#include <mutex>

#include "engine/event_pump.h"

namespace corvath {

// An event pump for callers with no event loop of their own (the unattended run,
// corvath-scan): run() just waits for wake().
class WaitPump : public EventPump {
public:
    void run() override;
    void wake() override;

private:
    std::mutex mutex_;
    std::condition_variable woken_;
    unsigned pending_ = 0;  // wakes not yet consumed by a run()
};

}  // namespace corvath
