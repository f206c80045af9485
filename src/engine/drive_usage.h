// The drive's used bytes as the system counts them, asked for on a thread of
// its own: a filesystem that does not answer the question holds up its caller
// no longer than the bound.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace corvath {

// How long a finished walk waits for the answer before it does without.
inline constexpr std::chrono::milliseconds kDriveUsageWait{2000};

using DriveUsageQuery = std::function<std::optional<std::uint64_t>()>;

// Runs query on a thread that is left to itself should it not answer within
// bound (it shares nothing with the caller but the answer); nullopt when it
// fails or has not answered by then.
std::optional<std::uint64_t> driveUsageWithin(DriveUsageQuery query, std::chrono::milliseconds bound);

}  // namespace corvath
