// The history: our first version's file converted, the retention rule, and a
// writer that waits for another.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <iomanip>
#include <sstream>
#include <thread>

#include "engine/engine_error.h"
#include "engine/event_pump.h"
#include "engine/scanner.h"
#include "results/results_database.h"
#include "results/results_file.h"
#include "results/retention.h"
#include "results/scan_reader.h"
#include "results/stored_tree.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::system_clock;

struct OldRow {
    std::string path;
    std::int64_t allocated, apparent, files, folders;
};

// The first version's rows, read with plain SQL before the conversion.
std::map<std::int64_t, std::vector<OldRow>> oldRows(const fs::path& database) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(database.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT scan, path, allocated, apparent, files, folders FROM folders", -1, &s, nullptr);
    std::map<std::int64_t, std::vector<OldRow>> rows;
    while (sqlite3_step(s) == SQLITE_ROW) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, 1));
        rows[sqlite3_column_int64(s, 0)].push_back(
            {std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(s, 1))), sqlite3_column_int64(s, 2),
             sqlite3_column_int64(s, 3), sqlite3_column_int64(s, 4), sqlite3_column_int64(s, 5)});
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows;
}

TEST(ScanHistory, FirstVersionFileConvertsWithEveryTotal) {
#ifdef _WIN32
    GTEST_SKIP() << "the first version's files were made on Linux only, with Linux paths";
#endif
    TempDir data;
    const fs::path database = data / "scans.db";
    fs::copy_file(fs::path(CORVATH_FIXTURES) / "scans-v1.db", database);
    const auto before = oldRows(database);
    ASSERT_EQ(before.size(), 3u);
    // Some first-version files hold whole seconds.
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(database.string().c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "UPDATE scans SET started = '2026-11-02T10:00:00Z' WHERE id = 2", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

    const ScanReader reader(database.string());
    const auto scans = reader.scans();
    ASSERT_EQ(scans.size(), 3u);
    for (const StoredScan& scan : scans) {
        const auto& rows = before.at(scan.id);
        const auto folders = storedTree(reader, scan);
        EXPECT_EQ(scan.root, rows.front().path);
        EXPECT_EQ(folders.size(), rows.size());
        for (const OldRow& row : rows) {
            ASSERT_TRUE(folders.contains(row.path)) << row.path;
            const StoredFolder& folder = folders.at(row.path);
            EXPECT_EQ(static_cast<std::int64_t>(folder.allocated), row.allocated) << row.path;
            EXPECT_EQ(static_cast<std::int64_t>(folder.apparent), row.apparent) << row.path;
            EXPECT_EQ(static_cast<std::int64_t>(folder.files), row.files) << row.path;
            EXPECT_EQ(static_cast<std::int64_t>(folder.folders), row.folders) << row.path;
        }
    }
    EXPECT_EQ(scans[0].drive, "/tmp/corvath-v1/");
    EXPECT_EQ(system_clock::to_time_t(scans[1].started), 1793613600);  // 2026-11-02T10:00:00Z
    EXPECT_EQ(scans[1].started.time_since_epoch() % std::chrono::seconds(1), system_clock::duration::zero());
    EXPECT_EQ(scans[2].allocated, 180224u);
    // Scans 1 and 3 differ in one chain of folders only, and share the rest.
    const auto changes = reader.changes(scans[0], scans[2], "", 10);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].path, "/tmp/corvath-v1");
    EXPECT_EQ(changes[2].path, "/tmp/corvath-v1/a/b");
    // Opened again, it is ours and stays as it is.
    EXPECT_EQ(ScanReader(database.string()).scans().size(), 3u);
}

