#pragma once

#include <string>

namespace corvath::test {

// Moves this process into a private mount namespace, so that mounts made by the
// test are real entries of /proc/self/mountinfo and vanish with the process.
// Needs root. Returns false with the reason when it cannot; callers then skip
// visibly with GTEST_SKIP() << reason.
bool enterPrivateMountNamespace(std::string& reason);

// Mounts a tmpfs (with an optional size and mount options) or a bind mount; throws
// with the reason on failure.
void mountTmpfs(const std::string& target, const std::string& options = "size=16m");
void mountBind(const std::string& source, const std::string& target);

}  // namespace corvath::test
