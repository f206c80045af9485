// Folders left out by exclude patterns are never opened, and count as folders
// without a size: du --exclude and a pruned find agree.
#include <gtest/gtest.h>

#include <mutex>
#include <set>

#include "engine/folder_walk.h"
#include "engine/scan_reference.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

TEST(ScannerExcludes, ExcludedFolderIsNeverOpenedAndCountsAsAFolderWithoutSize) {
    TempDir tree;
    writeFile(tree / "src" / "node_modules" / "lib" / "big", std::string(300000, 'n'));
    writeFile(tree / "web" / "node_modules" / "x", std::string(90000, 'w'));
    writeFile(tree / "var" / "tmp" / "scratch", std::string(120000, 't'));
    writeFile(tree / "srv" / "var" / "tmp" / "kept", std::string(5000, 'k'));
    WalkOptions options{2};
    options.excludes = FolderExcludes({"node_modules/", "/var/tmp"});
    std::set<std::string> opened;
    std::mutex openedMutex;
    options.stepHook = [&](WalkStep step, const std::string& path) {
        std::lock_guard lock(openedMutex);
        if (step == WalkStep::Opening) opened.insert(path);
    };
    FolderWalk walk(tree.path().string(), options);
    walk.start({});
    walk.waitStopped(std::chrono::steady_clock::time_point::max());
    EXPECT_EQ(opened, (std::set<std::string>{"", "src", "web", "var", "srv", "srv/var", "srv/var/tmp"}));

    const WalkTotals totals = walk.totals();
    const std::string root = shellQuote(tree.path().string()), tmp = shellQuote(tree.path().string() + "/var/tmp");
    const std::string find = "find " + root + " -xdev \\( -path " + tmp + " -o -name node_modules \\) -prune -o";
    const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    EXPECT_EQ(totals.allocated, std::stoull(runCommand("du -sx -B1 --exclude=node_modules --exclude=" + tmp + " " + root)));
    EXPECT_EQ(totals.files + totals.folders, lines(runCommand(find + " -print")) + 3);
    EXPECT_EQ(totals.folders, lines(runCommand(find + " -type d -print")) + 3);
}

}  // namespace
}  // namespace corvath::test