TEST(ScanHistory, SecondVersionFileReadsAsItLiesAndConvertsWhenWrittenLosingNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "the second version's fixture was made on Linux, with Linux paths";
#endif
    TempDir data;
    const fs::path database = data / "scans.db";
    fs::copy_file(fs::path(CORVATH_FIXTURES) / "scans-v2.db", database);
    const std::string bytes = readFile(database);
    std::map<std::string, StoredFolder> firstTree;
    {
        const ScanReader reader(database.string());
        const auto scans = reader.scans();
        ASSERT_EQ(scans.size(), 2u);
        EXPECT_EQ(scans[0].driveKey, "/tmp/corvath-v2") << "known by its mount point until it is scanned again";
        EXPECT_EQ(scans[1].allocated, 102400u);
        firstTree = storedTree(reader, scans[0]);
        EXPECT_EQ(firstTree.size(), 4u);
        const auto changes = reader.changes(scans[0], scans[1], "", 10);
        ASSERT_EQ(changes.size(), 3u);
        EXPECT_EQ(changes[2].path, "/tmp/corvath-v2/a/b");
    }
    EXPECT_EQ(readFile(database), bytes) << "reading converts nothing";
    EXPECT_EQ(queryNumber(database, "PRAGMA user_version"), 2);

    // The drive's next scan, now known by its filesystem: the file is converted
    // and the drive's earlier scans are adopted.
    FolderTable table;
    table.append();
    table[0].name = "/tmp/corvath-v2";
    table[0].allocated = table[0].ownAllocated = 4096;
    const auto now = system_clock::now();
    ResultsDatabase(database.string())
        .storeScan(ScanRecord{"/tmp/corvath-v2", "/tmp/corvath-v2", now, now, {4096, 0, 0, 1, 0}, {}, "uuid-v2"},
                   table);
    EXPECT_EQ(queryNumber(database, "PRAGMA user_version"), kResultsSchemaVersion);
    // Another disk at the same mount point later: a history of its own, and the one a path there now names.
    ResultsDatabase(database.string())
        .storeScan(ScanRecord{"/tmp/corvath-v2", "/tmp/corvath-v2", now, now + std::chrono::seconds(1),
                              {4096, 0, 0, 1, 0}, {}, "uuid-other"},
                   table);
    const ScanReader reader(database.string());
    const auto scans = reader.scans("uuid-v2");
    ASSERT_EQ(scans.size(), 3u);
    EXPECT_EQ(scans[1].allocated, 102400u);
    const auto tree = storedTree(reader, scans[0]);
    ASSERT_EQ(tree.size(), firstTree.size());
    for (const auto& [path, folder] : firstTree) EXPECT_EQ(tree.at(path).allocated, folder.allocated) << path;
    EXPECT_EQ(reader.latestScans().size(), 2u);
    EXPECT_EQ(reader.scanHolding("/tmp/corvath-v2/a")->driveKey, "uuid-other");
}

