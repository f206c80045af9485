// Completed scans in the results database, and databases that cannot take them.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/mount.h>

#include "engine/engine_error.h"
#include "engine/scan_reference.h"
#include "engine/scanner.h"
#include "results/results_database.h"
#include "results/results_error.h"
#include "results/scan_reader.h"
#include "results/stored_tree.h"
#include "engine/event_pump.h"
#include "engine/unmount_guard.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;

void storeScanOf(const fs::path& database, const fs::path& tree) {
    WaitPump pump;
    ResultsDatabase results(database.string());
    Scanner scanner(pump, results, ScannerOptions{2});
    scanner.AnalyzeDrive(tree.string());
    scanner.FinishDrive();
}

TEST(ResultsDatabase, CompletedScanReadsBackWithEveryFolder) {
    TempDir tree, data;
    makeAwkwardTree(tree.path());
    const fs::path database = data / "deeper" / "corvath" / "scans.db";  // folders made as needed
    WaitPump pump;
    ResultsDatabase results(database.string());
    Scanner scanner(pump, results, ScannerOptions{3});
    scanner.AnalyzeDrive(tree.path().string() + "/");
    scanner.FinishDrive();
    scanner.FinishDrive();  // already stored: stored once

    const ScanReader reader(database.string());
    const std::vector<StoredScan> scans = reader.scans();
    ASSERT_EQ(scans.size(), 1u);
    const StoredScan& stored = scans[0];
    const Reference reference = referenceFor(tree.path());
    EXPECT_EQ(stored.drive, tree.path().string() + "/");
    EXPECT_EQ(stored.allocated, reference.allocated);
    EXPECT_EQ(stored.apparent, reference.apparent);
    EXPECT_EQ(stored.files + stored.folders, reference.entries);
    EXPECT_EQ(stored.errors, 0u);
    EXPECT_LE(stored.started, stored.finished);

    const auto folders = storedTree(reader, stored);
    EXPECT_EQ(folders.size(), stored.folders);
    const StoredFolder& root = folders.at(tree.path().string());
    EXPECT_EQ(root.allocated, stored.allocated);
    EXPECT_EQ(root.files, stored.files);
    EXPECT_EQ(root.folders, stored.folders - 1);
    // A name with a newline and a byte that is not UTF-8, kept as bytes.
    const std::string odd = tree.path().string() + "/folder\nwith\xc3(odd) name";
    ASSERT_TRUE(folders.contains(odd));
    EXPECT_EQ(folders.at(odd).files, 1u);
    EXPECT_EQ(folders.at(odd).folders, 1u);
    EXPECT_EQ(folders.at(odd).allocated, referenceFor(odd).allocated);
    EXPECT_TRUE(folders.contains(tree.path().string() + "/a/inner"));

    scanner.AnalyzeDrive(tree.path().string() + "/");
    scanner.FinishDrive();
    EXPECT_EQ(ScanReader(database.string()).scans().size(), 2u);
}

TEST(ResultsDatabase, RescanStoresOnlyWhatChangedAndChangesFindIt) {
    TempDir tree, data;
    const fs::path database = data / "scans.db";
    for (int i = 0; i < 20; ++i) writeFile(tree / ("d" + std::to_string(i)) / "sub" / "f", std::string(5000, 'x'));
    storeScanOf(database, tree.path());
    const std::int64_t nodes = nodeCount(database);
    // Unchanged, a rescan adds a scan and no folder.
    storeScanOf(database, tree.path());
    EXPECT_EQ(nodeCount(database), nodes);
    writeFile(tree / "d7" / "sub" / "grown", std::string(300000, 'y'));
    storeScanOf(database, tree.path());
    // The grown folder and its two ancestors are new nodes; the rest is shared.
    EXPECT_EQ(nodeCount(database), nodes + 3);

    const ScanReader reader(database.string());
    const auto scans = reader.scans();
    ASSERT_EQ(scans.size(), 3u);
    const auto changes = reader.changes(scans[1], scans[2], "", 100);
    ASSERT_EQ(changes.size(), 3u);
    const std::uint64_t grown = referenceFor(tree / "d7" / "sub" / "grown").allocated;
    for (const FolderChange& change : changes) {
        EXPECT_EQ(change.kind, FolderChange::Kind::Changed);
        EXPECT_EQ(change.grown(), static_cast<std::int64_t>(grown)) << change.path;
    }
    EXPECT_EQ(changes[2].path, (tree / "d7" / "sub").string());  // equal changes come by path
    EXPECT_EQ(reader.largestFiles(scans[2], "", 1).at(0).path(), (tree / "d7" / "sub" / "grown").string());
    EXPECT_TRUE(reader.largestFiles(scans[2], "d3", 5).size() == 1);
}

