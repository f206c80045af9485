// Searching a whole stored scan by name, and every folder that changed between
// two scans, over real trees stored by the real engine.
#include <gtest/gtest.h>

#include <set>

#include "engine/event_pump.h"
#include "engine/scanner.h"
#include "results/results_database.h"
#include "results/scan_reader.h"
#include "results/stored_tree.h"
#include "support/temp_dir.h"
#include "text/name_match.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;

// A name that matches "report" in another case; on POSIX its byte é is Latin-1,
// not UTF-8. Windows names are UTF-16, which cannot hold such a byte.
#ifdef _WIN32
const std::string kOddReport = "caf\xc3\xa9-REPORT";
#else
const std::string kOddReport = "caf\xe9-REPORT";
#endif

class ScanSearch : public ::testing::Test {
protected:
    // A place below the tree, its name's bytes taken as UTF-8 (on Windows, where
    // names are UTF-16, too), with the platform's separators.
    fs::path below(const std::string& relative) const {
#ifdef _WIN32
        return (tree.path() / fs::path(std::u8string(relative.begin(), relative.end()))).make_preferred();
#else
        return tree / relative;
#endif
    }
    void write(const std::string& relative, std::size_t bytes) { writeFile(below(relative), std::string(bytes, 'x')); }
    void store() {
        WaitPump pump;
        Scanner scanner(pump, results, ScannerOptions{2});
        scanner.AnalyzeDrive(tree.path().string());
        scanner.FinishDrive();
    }
    // The path as the scan stores it: UTF-8.
    std::string at(const std::string& relative) const {
        const std::u8string path = below(relative).u8string();
        return std::string(path.begin(), path.end());
    }
    static std::vector<std::string> paths(const FolderMatches& found) {
        std::vector<std::string> paths;
        for (const FoundFolder& folder : found.folders) paths.push_back(folder.path);
        return paths;
    }

    TempDir tree;
    TempDir data;
    fs::path database = data / "scans.db";
    ResultsDatabase results{database.string()};
};

TEST_F(ScanSearch, FindsEveryFolderWhoseNameHoldsTheTextAnyCaseLargestFirstUpToTheLimit) {
    write("Projects/alpha/Report-2024/r", 64 << 10);
    write("archive/old/reports/r", 32 << 10);
    write(kOddReport + "/r", 16 << 10);
    write("Projects/data/d", 12 << 10);
    write("archive/old/data/d", 8 << 10);
    write("\xc3\x84RGER/\xce\xa3\xce\xa5\xce\xa3/x", 4 << 10);  // ÄRGER/ΣΥΣ
    store();
    const ScanReader reader(database.string());
    const StoredScan scan = reader.latestScans().at(0);

    const FolderMatches reports = reader.findFolders(scan, NameMatcher("rEpOrT"), 10);
    EXPECT_EQ(paths(reports), (std::vector<std::string>{at("Projects/alpha/Report-2024"), at("archive/old/reports"),
                                                         at(kOddReport)}));
    EXPECT_FALSE(reports.cut());
    for (const FoundFolder& found : reports.folders) {
        const std::optional<StoredFolder> stored = reader.findFolder(scan, found.path);
        ASSERT_TRUE(stored) << found.path;
        EXPECT_EQ(found.node, stored->node);
        EXPECT_EQ(found.allocated, stored->allocated);
    }
    // The limit keeps the largest and says how many there were.
    const FolderMatches two = reader.findFolders(scan, NameMatcher("report"), 2);
    EXPECT_EQ(paths(two), (std::vector<std::string>{at("Projects/alpha/Report-2024"), at("archive/old/reports")}));
    EXPECT_EQ(two.matched, 3u);
    EXPECT_TRUE(two.cut());

    // One name in two places; letters beyond ASCII fold too; the root's path is no name.
    EXPECT_EQ(paths(reader.findFolders(scan, NameMatcher("DATA"), 10)),
              (std::vector<std::string>{at("Projects/data"), at("archive/old/data")}));
    EXPECT_EQ(paths(reader.findFolders(scan, NameMatcher("\xc3\xa4rger"), 10)),  // ärger
              (std::vector<std::string>{at("\xc3\x84RGER")}));
    EXPECT_EQ(paths(reader.findFolders(scan, NameMatcher("\xcf\x83\xcf\x85\xcf\x82"), 10)),  // συς: final sigma
              (std::vector<std::string>{at("\xc3\x84RGER/\xce\xa3\xce\xa5\xce\xa3")}));
#ifndef _WIN32
    EXPECT_EQ(reader.findFolders(scan, NameMatcher("caf\xc3\xa9"), 10).matched, 0u)  // café is not caf\xe9
        << "a byte that is not UTF-8 matches no letter";
#endif
    EXPECT_EQ(reader.findFolders(scan, NameMatcher(tree.path().filename().string()), 10).matched, 0u);
}

