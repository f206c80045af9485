#include "results/retention.h"

#include <algorithm>
#include <ctime>
#include <map>
#include <set>

namespace corvath {

namespace {

// Months since year 0 in local time, so that months compare as numbers.
int monthOf(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
    ::localtime_r(&seconds, &parts);
    return (parts.tm_year + 1900) * 12 + parts.tm_mon;
}

}  // namespace

std::vector<std::int64_t> scansPastKeeping(const std::vector<StoredScan>& scansOfDrive,
                                           std::chrono::system_clock::time_point now, RetentionRule rule) {
    std::vector<const StoredScan*> newestFirst;
    for (const StoredScan& scan : scansOfDrive) newestFirst.push_back(&scan);
    std::sort(newestFirst.begin(), newestFirst.end(), [](const StoredScan* a, const StoredScan* b) {
        return a->finished != b->finished ? a->finished > b->finished : a->id > b->id;
    });
    std::set<std::int64_t> kept;
    for (std::size_t i = 0; i < newestFirst.size() && i < rule.newest; ++i) kept.insert(newestFirst[i]->id);
    const int thisMonth = monthOf(now);
    std::set<int> monthsSeen;
    for (const StoredScan* scan : newestFirst) {
        const int month = monthOf(scan->finished);
        if (month > thisMonth - rule.months && month <= thisMonth && monthsSeen.insert(month).second) {
            kept.insert(scan->id);
        }
    }
    std::vector<std::int64_t> past;
    for (const StoredScan* scan : newestFirst) {
        if (!kept.contains(scan->id)) past.push_back(scan->id);
    }
    std::sort(past.begin(), past.end());
    return past;
}

}  // namespace corvath
