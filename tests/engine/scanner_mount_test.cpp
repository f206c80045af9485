// A mount inside the scanned tree is listed but not entered.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "engine/engine_run.h"
#include "engine/posix/folder_open.h"
#include "engine/scan_reference.h"
#include "engine/unmount_guard.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;

// The walk on its own, to choose how folders are opened.
WalkTotals walkTotals(const fs::path& root, bool useOpenat2) {
    FolderWalk walk(root.string(), WalkOptions{2, nullptr, useOpenat2});
    walk.start({});
    walk.waitStopped(std::chrono::steady_clock::time_point::max());
    return walk.totals();
}

std::uint64_t allocatedOf(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return 0;
    return static_cast<std::uint64_t>(st.st_blocks) * 512u;
}

TEST(ScannerMounts, MountPointIsCountedAsAFolderButNotEntered) {
    std::string reason;
    if (!enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    TempDir dir;
    makeAwkwardTree(dir.path());
    std::filesystem::create_directories(dir / "a" / "mnt");
    writeFile(dir / "a" / "mnt" / "hidden-below", std::string(50000, 'u'));  // under the mount: not seen
    mountTmpfs((dir / "a" / "mnt").string());
    const UnmountGuard unmount((dir / "a" / "mnt").string());
    writeFile(dir / "a" / "mnt" / "on-tmpfs", std::string(100000, 't'));
    std::filesystem::create_directories(dir / "a" / "mnt" / "sub");

    const WalkTotals totals = scanTotals(dir.path(), 4);
    const Reference reference = referenceFor(dir.path());
    EXPECT_EQ(totals.allocated, reference.allocated);
    EXPECT_EQ(totals.files + totals.folders, reference.entries);
    EXPECT_EQ(totals.folders, reference.folders);
    // Kernels without openat2 tell the mount by its device.
    const WalkTotals fallback = walkTotals(dir.path(), false);
    EXPECT_EQ(fallback.allocated, reference.allocated);
    EXPECT_EQ(fallback.files + fallback.folders, reference.entries);
    EXPECT_EQ(fallback.errors, 0u);

    // Scanning the mount itself stays on the tmpfs.
    const WalkTotals inside = scanTotals(dir / "a" / "mnt", 2);
    EXPECT_EQ(inside.files, 1u);
    EXPECT_EQ(inside.folders, 2u);
}

// A bind mount has the device of the filesystem it shows; one of the scanned
// tree inside itself would make the walk go round for ever if it were entered.
TEST(ScannerMounts, BindMountOfTheSameFilesystemIsAMountPointToo) {
    if (!FolderOpener::kernelHasOpenat2()) GTEST_SKIP() << "only openat2 tells a bind mount of the same filesystem";
    std::string reason;
    if (!enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    TempDir dir;
    makeAwkwardTree(dir.path());
    fs::create_directories(dir / "a" / "loop");
    fs::create_directories(dir / "sibling");
    writeFile(dir / "data" / "file", std::string(20000, 'd'));
    const Reference before = referenceFor(dir.path());
    const std::uint64_t mountPoints = allocatedOf(dir / "a" / "loop") + allocatedOf(dir / "sibling");

    mountBind(dir.path().string(), (dir / "a" / "loop").string());
    const UnmountGuard unmountLoop((dir / "a" / "loop").string());
    mountBind((dir / "data").string(), (dir / "sibling").string());
    const UnmountGuard unmountSibling((dir / "sibling").string());

    const WalkTotals totals = scanTotals(dir.path(), 4);
    EXPECT_EQ(totals.allocated, before.allocated - mountPoints);
    EXPECT_EQ(totals.files + totals.folders, before.entries);
    EXPECT_EQ(totals.folders, before.folders);
    EXPECT_EQ(totals.errors, 0u);
}

}  // namespace
}  // namespace corvath::test
