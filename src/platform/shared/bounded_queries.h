#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "platform/shared/bounded_call.h"

namespace corvath {

// How every volume layer asks a drive something that may never answer (the
// accessibility probe, the disk-space query): on a bounded worker, waiting at
// most the bound from the moment the call started. A call still unanswered
// from an earlier ask about the same drive is waited on rather than repeated,
// so a hung drive answers at once the second time and holds at most one stuck
// worker per kind of query; the budget caps stuck workers for the whole
// process. Safe from any thread.
template <typename Result>
class BoundedQueries {
public:
    using Call = BoundedCall<Result>;

    BoundedQueries(std::chrono::milliseconds bound, std::shared_ptr<WorkerBudget> budget)
        : bound_(bound), budget_(std::move(budget)) {}

    // The call about key still unanswered from an earlier ask, else a new one
    // running work; null when the budget is spent.
    std::shared_ptr<Call> runningOrStart(const std::string& key, std::function<Result()> work) {
        std::lock_guard lock(mutex_);
        for (auto it = unanswered_.begin(); it != unanswered_.end();) {
            it = it->second->finished() ? unanswered_.erase(it) : std::next(it);
        }
        if (const auto it = unanswered_.find(key); it != unanswered_.end()) return it->second;
        return Call::start(std::move(work), budget_);
    }

    // The call's result, waiting until its start plus the bound: a call started
    // in advance has had its time already. One that does not answer in time is
    // kept for the next ask about key.
    std::optional<Result> answer(const std::string& key, const std::shared_ptr<Call>& call) {
        if (auto result = call->waitUntil(call->startedAt() + bound_)) return result;
        std::lock_guard lock(mutex_);
        unanswered_[key] = call;
        return std::nullopt;
    }

    // Both: empty when no worker could be had or no answer came in time.
    std::optional<Result> ask(const std::string& key, std::function<Result()> work) {
        const std::shared_ptr<Call> call = runningOrStart(key, std::move(work));
        if (!call) return std::nullopt;
        return answer(key, call);
    }

private:
    const std::chrono::milliseconds bound_;
    const std::shared_ptr<WorkerBudget> budget_;
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<Call>> unanswered_;
};

}  // namespace corvath
