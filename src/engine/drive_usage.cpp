#include "engine/drive_usage.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace corvath {

namespace {

struct Answer {
    std::mutex mutex;
    std::condition_variable arrived;
    bool done = false;
    std::optional<std::uint64_t> used;
};

}  // namespace

std::optional<std::uint64_t> driveUsageWithin(DriveUsageQuery query, std::chrono::milliseconds bound) {
    auto answer = std::make_shared<Answer>();
    std::thread([answer, query = std::move(query)] {
        std::optional<std::uint64_t> used;
        try {
            used = query();
        } catch (...) {
            // No answer is an answer too: the scan is stored without the figure.
        }
        std::lock_guard lock(answer->mutex);
        answer->used = used;
        answer->done = true;
        answer->arrived.notify_all();
    }).detach();
    std::unique_lock lock(answer->mutex);
    if (!answer->arrived.wait_for(lock, bound, [&] { return answer->done; })) return std::nullopt;
    return answer->used;
}

}  // namespace corvath
