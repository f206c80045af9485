// Totals of finished scans against du and find on real trees.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "engine/engine_run.h"
#include "engine/scan_reference.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

void expectMatchesTools(const std::filesystem::path& root, const WalkTotals& totals) {
    const Reference reference = referenceFor(root);
    EXPECT_EQ(totals.allocated, reference.allocated) << "du -s -x -B1";
    EXPECT_EQ(totals.apparent, reference.apparent) << "du -s -x -b";
    EXPECT_EQ(totals.files + totals.folders, reference.entries) << "find -xdev";
    EXPECT_EQ(totals.folders, reference.folders) << "find -xdev -type d";
    EXPECT_EQ(totals.errors, 0u);
}

TEST(ScannerTotals, AwkwardTreeMatchesDuAndFindWithAnyNumberOfThreads) {
    TempDir dir;
    makeAwkwardTree(dir.path());
    for (const unsigned threads : {1u, 2u, 8u}) {
        SCOPED_TRACE(threads);
        expectMatchesTools(dir.path(), scanTotals(dir.path(), threads));
    }
}

TEST(ScannerTotals, HardLinksCountOnceButEveryNameIsAFile) {
    TempDir dir;
    makeAwkwardTree(dir.path());
    const WalkTotals totals = scanTotals(dir.path());
    std::filesystem::remove(dir / "a" / "shared-again");
    std::filesystem::remove(dir / "b" / "shared-elsewhere");
    const WalkTotals fewer = scanTotals(dir.path());
    EXPECT_EQ(fewer.allocated, totals.allocated);
    EXPECT_EQ(fewer.files, totals.files - 2);
}

TEST(ScannerTotals, ChainDeeperThanAnyPathScansExactly) {
    TempDir dir;
    constexpr int kDepth = 10000;
    makeDeepChain(dir.path(), kDepth);
    const WalkTotals totals = scanTotals(dir.path(), 2);
    EXPECT_EQ(totals.folders, kDepth + 1u);
    EXPECT_EQ(totals.files, static_cast<std::uint64_t>(kDepth));
    EXPECT_EQ(totals.allocated, allocatedByDu(dir.path()));
    removeDeepChain(dir.path());
    EXPECT_FALSE(std::filesystem::exists(dir / "d"));
}

TEST(ScannerTotals, FolderOfHundredThousandEntries) {
    TempDir dir;
    const int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 100000; ++i) {
        const std::string name = "entry-" + std::to_string(i);
        const int file = ::openat(fd, name.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(file, 0);
        ::close(file);
    }
    ::close(fd);
    const WalkTotals totals = scanTotals(dir.path(), 4);
    EXPECT_EQ(totals.files, 100000u);
    EXPECT_EQ(totals.folders, 1u);
    EXPECT_EQ(totals.allocated, allocatedByDu(dir.path()));
}

}  // namespace
}  // namespace corvath::test

namespace corvath::test {
namespace {

// A full binary tree of long-named folders, with a file in each.
void makeBinaryTree(const std::filesystem::path& folder, int depth) {
    writeFile(folder / "file", "f");
    if (depth == 0) return;
    for (const char* side : {"left-", "right-"}) {
        makeBinaryTree(folder / (side + std::string(180, 'n')), depth - 1);
    }
}

// With few file descriptors to spare, folders cannot all stay open for their
// sub-folders: these are then reached by relative paths from a kept ancestor,
// and paths too long for that keep more ancestors open.
TEST(ScannerTotals, FewFileDescriptorsStillScanExactly) {
    TempDir dir;
    makeBinaryTree(dir.path(), 9);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 32;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const WalkTotals totals = scanTotals(dir.path(), 4);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(totals.folders, 1023u);
    EXPECT_EQ(totals.files, 1023u);
    EXPECT_EQ(totals.errors, 0u);
    EXPECT_EQ(totals.allocated, allocatedByDu(dir.path()));
}

}  // namespace
}  // namespace corvath::test
