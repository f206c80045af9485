#include "engine/stall_watch.h"

#include "engine/engine_error.h"
#include "engine/folder_walk.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <system_error>

namespace corvath {

using namespace std::chrono_literals;

StallWatch::StallWatch(std::function<std::uint64_t()> progress, std::chrono::milliseconds limit,
                       std::function<void()> onStall)
    : thread_([this, progress = std::move(progress), limit, onStall = std::move(onStall)]() mutable {
          watch(std::move(progress), limit, std::move(onStall));
      }) {}

StallWatch::~StallWatch() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopChanged_.notify_all();
    thread_.join();
}

bool StallWatch::stalled() const {
    std::lock_guard lock(mutex_);
    return stalled_;
}

void StallWatch::watch(std::function<std::uint64_t()> progress, std::chrono::milliseconds limit,
                       std::function<void()> onStall) {
    // Often enough that a stall is seen soon after the limit, seldom enough to cost nothing.
    const auto period = std::clamp<std::chrono::milliseconds>(limit / 10, 10ms, 1000ms);
    std::uint64_t last = progress();
    auto lastMoved = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    while (!stopChanged_.wait_for(lock, period, [this] { return stopping_; })) {
        const std::uint64_t now = progress();
        if (now != last) {
            last = now;
            lastMoved = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - lastMoved >= limit) {
            stalled_ = true;
            lock.unlock();
            onStall();
            return;
        }
    }
}

std::shared_ptr<FolderWalk> openWalkWithin(const std::string& root, const WalkOptions& options,
                                           std::chrono::milliseconds limit) {
    // The failure travels as text, rethrown on the caller's thread: an
    // exception object shared between threads would be released by whichever
    // lets go last.
    struct Opening {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::shared_ptr<FolderWalk> walk;
        std::optional<std::string> failure;
        bool failureIsEngineError = false;
    };
    auto opening = std::make_shared<Opening>();
    auto open = [opening, root, options] {
        std::shared_ptr<FolderWalk> walk;
        std::optional<std::string> failure;
        bool engineError = false;
        try {
            walk = std::make_shared<FolderWalk>(root, options);
        } catch (const EngineError& error) {
            failure = error.what();
            engineError = true;
        } catch (const std::exception& error) {
            failure = error.what();
        }
        std::lock_guard lock(opening->mutex);
        opening->walk = std::move(walk);
        opening->failure = std::move(failure);
        opening->failureIsEngineError = engineError;
        opening->finished = true;
        opening->done.notify_all();
    };
    try {
        std::thread(open).detach();
    } catch (const std::system_error&) {
        return std::make_shared<FolderWalk>(root, options);  // no thread to be had: open it here
    }

    std::unique_lock lock(opening->mutex);
    if (!opening->done.wait_for(lock, limit, [&] { return opening->finished; })) {
        throw EngineError("cannot analyze " + root + ": " + notAnsweringReason(limit));
    }
    if (opening->failure) {
        throw EngineError(opening->failureIsEngineError ? *opening->failure
                                                        : "cannot analyze " + root + ": " + *opening->failure);
    }
    return std::move(opening->walk);
}

std::string notAnsweringReason(std::chrono::milliseconds limit) {
    const std::string span = limit.count() % 1000 == 0 ? std::to_string(limit.count() / 1000) + " s"
                                                        : std::to_string(limit.count()) + " ms";
    return "the drive has not answered for " + span;
}

}  // namespace corvath
