#pragma once

#include <string>
#include <sys/mount.h>

namespace corvath::test {

// Unmounts a test's mount when the test ends, before its temporary folder is
// removed (a mount point cannot be removed while mounted).
class UnmountGuard {
public:
    explicit UnmountGuard(std::string target) : target_(std::move(target)) {}
    ~UnmountGuard() { ::umount2(target_.c_str(), MNT_DETACH); }
    UnmountGuard(const UnmountGuard&) = delete;
    UnmountGuard& operator=(const UnmountGuard&) = delete;

private:
    std::string target_;
};

}  // namespace corvath::test
