#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "results/stored_scan.h"

namespace corvath {

// Per drive: the newest scans, and the last scan of each recent month (by the
// local calendar), are kept; the rest go.
inline constexpr std::size_t kKeptNewestScans = 10;
inline constexpr int kKeptMonths = 24;  // the current month and the 23 before it

struct RetentionRule {
    std::size_t newest = kKeptNewestScans;
    int months = kKeptMonths;
};

// The ids of the scans of one drive that the rule lets go, given now.
std::vector<std::int64_t> scansPastKeeping(const std::vector<StoredScan>& scansOfDrive,
                                           std::chrono::system_clock::time_point now, RetentionRule rule = {});

}  // namespace corvath
