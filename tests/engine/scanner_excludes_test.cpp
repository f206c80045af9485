// Folders left out by exclude patterns: never opened, kept as marked nodes
// without a size, counted by their parents; and the drive's used bytes kept
// beside the count.
#include <gtest/gtest.h>

#include <set>
#include <sys/statvfs.h>

#include "engine/event_pump.h"
#include "engine/scan_reference.h"
#include "engine/scanner.h"
#include "results/results_database.h"
#include "results/scan_reader.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;

class ScannerExcludes : public ::testing::Test {
protected:
    void SetUp() override {
        namespaced = enterPrivateMountNamespace(reason);
        if (namespaced) mountTmpfs(tree.path().string(), "size=64m");
        writeFile(tree / "src" / "main.c", std::string(7000, 'm'));
        writeFile(tree / "src" / "node_modules" / "lib" / "big", std::string(300000, 'n'));
        writeFile(tree / "web" / "node_modules" / "x", std::string(90000, 'w'));
        writeFile(tree / "var" / "tmp" / "scratch", std::string(120000, 't'));
        writeFile(tree / "srv" / "var" / "tmp" / "kept", std::string(5000, 'k'));
    }
    std::string reason;
    bool namespaced = false;
    TempDir tree, data;
};

TEST_F(ScannerExcludes, ExcludedFolderIsNeverOpenedAndCountsAsAFolderWithoutSize) {
    WalkOptions options{2};
    options.excludes = FolderExcludes({"node_modules/", "/var/tmp"});
    std::set<std::string> opened;
    std::mutex openedMutex;
    options.stepHook = [&](WalkStep step, const std::string& path) {
        if (step != WalkStep::Opening) return;
        std::lock_guard lock(openedMutex);
        opened.insert(path);
    };
    FolderWalk walk(tree.path().string(), options);
    walk.start({});
    walk.waitStopped(std::chrono::steady_clock::time_point::max());
    for (const std::string& path : opened) {
        EXPECT_EQ(path.find("node_modules"), std::string::npos) << path;
        EXPECT_NE(path, "var/tmp");
    }
    EXPECT_TRUE(opened.contains("srv/var/tmp")) << "the anchored pattern holds at the root only";

    // du leaves the folders out whole, find prunes them; each is still one folder here.
    const WalkTotals totals = walk.totals();
    const std::string root = shellQuote(tree.path().string());
    const std::string prune = " \\( -path " + shellQuote(tree.path().string() + "/var/tmp") +
                              " -o -name node_modules \\) -prune -o";
    const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    EXPECT_EQ(totals.allocated,
              std::stoull(runCommand("du -sx -B1 --exclude=node_modules --exclude=" +
                                     shellQuote(tree.path().string() + "/var/tmp") + " " + root)));
    EXPECT_EQ(totals.files + totals.folders, lines(runCommand("find " + root + " -xdev" + prune + " -print")) + 3);
    EXPECT_EQ(totals.folders, lines(runCommand("find " + root + " -xdev" + prune + " -type d -print")) + 3);
    EXPECT_EQ(totals.errors, 0u);
}

TEST_F(ScannerExcludes, StoredScanMarksTheFolderAndKeepsPatternsAndDriveUsage) {
    WaitPump pump;
    ResultsDatabase results((data / "scans.db").string());
    ScannerOptions options{2};
    options.excludedFolders = {"node_modules", "", "/var/tmp"};
    Scanner scanner(pump, results, options);
    scanner.AnalyzeDrive(tree.path().string());
    scanner.FinishDrive();

    const ScanReader reader((data / "scans.db").string());
    const std::vector<StoredScan> scans = reader.scans();
    ASSERT_EQ(scans.size(), 1u);
    const StoredScan& scan = scans[0];
    EXPECT_EQ(scan.excludes, (std::vector<std::string>{"node_modules", "/var/tmp"}));
    const std::string root = tree.path().string();
    const std::optional<StoredFolder> src = reader.findFolder(scan, root + "/src");
    const std::optional<StoredFolder> modules = reader.findFolder(scan, root + "/src/node_modules");
    ASSERT_TRUE(src && modules);
    EXPECT_EQ(modules->flags, StoredFolder::kExcluded);
    EXPECT_EQ(modules->allocated, 0u);
    EXPECT_EQ(modules->files, 0u);
    EXPECT_TRUE(reader.children(modules->node).empty());
    EXPECT_EQ(src->folders, 1u) << "the excluded folder is one of its folders";
    EXPECT_EQ(src->files, 1u);
    EXPECT_EQ(src->allocated, referenceFor(tree / "src").allocated - referenceFor(tree / "src" / "node_modules").allocated);
    EXPECT_EQ(reader.findFolder(scan, root + "/var/tmp")->flags, StoredFolder::kExcluded);
    EXPECT_EQ(reader.findFolder(scan, root + "/srv/var/tmp")->flags, 0u);

    ASSERT_TRUE(scan.driveUsed.has_value());
    if (namespaced) {
        // A tmpfs of the test's own: nothing else changes it meanwhile.
        struct statvfs space {};
        ASSERT_EQ(::statvfs(root.c_str(), &space), 0);
        EXPECT_EQ(*scan.driveUsed, (space.f_blocks - space.f_bfree) * space.f_frsize);
        EXPECT_GT(*scan.driveUsed, scan.allocated) << "the left-out files still take room on the drive";
    }
}

}  // namespace
}  // namespace corvath::test
