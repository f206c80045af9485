#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace corvath {

class FolderWalk;
struct WalkOptions;

// Watches a running scan from a thread of its own, which never touches the
// drive: when the progress count has not moved for the limit, it marks the
// scan stalled and calls onStall once. A worker held in a request that a hung
// filesystem never answers cannot be woken, so the scan is given up instead.
class StallWatch {
public:
    StallWatch(std::function<std::uint64_t()> progress, std::chrono::milliseconds limit,
               std::function<void()> onStall);
    ~StallWatch();
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

    bool stalled() const;

private:
    void watch(std::function<std::uint64_t()> progress, std::chrono::milliseconds limit,
               std::function<void()> onStall);

    mutable std::mutex mutex_;
    std::condition_variable stopChanged_;
    bool stopping_ = false;
    bool stalled_ = false;
    std::thread thread_;
};

// Opens the walk's root on a thread of its own, waiting at most the limit: a
// drive that hangs at once then fails like one that hangs later, and the
// thread held by it is left behind. Throws EngineError, as FolderWalk does.
std::shared_ptr<FolderWalk> openWalkWithin(const std::string& root, const WalkOptions& options,
                                           std::chrono::milliseconds limit);

// "the drive has not answered for 60 s": why a stalled analysis failed.
std::string notAnsweringReason(std::chrono::milliseconds limit);

}  // namespace corvath
