#include "platform/linux/directory_probe.h"
#include "platform/linux/disk_space.h"
#include "platform/linux/linux_volume_layer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

using test::TempDir;

TEST(DirectoryProbe, ReadsARealFolderAndReportsWhatIsMissing) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    test::writeFile(dir / "file", "x");
    EXPECT_EQ(probeDirectory((dir / "folder").string() + "/"), ProbeOutcome::Readable);
    EXPECT_EQ(probeDirectory((dir / "vanished").string() + "/"), ProbeOutcome::Inaccessible);
    EXPECT_EQ(probeDirectory((dir / "file").string()), ProbeOutcome::Inaccessible);
}

struct statvfs sizes(unsigned long blocks, unsigned long freeBlocks, unsigned long fragment, unsigned long block) {
    struct statvfs info {};
    info.f_blocks = blocks;
    info.f_bfree = freeBlocks;
    info.f_frsize = fragment;
    info.f_bsize = block;
    return info;
}

TEST(DiskSpace, SizesAreExactBeyondThirtyTwoBits) {
    DiskSpace space;
    // 3 TiB in 4 KiB blocks, 1 TiB + 4 KiB free.
    ASSERT_TRUE(diskSpaceOf(sizes(805306368, 268435457, 4096, 4096), space));
    EXPECT_EQ(space.totalBytes, 3298534883328u);
    EXPECT_EQ(space.totalFreeBytes, 1099511631872u);
    EXPECT_EQ(space.totalBytes - space.totalFreeBytes, 2199023251456u);
}

TEST(DiskSpace, OddAnswersGiveNoWrappedNumbers) {
    DiskSpace space;
    ASSERT_TRUE(diskSpaceOf(sizes(100, 10, 0, 512), space));  // no fragment size: the block size counts
    EXPECT_EQ(space.totalBytes, 51200u);
    ASSERT_TRUE(diskSpaceOf(sizes(100, 150, 1024, 1024), space));  // more free than total
    EXPECT_EQ(space.totalFreeBytes, space.totalBytes);
    space = DiskSpace{7, 7};
    EXPECT_FALSE(diskSpaceOf(sizes(~0UL, 0, 4096, 4096), space));  // beyond 64 bits
    EXPECT_EQ(space.totalBytes, 0u);
    EXPECT_EQ(space.totalFreeBytes, 0u);
}

TEST(DiskSpace, RealQueriesThroughTheLayer) {
    TempDir dir;
    LinuxVolumeLayer layer;
    DiskSpace space;
    ASSERT_TRUE(layer.diskSpace(dir.path().string(), space));
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.totalFreeBytes, space.totalBytes);
    space = DiskSpace{7, 7};
    EXPECT_FALSE(layer.diskSpace((dir / "missing").string(), space));
    EXPECT_EQ(space.totalBytes, 0u);
    EXPECT_EQ(space.totalFreeBytes, 0u);
}

}  // namespace
}  // namespace corvath
