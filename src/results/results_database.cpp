#include "results/results_database.h"

#include <set>
#include <vector>

#include "engine/engine_error.h"
#include "results/tree_writer.h"
#include "results/results_error.h"
#include "results/results_file.h"
#include "results/retention.h"
#include "results/scan_reader.h"
#include "results/scan_rows.h"
#include "results/scan_time.h"
#include "sqlite/transaction.h"

namespace corvath {

namespace {

void storeLargestFiles(Connection& db, std::int64_t scan, const ScanRecord& record, const FolderTable& table) {
    Statement insert = db.prepare(
        "INSERT INTO files (scan, folder, name, allocated, apparent, modified) VALUES (?, ?, ?, ?, ?, ?)");
    for (const LargeFile& file : record.largestFiles) {
        if (file.folder >= table.size()) continue;
        const std::string relative = table.relativePath(file.folder);
        std::string folder = record.rootPath;
        if (!relative.empty()) {
            folder = childPath(folder, relative);
        }
        insert.bind(1, scan)
            .bindBlob(2, folder)
            .bindBlob(3, file.name)
            .bind(4, file.allocated)
            .bind(5, file.apparent)
            .bind(6, file.modified);
        insert.run();
    }
}

// Removes the drive's scans that the retention rule lets go, with their files;
// their nodes are left for removeUnheldNodes.
std::size_t pruneDrive(Connection& db, const std::string& driveKey, std::chrono::system_clock::time_point now,
                       RetentionRule rule) {
    const std::vector<StoredScan> scans =
        readScans(db, std::string("SELECT ") + kScanColumns + " FROM scans WHERE " + kOfDrive, driveKey);
    const std::vector<std::int64_t> past = scansPastKeeping(scans, now, rule);
    Statement removeScan = db.prepare("DELETE FROM scans WHERE id = ?");
    Statement removeFiles = db.prepare("DELETE FROM files WHERE scan = ?");
    for (const std::int64_t id : past) {
        removeScan.bind(1, id);
        removeScan.run();
        removeFiles.bind(1, id);
        removeFiles.run();
    }
    return past.size();
}

std::int64_t latestRootOf(Connection& db, const std::string& driveKey) {
    Statement select = db.prepare(
        (std::string("SELECT root_node FROM scans WHERE ") + kOfDrive + " ORDER BY finished DESC, id DESC LIMIT 1")
            .c_str());
    select.bindText(1, driveKey);
    return select.step() ? select.integer(0) : 0;
}

// The scans stored at the drive's mount point before drives were known by
// their filesystem are taken to be of the filesystem mounted there now.
void adoptEarlierScans(Connection& db, const ScanRecord& record, const std::string& driveKey) {
    Statement adopt = db.prepare("UPDATE scans SET drive_key = ? WHERE drive_key IS NULL AND drive = ?");
    adopt.bindText(1, driveKey).bindText(2, record.drive);
    adopt.run();
}

void giveBackFreePages(Connection& db) {
    try {
        db.execute("PRAGMA incremental_vacuum");
    } catch (const ResultsError&) {
        // The pages stay free in the file and are reused by the next scans.
    }
}

}  // namespace

void ResultsDatabase::prepare() {
    try {
        openResultsFile(path_, ResultsAccess::Write, lockWait_);
    } catch (const ResultsError& error) {
        throw EngineError(error.what());
    }
}

void ResultsDatabase::storeScan(const ScanRecord& record, const FolderTable& folders) {
    try {
        auto db = openResultsFile(path_, ResultsAccess::Write, lockWait_);
        const std::string driveKey = record.volume.empty() ? record.drive : record.volume;
        const std::size_t pruned = sqlite::inWriteTransaction(*db, [&] {
            adoptEarlierScans(*db, record, driveKey);
            const std::int64_t root = storeTree(*db, folders, record.rootPath, latestRootOf(*db, driveKey));
            Statement insert = db->prepare(
                "INSERT INTO scans (drive, root_path, started, finished, allocated, apparent, files, folders,"
                " errors, root_node, drive_key, drive_used, excludes) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            insert.bindText(1, record.drive)
                .bindBlob(2, record.rootPath)
                .bindText(3, utcText(record.started))
                .bindText(4, utcText(record.finished))
                .bind(5, record.totals.allocated)
                .bind(6, record.totals.apparent)
                .bind(7, record.totals.files)
                .bind(8, record.totals.folders)
                .bind(9, record.totals.errors)
                .bind(10, root)
                .bindText(11, driveKey)
                .bindBlob(13, joinExcludes(record.excludes));
            if (record.driveUsed) insert.bind(12, *record.driveUsed);
            insert.run();
            storeLargestFiles(*db, db->lastRow(), record, folders);
            const std::size_t removed = pruneDrive(*db, driveKey, std::chrono::system_clock::now(), rule_);
            if (removed > 0) removeUnheldNodes(*db);
            return removed;
        });
        if (pruned > 0) giveBackFreePages(*db);
    } catch (const ResultsError& error) {
        throw EngineError(error.what());
    }
}

std::size_t ResultsDatabase::prune(std::chrono::system_clock::time_point now) {
    auto db = openResultsFile(path_, ResultsAccess::Write, lockWait_);
    const std::size_t removed = sqlite::inWriteTransaction(*db, [&] {
        std::set<std::string> drives;
        {
            Statement all = db->prepare("SELECT DISTINCT COALESCE(drive_key, drive) FROM scans");
            while (all.step()) drives.insert(all.data(0));
        }
        std::size_t total = 0;
        for (const std::string& drive : drives) total += pruneDrive(*db, drive, now, rule_);
        removeUnheldNodes(*db);
        return total;
    });
    giveBackFreePages(*db);
    return removed;
}

}  // namespace corvath