// Refused before the scan starts, so that no scan is made only to be lost.
void expectRefused(const fs::path& database, const std::string& expectedReason) {
    TempDir tree;
    writeFile(tree / "file", "x");
    WaitPump pump;
    ResultsDatabase results(database.string());
    Scanner scanner(pump, results, ScannerOptions{2});
    try {
        scanner.AnalyzeDrive(tree.path().string());
        FAIL() << "analyzed with nowhere to store: " << database;
    } catch (const EngineError& error) {
        EXPECT_EQ(scanner.totals().files, 0u);
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("cannot use the scans database " + database.string() + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(expectedReason), std::string::npos) << message;
    }
}

TEST(ResultsDatabase, CorruptFileIsLeftByteForByte) {
    TempDir data;
    const fs::path database = data / "scans.db";
    std::string garbage;
    for (int i = 0; i < 8192; ++i) garbage += static_cast<char>((i * 7919) % 251);
    writeFile(database, garbage);
    expectRefused(database, "not an SQLite file");
    EXPECT_EQ(readFile(database), garbage);
    EXPECT_FALSE(fs::exists(data / "scans.db-journal"));
}

TEST(ResultsDatabase, ForeignDatabaseAndLinksAreRefusedUntouched) {
    TempDir data;
    const fs::path foreign = data / "foreign.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('mine')", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const std::string before = readFile(foreign);
    expectRefused(foreign, "it is not a Corvath scans database");
    EXPECT_EQ(readFile(foreign), before);
    EXPECT_THROW(ScanReader{foreign.string()}, ResultsError);

    fs::create_symlink(data / "nowhere.db", data / "dangling.db");
    expectRefused(data / "dangling.db", "it is a symbolic link");
    EXPECT_FALSE(fs::exists(data / "nowhere.db"));
    fs::create_symlink(foreign, data / "link.db");
    expectRefused(data / "link.db", "it is a symbolic link");
    EXPECT_EQ(readFile(foreign), before);

    EXPECT_THROW(ScanReader{(data / "missing.db").string()}, NoResultsYet);
    EXPECT_FALSE(fs::exists(data / "missing.db"));
}

TEST(ResultsDatabase, FolderThatCannotBeMadeIsReported) {
    TempDir data;
    writeFile(data / "plain-file", "x");
    expectRefused(data / "plain-file" / "corvath" / "scans.db", "cannot create the folder");
}

TEST(ResultsDatabase, ReadOnlyDatabaseIsLeftByteForByte) {
    std::string reason;
    if (!enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    TempDir data;
    const fs::path database = data / "scans.db";
    {
        TempDir tree;
        writeFile(tree / "file", "x");
        WaitPump pump;
        ResultsDatabase results(database.string());
        Scanner scanner(pump, results, ScannerOptions{2});
        scanner.AnalyzeDrive(tree.path().string());
        scanner.FinishDrive();
    }
    const std::string before = readFile(database);
    // Root writes to any file; only a read-only mount stops it.
    mountBind(data.path().string(), data.path().string());
    const UnmountGuard unmount(data.path().string());
    ASSERT_EQ(::mount(nullptr, data.path().c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
    expectRefused(database, "it cannot be written: Read-only file system");
    EXPECT_EQ(readFile(database), before);
    ASSERT_EQ(::umount2(data.path().c_str(), MNT_DETACH), 0);
    EXPECT_EQ(ScanReader(database.string()).scans().size(), 1u);
}

}  // namespace
}  // namespace corvath::test
