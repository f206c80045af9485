// Our first version stored every folder of a scan as a row with its full path,
// in depth-first order (a folder before the folders below it).
#include <map>
#include <string>
#include <vector>

#include "results/results_error.h"
#include "results/results_file.h"
#include "results/tree_writer.h"

namespace corvath {

namespace {

bool holds(const std::string& parent, const std::string& path) {
    if (parent == "/") return path.size() > 1 && path[0] == '/';
    return path.size() > parent.size() + 1 && path.compare(0, parent.size(), parent) == 0 &&
           path[parent.size()] == '/';
}

// The scan's rows as the engine's folder table, totals already summed up.
// Returns the root's path ("" when the scan has no rows).
std::string readTree(Statement& rows, std::int64_t scan, FolderTable& table, const std::string& databasePath) {
    struct Open {
        std::string path;
        std::uint32_t index;
    };
    std::vector<Open> open;
    std::string rootPath;
    rows.bind(1, scan);
    while (rows.step()) {
        std::string path = rows.data(0);
        while (!open.empty() && !holds(open.back().path, path)) open.pop_back();
        if (open.empty() && !rootPath.empty()) {
            throw ResultsError("cannot convert the scans database " + databasePath + ": scan " + std::to_string(scan) +
                               " holds a folder outside its root");
        }
        const std::uint32_t index = table.append();
        FolderNode& folder = table[index];
        if (open.empty()) {
            rootPath = path;
            folder.name = path;
        } else {
            folder.parent = open.back().index;
            folder.name = path.substr(open.back().path == "/" ? 1 : open.back().path.size() + 1);
        }
        folder.allocated = rows.count(1);
        folder.apparent = rows.count(2);
        folder.files = rows.count(3);
        folder.folders = rows.count(4);
        open.push_back({std::move(path), index});
    }
    rows.reset();
    return rootPath;
}

}  // namespace

void migrateFirstVersion(Connection& db) {
    Statement scans = db.prepare(
        "SELECT id, drive, started, finished, allocated, apparent, files, folders, errors FROM scans_v1 ORDER BY id");
    Statement rows = db.prepare(
        "SELECT path, allocated, apparent, files, folders FROM folders_v1 WHERE scan = ? ORDER BY rowid");
    Statement insert = db.prepare(
        "INSERT INTO scans (id, drive, root_path, started, finished, allocated, apparent, files, folders, errors,"
        " root_node) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    std::map<std::string, std::int64_t> latestRoot;  // by drive, so that scans share what did not change
    while (scans.step()) {
        const std::int64_t scan = scans.integer(0);
        const std::string drive = scans.data(1);
        FolderTable table;
        std::string rootPath = readTree(rows, scan, table, db.path());
        if (rootPath.empty()) {
            // A scan with no folder rows: its drive stands for its root.
            rootPath = drive;
            const std::uint32_t root = table.append();
            table[root].name = drive;
            table[root].allocated = scans.count(4);
            table[root].apparent = scans.count(5);
            table[root].files = scans.count(6);
            table[root].folders = scans.count(7) > 0 ? scans.count(7) - 1 : 0;
        }
        const std::int64_t root = storeTree(db, table, rootPath, latestRoot[drive]);
        latestRoot[drive] = root;
        insert.bind(1, scan)
            .bindText(2, drive)
            .bindBlob(3, rootPath)
            .bindText(4, scans.data(2))
            .bindText(5, scans.data(3))
            .bind(6, scans.integer(4))
            .bind(7, scans.integer(5))
            .bind(8, scans.integer(6))
            .bind(9, scans.integer(7))
            .bind(10, scans.integer(8))
            .bind(11, root);
        insert.run();
    }
}

}  // namespace corvath
