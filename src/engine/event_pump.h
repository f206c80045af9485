#pragma once

#include "engine/wake_count.h"

namespace corvath {

// The caller's event loop, run by AnalyzeDrive on the calling thread while the
// workers scan. The window supplies a nested Qt event loop; the unattended run a
// plain wait.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Runs the caller's events until wake() has been called. A wake() that came
    // before run() makes run() return at once; each wake() ends one run().
    virtual void run() = 0;
    // Safe from any thread.
    virtual void wake() = 0;
};

// An event pump for callers with no event loop of their own (the unattended run,
// corvath-scan): run() just waits for wake().
class WaitPump : public EventPump {
public:
    void run() override { wakes_.waitAndTake(); }
    void wake() override { wakes_.add(); }

private:
    WakeCount wakes_;
};

}  // namespace corvath
