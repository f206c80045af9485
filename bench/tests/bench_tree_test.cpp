#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "support/temp_dir.h"
#include "tree/ensure_tree.h"
#include "tree_listing.h"

namespace corvath::bench {
namespace {

using corvath::test::TempDir;

TreeParameters small(std::uint64_t seed = 7, std::uint32_t deep = 20) {
    TreeParameters p;
    p.seed = seed;
    p.files = 6000;
    p.folders = 300;
    p.deepChain = deep;
    return p;
}

bool isRegular(EntryKind k) { return k != EntryKind::HardLink && k != EntryKind::Symlink; }

TEST(BenchTreePlan, DefaultPlanHasTheShapeTheBenchmarksNeed) {
    const TreePlan plan = makePlan(TreeParameters{});
    ASSERT_EQ(plan.folders.size(), 50'000U);
    std::uint64_t entries = 0, bigFolders = 0, symlinks = 0, sparse = 0, crossLinks = 0, sameLinks = 0;
    std::uint32_t deepest = 0;
    for (std::uint32_t f = 0; f < plan.folders.size(); ++f) {
        const auto& folder = plan.folders[f];
        entries += folder.entries.size();
        bigFolders += folder.entries.size() >= 20'000;
        deepest = std::max(deepest, folder.depth);
        for (const auto& e : folder.entries) {
            symlinks += e.kind == EntryKind::Symlink;
            sparse += e.kind == EntryKind::Sparse;
            if (e.kind != EntryKind::HardLink) continue;
            const auto& target = plan.folders[e.targetFolder];
            ASSERT_FALSE(target.inDeepChain);
            ASSERT_LT(e.targetEntry, target.entries.size());
            ASSERT_TRUE(isRegular(target.entries[e.targetEntry].kind)) << "a link to a link or symlink";
            (e.targetFolder == f ? sameLinks : crossLinks) += 1;
        }
    }
    EXPECT_EQ(entries, 1'000'000U);
    EXPECT_GE(bigFolders, 4U);
    EXPECT_EQ(deepest, 600U);
    EXPECT_GT(symlinks, 5'000U);
    EXPECT_GT(sparse, 50U);
    EXPECT_GT(crossLinks, 1'000U);
    EXPECT_GT(sameLinks, 1'000U);
}

TEST(BenchTree, SameParametersGiveTheSameTreeAndAnotherSeedAnother) {
    TempDir dir;
    std::ostringstream log;
    ensureTree(small(), (dir / "a").string(), log);
    ensureTree(small(), (dir / "b").string(), log);
    ensureTree(small(8), (dir / "c").string(), log);
    const std::string a = listing::listTree(dir / "a");
    EXPECT_EQ(a, listing::listTree(dir / "b"));
    EXPECT_NE(a, listing::listTree(dir / "c"));
}

TEST(BenchTree, HoldsCrossFolderHardLinksSparseFilesEscapingSymlinksAndAChainBeyondPathMax) {
    TempDir dir;
    const auto root = dir / "t";
    std::ostringstream log;
    TreeParameters p = small(7, 400);
    p.folders = 700;
    const auto outcome = ensureTree(p, root.string(), log);
    EXPECT_GT(outcome.totals.hardLinks, 0U);

    // The chain, followed folder by folder: its full path is longer than the
    // kernel accepts in one call.
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    std::size_t pathLength = root.string().size();
    for (std::uint32_t level = 1; level <= 400; ++level) {
        const std::string name = folderName(level);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        ::close(fd);
        ASSERT_GE(next, 0) << "chain broken at level " << level;
        fd = next;
        pathLength += 1 + name.size();
    }
    ::close(fd);
    EXPECT_GT(pathLength, static_cast<std::size_t>(PATH_MAX));

    // Everything outside the chain is reachable by path.
    std::map<ino_t, std::set<std::string>> folderOfInode;
    bool sparseSeen = false, absoluteLinkSeen = false;
    const auto shallow = root / folderName(401);
    ASSERT_TRUE(std::filesystem::exists(shallow));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.path().string().find("/" + folderName(1) + "/") != std::string::npos) {
            continue;
        }
        struct stat st {};
        ASSERT_EQ(::lstat(entry.path().c_str(), &st), 0);
        if (S_ISREG(st.st_mode)) {
            if (st.st_nlink > 1) folderOfInode[st.st_ino].insert(entry.path().parent_path().string());
            sparseSeen |= st.st_blocks * 512 < st.st_size;
        }
        if (S_ISLNK(st.st_mode) && std::filesystem::read_symlink(entry.path()).is_absolute()) absoluteLinkSeen = true;
    }
    bool crossFolder = false;
    for (const auto& [inode, folders] : folderOfInode) crossFolder |= folders.size() > 1;
    EXPECT_TRUE(crossFolder);
    EXPECT_TRUE(sparseSeen);
    EXPECT_TRUE(absoluteLinkSeen) << "no symlink leading out of the tree";
    removeTree(AT_FDCWD, root.c_str());  // TempDir's cleanup works by full paths
}

TEST(BenchTree, KeepsItsOwnTreeReplacesOneWithOtherParametersAndRefusesOthers) {
    TempDir dir;
    const auto tree = dir / "t";
    std::ostringstream log;
    EXPECT_TRUE(ensureTree(small(), tree.string(), log).created);
    corvath::test::writeFile(tree / "marker", "x");
    EXPECT_FALSE(ensureTree(small(), tree.string(), log).created);
    EXPECT_TRUE(std::filesystem::exists(tree / "marker"));

    EXPECT_TRUE(ensureTree(small(9), tree.string(), log).created);
    EXPECT_FALSE(std::filesystem::exists(tree / "marker"));
    EXPECT_EQ(corvath::test::readFile(tree / kStampName), small(9).describe());

    const auto foreign = dir / "foreign";
    corvath::test::writeFile(foreign / "precious", "keep me");
    EXPECT_THROW(ensureTree(small(), foreign.string(), log), std::runtime_error);
    EXPECT_EQ(corvath::test::readFile(foreign / "precious"), "keep me");
}

TEST(BenchTree, AnInterruptedBuildIsClearedButAForeignSideFolderIsNot) {
    TempDir dir;
    const auto tree = dir / "t";
    std::ostringstream log;
    // What an interrupted run leaves: the side folder, stamped incomplete.
    corvath::test::writeFile(dir / "t.building" / kStampName, "corvath-bench-tree incomplete\n");
    corvath::test::writeFile(dir / "t.building" / "half", "");
    EXPECT_TRUE(ensureTree(small(), tree.string(), log).created);
    EXPECT_FALSE(std::filesystem::exists(dir / "t.building"));
    EXPECT_FALSE(std::filesystem::exists(tree / "half"));

    const auto other = dir / "u";
    corvath::test::writeFile(dir / "u.building" / "precious", "keep me");
    EXPECT_THROW(ensureTree(small(), other.string(), log), std::runtime_error);
    EXPECT_EQ(corvath::test::readFile(dir / "u.building" / "precious"), "keep me");
    EXPECT_FALSE(std::filesystem::exists(other));
}

}  // namespace
}  // namespace corvath::bench
