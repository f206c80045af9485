// Totals of finished scans against du and find on real trees.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <sys/resource.h>
#include <vector>
#include <unistd.h>

#include "engine/engine_run.h"
#include "engine/folder_walk.h"
#include "engine/posix/unique_fd.h"
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

// Which folder a linked file's bytes count in never depends on which worker
// meets it first: two scans of an unchanged tree must agree folder by folder.
TEST(ScannerTotals, LinkedFileCountsInTheSameFolderEveryScan) {
    TempDir dir;
    writeFile(dir / "f00" / "big", std::string(200000, 'b'));
    for (int i = 1; i < 24; ++i) {
        const std::string folder = "f" + std::to_string(i / 10) + std::to_string(i % 10);
        std::filesystem::create_directories(dir / folder);
        std::filesystem::create_hard_link(dir / "f00" / "big", dir / folder / "big");
    }
    std::set<std::string> owners;
    for (int round = 0; round < 12; ++round) {
        // Workers held up at random, so that a different one meets the file first.
        WalkOptions options{8};
        options.stepHook = [round](WalkStep, const std::string& path) {
            const std::size_t spread = std::hash<std::string>{}(path + std::to_string(round)) % 2000;
            std::this_thread::sleep_for(std::chrono::microseconds(spread));
        };
        FolderWalk walk(dir.path().string(), options);
        walk.start([] {});
        ASSERT_TRUE(walk.waitStopped(std::chrono::steady_clock::now() + std::chrono::seconds(20)));
        const FolderTable& folders = walk.folders();
        for (std::uint32_t i = 1; i < folders.size(); ++i) {
            if (folders[i].allocated >= 200000) owners.insert(folders[i].name);
        }
    }
    EXPECT_EQ(owners.size(), 1u);
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

// A user's low open-file limit (ulimit -n) with many workers asked for, on a
// chain deeper than any path: the walk runs fewer workers and keeps fewer
// folders open, and the totals stay exact. Below the least it can work with,
// it refuses in one line.
TEST(ScannerTotals, LowOpenFileLimitsScanTheDeepChainExactlyOrRefuse) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "each scan of the chain takes minutes under ThreadSanitizer; the other presets run it";
#endif
    TempDir dir;
    constexpr int kDepth = 20000;
    makeDeepChain(dir.path(), kDepth);
    const std::string expected = "allocated: " + std::to_string(allocatedByDu(dir.path())) + "\n";
    // The shell's own redirections need descriptors above 10: it makes them
    // before it lowers the limit.
    const auto scanWithLimit = [&](int limit, int* status) {
        return runCommand("(ulimit -n " + std::to_string(limit) + " && exec " + CORVATH_SCAN_BINARY + " -j 8 " +
                              shellQuote(dir.path().string()) + ") 2>&1",
                          status);
    };
    for (const int limit : {12, 16, 24}) {
        SCOPED_TRACE(limit);
        int status = -1;
        const std::string output = scanWithLimit(limit, &status);
        EXPECT_EQ(status, 0) << output;
        EXPECT_EQ(output.rfind(expected, 0), 0u) << output;
        for (const std::string line : {"files: 20000\n", "folders: 20001\n", "errors: 0\n"}) {
            EXPECT_NE(output.find(line), std::string::npos) << line << output;
        }
    }
#if defined(__SANITIZE_ADDRESS__)
    // UndefinedBehaviorSanitizer checks types through a pipe, which a process
    // without descriptors to spare cannot make: it then reports false errors.
    removeDeepChain(dir.path());
    return;
#endif
    int status = -1;
    const std::string refused = scanWithLimit(5, &status);
    EXPECT_NE(status, 0);
    EXPECT_EQ(refused.rfind("corvath-scan: cannot analyze " + dir.path().string() + ": too few file descriptors free (", 0), 0u)
        << refused;
    EXPECT_EQ(refused.find('\n'), refused.size() - 1) << refused;
    removeDeepChain(dir.path());
}

class FolderCounter : public FolderVisitor {
public:
    void enter(std::uint32_t, const std::string&) override { ++count; }
    void leave(std::uint32_t) override {}
    std::uint64_t count = 0;
};

// Folders removed while the scan runs, after they were listed and before they
// are opened, or after they were opened and before they are read (getdents64
// then answers ENOENT), are simply not there: no error, no size, and not in the
// folder table that the stored results and the export are made from.
TEST(ScannerTotals, FoldersRemovedWhileScannedAreNeitherCountedNorErrors) {
    TempDir dir;
    writeFile(dir / "stays" / "file", "s");
    writeFile(dir / "stays" / "listed" / "file", std::string(9000, 'l'));
    writeFile(dir / "stays" / "opened" / "file", std::string(9000, 'o'));
    WalkOptions options;
    options.threads = 2;
    options.stepHook = [&](WalkStep step, const std::string& path) {
        if ((step == WalkStep::Opening && path == "stays/listed") || (step == WalkStep::Reading && path == "stays/opened")) {
            std::filesystem::remove_all(dir / path);
        }
    };
    FolderWalk walk(dir.path().string(), options);
    WaitPump pump;
    walk.start([&pump] { pump.wake(); });
    pump.run();
    ASSERT_TRUE(walk.waitStopped(std::chrono::steady_clock::time_point::max()));
    ASSERT_FALSE(std::filesystem::exists(dir / "stays" / "listed"));
    ASSERT_FALSE(std::filesystem::exists(dir / "stays" / "opened"));

    const Reference reference = referenceFor(dir.path());  // the tree as it is now
    const WalkTotals totals = walk.totals();
    EXPECT_EQ(totals.errors, 0u);
    EXPECT_EQ(totals.allocated, reference.allocated);
    EXPECT_EQ(totals.apparent, reference.apparent);
    EXPECT_EQ(totals.folders, reference.folders);
    EXPECT_EQ(totals.files + totals.folders, reference.entries);
    FolderTable& table = walk.folders();
    table.sumUp();
    EXPECT_EQ(table[0].allocated, reference.allocated);
    EXPECT_EQ(table[0].folders + 1, reference.folders);
    FolderCounter visited;
    visitDepthFirst(table, dir.path().string(), visited);
    EXPECT_EQ(visited.count, reference.folders);
}

// Should the process run out of descriptors all the same (another part of it
// took them), the folders that cannot be opened fail the scan: a short total
// is never reported as a finished one.
TEST(ScannerTotals, RunningOutOfDescriptorsMidScanFailsTheScan) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "UndefinedBehaviorSanitizer checks types through a pipe, which it cannot make here";
#endif
    TempDir dir;
    writeFile(dir / "a" / "b" / "file", "x");
    std::vector<UniqueFd> taken;
    WalkOptions options;
    options.threads = 1;
    options.stepHook = [&](WalkStep step, const std::string& path) {
        if (step != WalkStep::Opening || path != "a") return;
        for (UniqueFd fd(::dup(0)); fd.valid(); fd = UniqueFd(::dup(0))) taken.push_back(std::move(fd));
    };
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 64;  // so that taking every descriptor is quick
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    FolderWalk walk(dir.path().string(), options);
    WaitPump pump;
    walk.start([&pump] { pump.wake(); });
    pump.run();
    const bool stopped = walk.waitStopped(std::chrono::steady_clock::time_point::max());
    const std::size_t held = taken.size();
    taken.clear();
    ::setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_TRUE(stopped);
    EXPECT_GT(held, 0u);
    EXPECT_NE(walk.failure().find("out of file descriptors"), std::string::npos) << walk.failure();
}

}  // namespace
}  // namespace corvath::test
