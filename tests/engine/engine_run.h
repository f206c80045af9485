#pragma once

#include <filesystem>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "engine/folder_walk.h"
#include "engine/scanner.h"
#include "engine/event_pump.h"

namespace corvath::test {

// An event pump that runs a callback about every millisecond until woken, as
// the window's timer would.
class PollingPump : public EventPump {
public:
    explicit PollingPump(std::function<void()> onTick = {}) : onTick_(std::move(onTick)) {}
    void setTick(std::function<void()> onTick) { onTick_ = std::move(onTick); }
    void run() override;
    void wake() override;
    int runs() const { return runs_; }

private:
    std::function<void()> onTick_;
    std::mutex mutex_;
    std::condition_variable woken_;
    unsigned pending_ = 0;
    int runs_ = 0;
};

// Scans a folder with a fresh engine and returns its totals.
WalkTotals scanTotals(const std::filesystem::path& root, unsigned threads = 4);

}  // namespace corvath::test
