// A mount inside the scanned tree is listed but not entered.
#include <gtest/gtest.h>

#include "engine/engine_run.h"
#include "engine/scan_reference.h"
#include "engine/unmount_guard.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

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

    // Scanning the mount itself stays on the tmpfs.
    const WalkTotals inside = scanTotals(dir / "a" / "mnt", 2);
    EXPECT_EQ(inside.files, 1u);
    EXPECT_EQ(inside.folders, 2u);
}

}  // namespace
}  // namespace corvath::test
