// Completed scans in the results database, and databases that cannot take them.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/mount.h>

#include "engine/engine_error.h"
#include "engine/scan_reference.h"
#include "engine/scanner.h"
#include "results/results_database.h"
#include "engine/event_pump.h"
#include "engine/unmount_guard.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;

struct FolderRow {
    std::string path;
    std::int64_t allocated, apparent, files, folders;
};

struct Stored {
    int scans = 0;
    std::string drive;
    std::int64_t allocated = 0, apparent = 0, files = 0, folders = 0, errors = 0;
    std::string started, finished;
    std::vector<FolderRow> rows;
};

Stored readBack(const fs::path& database) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    Stored stored;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM scans", -1, &s, nullptr);
    if (sqlite3_step(s) == SQLITE_ROW) stored.scans = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    sqlite3_prepare_v2(db,
                       "SELECT drive, started, finished, allocated, apparent, files, folders, errors, id FROM scans"
                       " ORDER BY id DESC LIMIT 1",
                       -1, &s, nullptr);
    std::int64_t id = 0;
    if (sqlite3_step(s) == SQLITE_ROW) {
        stored.drive = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        stored.started = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
        stored.finished = reinterpret_cast<const char*>(sqlite3_column_text(s, 2));
        stored.allocated = sqlite3_column_int64(s, 3);
        stored.apparent = sqlite3_column_int64(s, 4);
        stored.files = sqlite3_column_int64(s, 5);
        stored.folders = sqlite3_column_int64(s, 6);
        stored.errors = sqlite3_column_int64(s, 7);
        id = sqlite3_column_int64(s, 8);
    }
    sqlite3_finalize(s);
    sqlite3_prepare_v2(db, "SELECT path, allocated, apparent, files, folders FROM folders WHERE scan = ?", -1, &s,
                       nullptr);
    sqlite3_bind_int64(s, 1, id);
    while (sqlite3_step(s) == SQLITE_ROW) {
        EXPECT_EQ(sqlite3_column_type(s, 0), SQLITE_BLOB);
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, 0));
        stored.rows.push_back({std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(s, 0))),
                               sqlite3_column_int64(s, 1), sqlite3_column_int64(s, 2), sqlite3_column_int64(s, 3),
                               sqlite3_column_int64(s, 4)});
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return stored;
}

const FolderRow* rowFor(const Stored& stored, const std::string& path) {
    for (const auto& row : stored.rows) {
        if (row.path == path) return &row;
    }
    return nullptr;
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

    const Stored stored = readBack(database);
    const Reference reference = referenceFor(tree.path());
    EXPECT_EQ(stored.scans, 1);
    EXPECT_EQ(stored.drive, tree.path().string() + "/");
    EXPECT_EQ(stored.allocated, static_cast<std::int64_t>(reference.allocated));
    EXPECT_EQ(stored.apparent, static_cast<std::int64_t>(reference.apparent));
    EXPECT_EQ(stored.files + stored.folders, static_cast<std::int64_t>(reference.entries));
    EXPECT_EQ(stored.errors, 0);
    EXPECT_LE(stored.started, stored.finished);
    EXPECT_EQ(stored.started.size(), std::string("2024-01-01T00:00:00.000Z").size());
    EXPECT_EQ(static_cast<std::int64_t>(stored.rows.size()), stored.folders);

    const FolderRow* root = rowFor(stored, tree.path().string());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->allocated, stored.allocated);
    EXPECT_EQ(root->files, stored.files);
    EXPECT_EQ(root->folders, stored.folders - 1);
    // A name with a newline and a byte that is not UTF-8, kept as bytes.
    const std::string odd = tree.path().string() + "/folder\nwith\xc3(odd) name";
    const FolderRow* oddRow = rowFor(stored, odd);
    ASSERT_NE(oddRow, nullptr);
    EXPECT_EQ(oddRow->files, 1);
    EXPECT_EQ(oddRow->folders, 1);
    EXPECT_EQ(oddRow->allocated, static_cast<std::int64_t>(referenceFor(odd).allocated));
    const FolderRow* inner = rowFor(stored, tree.path().string() + "/a/inner");
    ASSERT_NE(inner, nullptr);

    // A second run adds a second scan row.
    scanner.AnalyzeDrive(tree.path().string());
    scanner.FinishDrive();
    EXPECT_EQ(readBack(database).scans, 2);
}

void expectRefused(const fs::path& database, const std::string& expectedReason) {
    TempDir tree;
    writeFile(tree / "file", "x");
    WaitPump pump;
    ResultsDatabase results(database.string());
    Scanner scanner(pump, results, ScannerOptions{2});
    scanner.AnalyzeDrive(tree.path().string());
    try {
        scanner.FinishDrive();
        FAIL() << "stored in " << database;
    } catch (const EngineError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("cannot store the results in " + database.string() + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(expectedReason), std::string::npos) << message;
    }
}

TEST(ResultsDatabase, CorruptFileIsLeftByteForByte) {
    TempDir data;
    const fs::path database = data / "scans.db";
    std::string garbage;
    for (int i = 0; i < 8192; ++i) garbage += static_cast<char>((i * 7919) % 251);
    writeFile(database, garbage);
    expectRefused(database, "not a database");
    EXPECT_EQ(readFile(database), garbage);
    EXPECT_FALSE(fs::exists(data / "scans.db-journal"));
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
    expectRefused(database, "readonly");
    EXPECT_EQ(readFile(database), before);
    ASSERT_EQ(::umount2(data.path().c_str(), MNT_DETACH), 0);
    EXPECT_EQ(readBack(database).scans, 1);
}

}  // namespace
}  // namespace corvath::test
