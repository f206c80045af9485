#include "platform/shared/bounded_call.h"

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

}  // namespace corvath
