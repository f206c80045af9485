#pragma once

#include <chrono>
#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace corvath {

using Clock = std::chrono::steady_clock;

// Caps how many bounded workers may be alive at once. A worker stuck in a
// system call on a hung mount cannot be stopped; the cap keeps a flapping
// network mount from piling up threads. Shared by shared_ptr with the workers,
// which may outlive whoever started them.
class WorkerBudget {
public:
    explicit WorkerBudget(std::size_t capacity) : capacity_(capacity) {}

    bool tryAcquire();
    void release();
    std::size_t inUse() const;

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::size_t inUse_ = 0;
};

// The budget the product's volume layers share: 32 workers for the process.
std::shared_ptr<WorkerBudget> processWorkerBudget();

// On Windows, answers the messages other threads have sent to the calling
// thread's windows; elsewhere nothing. A thread waiting for a drive must keep
// answering them: the system announces a drive that comes or goes by sending a
// message to every window, and a drive call made meanwhile waits for that.
void answerSentMessages();
#ifdef _WIN32
inline constexpr bool kWaitsAnswerSentMessages = true;
#else
inline constexpr bool kWaitsAnswerSentMessages = false;
#endif

// What the thread that makes one runs now and then while it waits for a
// bounded call, for as long as the object lives: the window's thread keeps
// its window painted while a drive keeps it waiting. The task runs on that
// thread only, never re-entered by a wait inside it; a nested WhileWaiting
// takes over until it goes.
class WhileWaiting {
public:
    explicit WhileWaiting(std::function<void()> task);
    ~WhileWaiting();
    WhileWaiting(const WhileWaiting&) = delete;
    WhileWaiting& operator=(const WhileWaiting&) = delete;

    // Whether the calling thread has a task; running it when it has.
    static bool active();
    static void runTask();

private:
    std::function<void()> task_;
    WhileWaiting* previous_;
};

// How often a waiting thread answers sent messages and runs its task.
inline constexpr std::chrono::milliseconds kWaitSlice{20};

// One call run on its own detached thread, so that a caller can stop waiting
// for it. Everything the worker touches is held here and by shared_ptr: the
// worker never refers to the object that started it, so a worker stuck in a
// hung system call is harmless after everyone has stopped waiting.
template <typename Result>
class BoundedCall {
public:
    // Starts work on a new thread. Null when the budget is spent or no thread
    // can be made; the caller then treats the call as unanswered.
    static std::shared_ptr<BoundedCall> start(std::function<Result()> work, std::shared_ptr<WorkerBudget> budget) {
        if (!budget || !budget->tryAcquire()) return nullptr;
        std::shared_ptr<BoundedCall> call(new BoundedCall());
        try {
            std::thread([call, budget, work = std::move(work)]() mutable {
                std::optional<Result> result;
                try {
                    result = work();
                } catch (...) {
                    // A failed call ends like an unanswered one.
                }
                budget->release();
                call->finish(std::move(result));
            }).detach();
        } catch (const std::system_error&) {
            budget->release();
            return nullptr;
        }
        return call;
    }

    Clock::time_point startedAt() const { return startedAt_; }

    bool finished() const {
        std::lock_guard lock(mutex_);
        return finished_;
    }

    // The result when the call ended by deadline, else empty; never waits past
    // the deadline.
    std::optional<Result> waitUntil(Clock::time_point deadline) const {
        std::unique_lock lock(mutex_);
        if (kWaitsAnswerSentMessages || WhileWaiting::active()) {
            while (!finished_ && Clock::now() < deadline) {
                done_.wait_until(lock, std::min(deadline, Clock::now() + kWaitSlice), [this] { return finished_; });
                if (finished_) break;
                lock.unlock();
                answerSentMessages();
                WhileWaiting::runTask();
                lock.lock();
            }
        }
        done_.wait_until(lock, deadline, [this] { return finished_; });
        if (!finished_) return std::nullopt;
        return result_;
    }

private:
    BoundedCall() : startedAt_(Clock::now()) {}

    void finish(std::optional<Result> result) {
        {
            std::lock_guard lock(mutex_);
            result_ = std::move(result);
            finished_ = true;
        }
        done_.notify_all();
    }

    const Clock::time_point startedAt_;
    mutable std::mutex mutex_;
    mutable std::condition_variable done_;
    bool finished_ = false;
    std::optional<Result> result_;
};

}  // namespace corvath
