#include "engine/engine_error.h"
#include "engine/scanner.h"
#include "engine/event_pump.h"
#include "platform/linux/linux_volume_layer.h"
#include "support/drive_roots.h"
#include "support/hanging_filesystem.h"
#include "support/mount_namespace.h"
#include "support/recording_results.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using test::HangingFilesystem;

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
        HangingFilesystem hung(CORVATH_FUSE_HANG, mountPoint);
        ASSERT_TRUE(hung.mounted()) << "the FUSE filesystem did not mount";

        LinuxVolumeOptions options;  // the product's bound of 2 s
        options.budget = budget;
        LinuxVolumeLayer layer(options);

        // Describing the drive touches only the table and sysfs.
        auto start = Clock::now();
        ShellInfo info;
        ASSERT_TRUE(layer.shellInfo(root, info));
        EXPECT_EQ(info.displayName, "Local Disk (" + name + ")");
        // Served by a process, which may stop answering: typed as a network drive.
        EXPECT_EQ(layer.driveType(name), drive_type::kRemote);
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

// A drive that answers for its root, then hangs in the first folder below it:
// the scan fails once nothing has been read for the stall limit, naming the
// drive, and leaves the stuck worker behind.
TEST(HungFuseMount, AScanThatStopsAnsweringFailsAfterTheStallLimit) {
    std::string reason;
    if (!test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse";

    test::TempDir dir;
    const fs::path mountPoint = dir / "hung";
    HangingFilesystem hung(CORVATH_FUSE_HANG, mountPoint, "--answer-root");
    ASSERT_TRUE(hung.mounted()) << "the FUSE filesystem did not mount";

    WaitPump pump;
    ScannerOptions options;
    options.stallLimit = 700ms;
    test::RecordingResults results;
    Scanner scanner(pump, results, options);

    // Should the scan wait for ever, stopping the filesystem ends the wait.
    std::mutex mutex;
    std::condition_variable changed;
    bool returned = false;
    std::thread rescue([&] {
        std::unique_lock lock(mutex);
        if (!changed.wait_for(lock, 10s, [&] { return returned; })) hung.stop();
    });

    const auto start = Clock::now();
    try {
        scanner.AnalyzeDrive(mountPoint.string());
        ADD_FAILURE() << "the scan of a hung drive succeeded";
    } catch (const EngineError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot analyze " + mountPoint.string() + ": the drive has not answered for 700 ms");
    }
    const auto waited = since(start);
    {
        std::lock_guard lock(mutex);
        returned = true;
    }
    changed.notify_all();
    rescue.join();
    EXPECT_GE(waited, options.stallLimit);
    EXPECT_LT(waited, options.stallLimit + 1500ms);
    const WalkTotals totals = scanner.totals();
    EXPECT_EQ(totals.folders, 2u) << "the root and the folder that hangs were read";
    EXPECT_FALSE(scanner.scanning());
    hung.stop();  // the stuck worker fails and goes
}

// Where a container runtime keeps its layers a FUSE mount (rootless Podman's
// fuse-overlayfs) is no drive; a FUSE filesystem elsewhere is listed, but as a
// drive a process serves, never pre-ticked as a fixed one.
TEST(FuseMounts, AtAContainerRuntimesFolderNoDriveElsewhereListedButNotFixed) {
    std::string reason;
    if (!test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse";
    test::mountTmpfs("/var/lib");  // the runtimes' folder, in this namespace only
    test::TempDir dir;
    const fs::path runtime = "/var/lib/containers/storage/overlay/89ab/merged", data = dir / "data";
    HangingFilesystem layer(CORVATH_FUSE_HANG, runtime, "--answer-root");
    HangingFilesystem served(CORVATH_FUSE_HANG, data, "--answer-root");
    ASSERT_TRUE(layer.mounted() && served.mounted()) << "the FUSE filesystems did not mount";

    LinuxVolumeLayer volumes;
    const std::vector<std::string> roots = test::splitDriveRoots(volumes.driveRoots());
    EXPECT_EQ(std::find(roots.begin(), roots.end(), runtime.string() + "/"), roots.end());
    ASSERT_NE(std::find(roots.begin(), roots.end(), data.string() + "/"), roots.end());
    EXPECT_EQ(volumes.driveType(data.string()), drive_type::kRemote);
    layer.stop();
    served.stop();
}

}  // namespace
}  // namespace corvath