// The one pass down the nodes table against reading folder by folder, over
// scans whose folders are stored as changes from the scan before.
TEST_F(ScanSearch, TheWholeScanReadInOnePassIsTheTreeFolderByFolder) {
    for (int i = 0; i < 24; ++i) write("many/sub-" + std::to_string(i) + "/f", 4096);
    write("other/deep/er/f", 4096);
    store();
    write("many/sub-3/more", 8192);
    fs::rename(tree / "other" / "deep", tree / "other" / "moved");
    store();
    write("many/sub-17/more", 8192);
    fs::remove_all(tree / "many" / "sub-5");
    store();
    ASSERT_GT(queryNumber(database, "SELECT count(*) FROM nodes WHERE depth >= 2"), 0)
        << "a folder list two edits away from a full one";

    const ScanReader reader(database.string());
    for (const StoredScan& scan : reader.scans()) {
        std::map<std::string, std::int64_t> walked;
        const std::optional<ScanFolders> folders = reader.scanFolders(scan);
        ASSERT_TRUE(folders);
        for (std::uint32_t i = 0; i < folders->size(); ++i) {
            walked[folders->path(i)] = reader.findFolder(scan, folders->path(i)).value_or(StoredFolder{}).node;
        }
        std::map<std::string, std::int64_t> expected;
        for (const auto& [path, folder] : storedTree(reader, scan)) expected[path] = folder.node;
        EXPECT_EQ(walked, expected) << "scan " << scan.id;
        EXPECT_EQ(folders->size(), expected.size());
    }
    // A search no longer wanted stops.
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(reader.scanFolders(reader.scans().back(), stop.get_token()));
}

TEST_F(ScanSearch, EveryChangedFolderIncludesOneWhoseSubFolderWasRenamedWithNoNetChange) {
    write("home/ann/letters/l", 8192);
    write("home/ann/photos/p", 16384);
    write("home/bob/b", 4096);
    store();
    fs::rename(tree / "home" / "ann" / "letters", tree / "home" / "ann" / "Letters 2025");
    store();
    const ScanReader reader(database.string());
    const std::vector<StoredScan> scans = reader.scans();
    ASSERT_EQ(scans.size(), 2u);

    std::map<std::string, FolderChange::Kind> changed;
    for (const FolderChange& change : reader.changes(scans[0], scans[1], "", 100, Changed::InAnyWay)) {
        changed[change.path] = change.kind;
        if (change.kind == FolderChange::Kind::Changed) {
            EXPECT_EQ(change.grown(), 0) << change.path;
        }
    }
    const std::map<std::string, FolderChange::Kind> expected{
        {tree.path().string(), FolderChange::Kind::Changed},
        {at("home"), FolderChange::Kind::Changed},
        {at("home/ann"), FolderChange::Kind::Changed},
        {at("home/ann/Letters 2025"), FolderChange::Kind::New},
        {at("home/ann/letters"), FolderChange::Kind::Gone},
    };
    EXPECT_EQ(changed, expected);
    for (const FolderChange& change : reader.changes(scans[0], scans[1], "", 100)) {
        EXPECT_NE(change.kind, FolderChange::Kind::Changed) << "no size changed: " << change.path;
    }

    // What differs below ann, read without what the two scans share.
    const StoredFolder annNow = *reader.findFolder(scans[1], "home/ann");
    const StoredFolder annBefore = *reader.findFolder(scans[0], "home/ann");
    std::set<std::string> onlyNow, onlyBefore;
    for (const StoredFolder& folder : reader.childrenNotIn(annNow.node, annBefore.node)) onlyNow.insert(folder.name);
    for (const StoredFolder& folder : reader.childrenNotIn(annBefore.node, annNow.node)) onlyBefore.insert(folder.name);
    EXPECT_EQ(onlyNow, std::set<std::string>{"Letters 2025"});
    EXPECT_EQ(onlyBefore, std::set<std::string>{"letters"});
}

}  // namespace
}  // namespace corvath::test
