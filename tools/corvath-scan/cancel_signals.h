#pragma once

#include <functional>
#include <mutex>
#include <thread>

namespace corvath {

// Turns SIGINT, SIGTERM and SIGHUP into a cancel: from construction on they are
// blocked in this thread and every thread it starts, and a watching thread runs
// the current action when one comes, so the program can clean up instead of
// dying half way. Construct before starting any other thread.
class CancelSignals {
public:
    CancelSignals();
    ~CancelSignals();
    CancelSignals(const CancelSignals&) = delete;
    CancelSignals& operator=(const CancelSignals&) = delete;

    // What to run on a signal; runs at once when one has already come. Clear it
    // (an empty function) before what it touches goes away.
    void setAction(std::function<void()> action);
    // The signal that came, or 0.
    int signalled() const;

private:
    void watch();

    mutable std::mutex mutex_;
    std::function<void()> action_;
    int signalled_ = 0;
    bool ending_ = false;
    std::thread watcher_;
};

}  // namespace corvath
