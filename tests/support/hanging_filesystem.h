#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace corvath::test {

// The never-answering FUSE filesystem (tests/platform/fuse_hang), run as a
// child process. Stopping it aborts the connection, which fails every request
// still waiting on it, so no thread stays stuck; the mount is then detached.
// The child dies with the test in any case.
class HangingFilesystem {
public:
    // mode: "" to hang at once, "--answer-root" to hang only below the root.
    HangingFilesystem(const std::string& program, const std::filesystem::path& mountPoint,
                      const std::string& mode = "");
    ~HangingFilesystem();
    HangingFilesystem(const HangingFilesystem&) = delete;
    HangingFilesystem& operator=(const HangingFilesystem&) = delete;

    // Waits until the filesystem is in the mount table; false when it never came.
    bool mounted();
    void stop();

private:
    std::filesystem::path mountPoint_;
    pid_t pid_ = -1;
};

}  // namespace corvath::test
