#pragma once

#include <cstddef>
#include <memory>
#include <mutex>

namespace corvath {

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

}  // namespace corvath
