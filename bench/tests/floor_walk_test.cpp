#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <sstream>
#include <system_error>

#include "floor/floor_walk.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"
#include "tree/ensure_tree.h"
#include "tree_listing.h"

namespace corvath::bench {
namespace {

using corvath::test::TempDir;

TreeParameters params() {
    TreeParameters p;
    p.seed = 3;
    p.files = 8000;
    p.folders = 700;
    p.deepChain = 400;  // paths beyond PATH_MAX: the walk must work relative to folders
    return p;
}

class FloorWalk : public ::testing::Test {
protected:
    void SetUp() override {
        std::ostringstream log;
        ensureTree(params(), tree_.string(), log);
    }
    void TearDown() override { removeTree(AT_FDCWD, tree_.c_str()); }

    TempDir dir_;
    std::filesystem::path tree_ = dir_ / "tree";
};

TEST_F(FloorWalk, TotalsEqualDuOnEveryThreadCount) {
    const std::uint64_t duAllocated = listing::duBytes("-s -x -B1", tree_);
    const std::uint64_t duApparent = listing::duBytes("-s -x -B1 --apparent-size", tree_);
    for (unsigned threads : {1U, 2U, 5U}) {
        const WalkTotals t = floorWalk(tree_.string(), threads);
        EXPECT_EQ(t.allocated, duAllocated) << threads << " threads";
        EXPECT_EQ(t.apparent, duApparent) << threads << " threads";
        EXPECT_EQ(t.files, params().files + 1U) << "every planned entry and the stamp";
        EXPECT_EQ(t.folders, params().folders);
        EXPECT_EQ(t.errors, 0U);
    }
}

TEST_F(FloorWalk, StaysOnTheRootsFilesystem) {
    std::string reason;
    if (!corvath::test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    const auto mountPoint = tree_ / "mnt";
    std::filesystem::create_directory(mountPoint);
    const WalkTotals before = floorWalk(tree_.string(), 2);
    corvath::test::mountTmpfs(mountPoint.string());
    corvath::test::writeFile(mountPoint / "big", std::string(200'000, 'x'));
    const WalkTotals after = floorWalk(tree_.string(), 2);
    const std::uint64_t du = listing::duBytes("-s -x -B1", tree_);
    ::umount2(mountPoint.c_str(), MNT_DETACH);
    EXPECT_EQ(after.files, before.files);
    EXPECT_EQ(after.allocated, du);
    EXPECT_LT(after.allocated, before.allocated + 200'000);
}

TEST(FloorWalkRoot, AMissingRootIsAnError) {
    TempDir dir;
    EXPECT_THROW(floorWalk((dir / "absent").string(), 2), std::system_error);
}

}  // namespace
}  // namespace corvath::bench
