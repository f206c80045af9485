#include "platform/linux/linux_volume_layer.h"
#include "platform/linux/mount_table.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <csignal>
#include "support/drive_roots.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The never-answering FUSE filesystem, run as a child process. Killing it
// aborts the connection, which fails every request still waiting on it; the
// mount is then detached. The child dies with the test in any case.
class HangingFilesystem {
public:
    explicit HangingFilesystem(const fs::path& mountPoint) : mountPoint_(mountPoint) {
        fs::create_directories(mountPoint_);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::execl(CORVATH_FUSE_HANG, CORVATH_FUSE_HANG, mountPoint_.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~HangingFilesystem() { stop(); }

    // Waits until the filesystem is in the mount table; false when it never came.
    bool mounted() {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (pid_ <= 0 || ::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            const auto table = readMountTable("/proc/self/mountinfo");
            if (table && std::any_of(table->begin(), table->end(), [&](const MountEntry& entry) {
                    return entry.mountPoint == mountPoint_.string() && entry.fsType.rfind("fuse", 0) == 0;
                })) {
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        ::umount2(mountPoint_.c_str(), MNT_DETACH);
    }

private:
    fs::path mountPoint_;
    pid_t pid_ = -1;
};

std::chrono::milliseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

TEST(HungFuseMount, NeverDelaysACallerBeyondTheBound) {
    std::string reason;
    if (!test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse";

    test::TempDir dir;
    const fs::path mountPoint = dir / "hung";
    const std::string name = mountPoint.string();
    const std::string root = name + "/";
    auto budget = std::make_shared<WorkerBudget>(8);
    {
        HangingFilesystem hung(mountPoint);
        ASSERT_TRUE(hung.mounted()) << "the FUSE filesystem did not mount";

        LinuxVolumeOptions options;  // the product's bound of 2 s
        options.budget = budget;
        LinuxVolumeLayer layer(options);

        // Describing the drive touches only the table and sysfs.
        auto start = Clock::now();
        ShellInfo info;
        ASSERT_TRUE(layer.shellInfo(root, info));
        EXPECT_EQ(info.displayName, "Local Disk (" + name + ")");
        EXPECT_EQ(layer.driveType(name), drive_type::kFixed);
        EXPECT_LT(since(start), 500ms);

        // Every drive probed in turn, as the drive list is filled: one bound in all.
        start = Clock::now();
        const auto roots = test::splitDriveRoots(layer.driveRoots());
        ASSERT_NE(std::find(roots.begin(), roots.end(), root), roots.end());
        for (const std::string& each : roots) {
            const ProbeOutcome outcome = layer.probe(each);
            if (each == root) {
                EXPECT_EQ(outcome, ProbeOutcome::Inaccessible);
            } else if (each == "/") {
                EXPECT_EQ(outcome, ProbeOutcome::Readable);
            }
        }
        EXPECT_LT(since(start), options.bound + 500ms);

        start = Clock::now();
        DiskSpace space{1, 1};
        EXPECT_FALSE(layer.diskSpace(name, space));
        const auto waited = since(start);
        EXPECT_GE(waited, options.bound - 10ms);
        EXPECT_LT(waited, options.bound + 500ms);
        EXPECT_EQ(space.totalBytes, 0u);
        EXPECT_EQ(space.totalFreeBytes, 0u);

        // Asked again while still hung: answered at once.
        start = Clock::now();
        EXPECT_EQ(layer.probe(root), ProbeOutcome::Inaccessible);
        EXPECT_FALSE(layer.diskSpace(name, space));
        EXPECT_LT(since(start), 100ms);
        EXPECT_GE(budget->inUse(), 2u);
    }
    // With the filesystem gone, the stuck workers come back: nothing is left behind.
    const auto deadline = Clock::now() + 5s;
    while (budget->inUse() != 0 && Clock::now() < deadline) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(budget->inUse(), 0u);
}

}  // namespace
}  // namespace corvath
