// Our first version stored every folder of a scan as a row with its full path,
// in depth-first order (a folder before the folders below it).
#include <string>
#include <vector>

#include "results/child_list.h"
#include "results/node_store.h"
#include "results/results_error.h"
#include "results/results_file.h"

namespace corvath {

namespace {

struct OpenFolder {
    std::string path;
    std::string name;
    std::uint64_t allocated, apparent, files, folders;
    std::vector<std::int64_t> children;
};

bool holds(const std::string& parent, const std::string& path) {
    if (parent == "/") return path.size() > 1 && path[0] == '/';
    return path.size() > parent.size() + 1 && path.compare(0, parent.size(), parent) == 0 &&
           path[parent.size()] == '/';
}

// Stores the innermost open folder and hands its node to its parent.
std::int64_t close(std::vector<OpenFolder>& open, NodeStore& nodes) {
    OpenFolder& folder = open.back();
    const std::string children = encodeChildren(std::move(folder.children));
    const std::int64_t node = nodes.put(
        {folder.name, folder.allocated, folder.apparent, folder.files, folder.folders, 0, children});
    open.pop_back();
    if (!open.empty()) open.back().children.push_back(node);
    return node;
}

}  // namespace

void migrateFirstVersion(Connection& db) {
    NodeStore nodes(db);
    Statement scans = db.prepare(
        "SELECT id, drive, started, finished, allocated, apparent, files, folders, errors FROM scans_v1 ORDER BY id");
    Statement rows = db.prepare(
        "SELECT path, allocated, apparent, files, folders FROM folders_v1 WHERE scan = ? ORDER BY rowid");
    Statement insert = db.prepare(
        "INSERT INTO scans (id, drive, root_path, started, finished, allocated, apparent, files, folders, errors,"
        " root_node) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    while (scans.step()) {
        const std::int64_t scan = scans.integer(0);
        std::vector<OpenFolder> open;
        std::string rootPath;
        std::int64_t root = 0;
        rows.bind(1, scan);
        while (rows.step()) {
            std::string path = rows.bytes(0);
            while (!open.empty() && !holds(open.back().path, path)) root = close(open, nodes);
            if (open.empty() && !rootPath.empty()) {
                throw ResultsError("cannot convert the scans database " + db.path() + ": scan " +
                                   std::to_string(scan) + " holds a folder outside its root");
            }
            std::string name = open.empty() ? path
                                            : path.substr(open.back().path == "/" ? 1 : open.back().path.size() + 1);
            if (open.empty()) rootPath = path;
            open.push_back({std::move(path), std::move(name), rows.count(1), rows.count(2), rows.count(3),
                            rows.count(4), {}});
        }
        rows.reset();
        while (!open.empty()) root = close(open, nodes);
        if (rootPath.empty()) {
            // A scan with no folder rows: its drive stands for its root.
            rootPath = scans.bytes(1);
            root = nodes.put({rootPath, scans.count(4), scans.count(5), scans.count(6),
                              scans.count(7) > 0 ? scans.count(7) - 1 : 0, 0, {}});
        }
        insert.bind(1, scan)
            .bindText(2, scans.bytes(1))
            .bindBlob(3, rootPath)
            .bindText(4, scans.bytes(2))
            .bindText(5, scans.bytes(3))
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