TEST(ScanHistory, ThirdVersionFileReadsAsItLiesAndGainsUsedBytesAndExcludesWhenWritten) {
#ifdef _WIN32
    GTEST_SKIP() << "made from the second version's fixture, which has Linux paths";
#endif
    TempDir data;
    const fs::path database = data / "scans.db";
    fs::copy_file(fs::path(CORVATH_FIXTURES) / "scans-v2.db", database);
    sqlite3* db = nullptr;  // the third version as it was written: the second with drive_key
    sqlite3_open(database.string().c_str(), &db);
    ASSERT_EQ(sqlite3_exec(db, "ALTER TABLE scans ADD COLUMN drive_key TEXT; UPDATE scans SET drive_key = 'v3';"
                           "PRAGMA user_version = 3;", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    const std::string bytes = readFile(database);
    EXPECT_FALSE(ScanReader(database.string()).scans().at(1).driveUsed) << "unknown for a scan from before";
    EXPECT_EQ(readFile(database), bytes) << "reading converts nothing";

    FolderTable table;
    table[table.append()].name = "/tmp/corvath-v2";
    const auto now = system_clock::now();
    ScanRecord record{"/tmp/corvath-v2", "/tmp/corvath-v2", now, now, {4096, 0, 0, 1, 0}, {}, "v3", 1u << 20, {"a", "/b"}};
    ResultsDatabase(database.string()).storeScan(record, table);
    EXPECT_EQ(queryNumber(database, "PRAGMA user_version"), kResultsSchemaVersion);
    const auto scans = ScanReader(database.string()).scans("v3");
    ASSERT_EQ(scans.size(), 3u);
    EXPECT_EQ(scans[1].allocated, 102400u) << "the earlier scans are as they were";
    EXPECT_FALSE(scans[1].driveUsed);
    EXPECT_EQ(scans[2].driveUsed, 1u << 20);
    EXPECT_EQ(scans[2].excludes, record.excludes);
    EXPECT_TRUE(excludesDiffer(scans[1], scans[2]));
}

StoredScan scanAt(std::int64_t id, const std::string& local) {
    std::tm parts{};
    std::istringstream(local) >> std::get_time(&parts, "%Y-%m-%d %H:%M");
    parts.tm_isdst = -1;
    StoredScan scan;
    scan.id = id;
    scan.finished = system_clock::from_time_t(std::mktime(&parts));
    return scan;
}

TEST(ScanHistory, RetentionKeepsTheNewestAndEachMonthsLast) {
    // Weekly scans for three years, then now.
    std::vector<StoredScan> scans;
    const StoredScan first = scanAt(1, "2024-01-01 12:00");
    for (std::int64_t i = 0; i < 156; ++i) {
        StoredScan scan = first;
        scan.id = i + 1;
        scan.finished += std::chrono::hours(24 * 7 * i);
        scans.push_back(scan);
    }
    const system_clock::time_point now = scans.back().finished + std::chrono::hours(1);
    const auto past = scansPastKeeping(scans, now);
    std::set<std::int64_t> kept;
    for (const StoredScan& scan : scans) kept.insert(scan.id);
    for (const std::int64_t id : past) kept.erase(id);
    // The newest ten (147..156); the last of each of 24 months, of which the
    // newest three months' are among the ten already.
    for (std::int64_t id = 147; id <= 156; ++id) EXPECT_TRUE(kept.contains(id)) << id;
    EXPECT_EQ(kept.size(), 10u + 21u);
    // Nothing older than 24 months stays.
    for (const std::int64_t id : kept) EXPECT_GT(id, 156 - 24 * 5) << id;

    // Few scans: all stay; several in one old month: only its last.
    EXPECT_TRUE(scansPastKeeping({scanAt(1, "2025-03-01 10:00"), scanAt(2, "2025-03-02 10:00")}, now).empty());
    std::vector<StoredScan> busy;
    for (std::int64_t day = 1; day <= 12; ++day) busy.push_back(scanAt(day, "2026-01-" + std::to_string(day + 10) + " 10:00"));
    for (std::int64_t day = 1; day <= 10; ++day) busy.push_back(scanAt(20 + day, "2026-03-" + std::to_string(day + 10) + " 10:00"));
    const auto dropped = scansPastKeeping(busy, scanAt(0, "2026-03-25 10:00").finished);
    EXPECT_EQ(dropped.size(), 11u);
    EXPECT_EQ(std::count(dropped.begin(), dropped.end(), 12), 0);
}

TEST(ScanHistory, PruneFreesWhatNoScanHolds) {
    TempDir data;
    const fs::path database = data / "scans.db";
    // Twelve scans of the same drive, each holding different folders; storing
    // applies the rule, which lets the oldest two go (one month). Wine makes
    // and opens folders slowly, so its tree is smaller.
#ifdef _WIN32
    constexpr int kFolders = 400;
#else
    constexpr int kFolders = 3000;
#endif
    TempDir tree;
    WaitPump pump;
    ResultsDatabase results(database.string());
    Scanner scanner(pump, results, ScannerOptions{2});
    std::uintmax_t sizeOfTen = 0;
    for (int round = 0; round < 12; ++round) {
        for (const auto& entry : fs::directory_iterator(tree.path())) fs::remove_all(entry.path());
        for (int i = 0; i < kFolders; ++i) {
            fs::create_directory(tree / ("r" + std::to_string(round) + "-" + std::to_string(i)));
        }
        scanner.AnalyzeDrive(tree.path().string());
        scanner.FinishDrive();
        if (round == 9) sizeOfTen = fs::file_size(database);
    }
    const auto scans = ScanReader(database.string()).scans();
    ASSERT_EQ(scans.size(), 10u);
    EXPECT_EQ(scans.front().id, 3);
    EXPECT_EQ(nodeCount(database), 10 * (kFolders + 1));
    // The dropped scans' pages were given back, not kept as free space.
    EXPECT_LE(fs::file_size(database), sizeOfTen + sizeOfTen / 20);
    EXPECT_EQ(ResultsDatabase(database.string()).prune(), 0u);
}

TEST(ScanHistory, StoringWaitsForAnotherWriter) {
    TempDir data, tree;
    const fs::path database = data / "scans.db";
    writeFile(tree / "f", "x");
    WaitPump pump;
    ResultsDatabase results(database.string());
    Scanner scanner(pump, results, ScannerOptions{2});
    scanner.AnalyzeDrive(tree.path().string());
    scanner.FinishDrive();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(database.string().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    // The writer queues behind the other one for as long as its lock wait...
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    scanner.AnalyzeDrive(tree.path().string());
    EXPECT_NO_THROW(scanner.FinishDrive());
    release.join();
    // ...and only that long: past it the scan is not stored, and the file stays as it was.
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    ResultsDatabase impatient(database.string(), {}, std::chrono::milliseconds(100));
    Scanner hurried(pump, impatient, ScannerOptions{2});
    EXPECT_THROW(
        {
            hurried.AnalyzeDrive(tree.path().string());
            hurried.FinishDrive();
        },
        EngineError);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(ScanReader(database.string()).scans().size(), 2u);
    // The wait the product uses is longer than a writer used to wait (5 s).
    static_assert(ResultsDatabase::kLockWait > std::chrono::seconds(6));
}

}  // namespace
}  // namespace corvath::test
