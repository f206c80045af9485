#include "platform/shared/bounded_call.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvath {

bool WorkerBudget::tryAcquire() {
    std::lock_guard lock(mutex_);
    if (inUse_ >= capacity_) return false;
    ++inUse_;
    return true;
}

void WorkerBudget::release() {
    std::lock_guard lock(mutex_);
    if (inUse_ > 0) --inUse_;
}

std::size_t WorkerBudget::inUse() const {
    std::lock_guard lock(mutex_);
    return inUse_;
}

std::shared_ptr<WorkerBudget> processWorkerBudget() {
    static const std::shared_ptr<WorkerBudget> budget = std::make_shared<WorkerBudget>(32);
    return budget;
}

namespace {

thread_local WhileWaiting* currentTask = nullptr;
thread_local bool taskRunning = false;

}  // namespace

WhileWaiting::WhileWaiting(std::function<void()> task) : task_(std::move(task)), previous_(currentTask) {
    currentTask = this;
}

WhileWaiting::~WhileWaiting() { currentTask = previous_; }

bool WhileWaiting::active() { return currentTask != nullptr && currentTask->task_ && !taskRunning; }

void WhileWaiting::runTask() {
    if (!active()) return;
    taskRunning = true;
    try {
        currentTask->task_();
    } catch (...) {
        // A task that fails costs this round only; the wait goes on.
    }
    taskRunning = false;
}

void answerSentMessages() {
#ifdef _WIN32
    MSG message;
    // Peeking with this flag runs the window procedures of sent messages only;
    // posted ones stay queued for the thread's own loop.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
#endif
}

}  // namespace corvath
