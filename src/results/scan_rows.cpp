#include "results/scan_rows.h"

#include <unordered_map>
#include <unordered_set>

#include "results/child_list.h"
#include "results/scan_time.h"

namespace corvath {

StoredScan scanFromRow(const Statement& row) {
    StoredScan scan;
    scan.id = row.integer(0);
    scan.drive = row.bytes(1);
    scan.root = row.bytes(2);
    scan.started = fromUtcText(row.bytes(3));
    scan.finished = fromUtcText(row.bytes(4));
    scan.allocated = row.count(5);
    scan.apparent = row.count(6);
    scan.files = row.count(7);
    scan.folders = row.count(8);
    scan.errors = row.count(9);
    scan.top = row.integer(10);
    return scan;
}

std::vector<StoredScan> readScans(Connection& db, const std::string& query, const std::optional<std::string>& text) {
    Statement select = db.prepare(query.c_str());
    if (text) select.bindText(1, *text);
    std::vector<StoredScan> scans;
    while (select.step()) scans.push_back(scanFromRow(select));
    return scans;
}

StoredFolder folderFromRow(const Statement& row, std::string* children) {
    StoredFolder folder;
    folder.node = row.integer(0);
    folder.name = row.bytes(1);
    folder.allocated = row.count(2);
    folder.apparent = row.count(3);
    folder.files = row.count(4);
    folder.folders = row.count(5);
    folder.flags = static_cast<std::uint32_t>(row.integer(6));
    const std::string list = row.bytes(7);
    folder.children = static_cast<std::uint32_t>(decodeChildren(list).size());
    if (children != nullptr) *children = list;
    return folder;
}

std::size_t removeUnheldNodes(Connection& db) {
    std::unordered_map<std::int64_t, std::string> lists;
    {
        Statement all = db.prepare("SELECT id, children FROM nodes");
        while (all.step()) lists.emplace(all.integer(0), all.bytes(1));
    }
    std::unordered_set<std::int64_t> held;
    std::vector<std::int64_t> pending;
    {
        Statement roots = db.prepare("SELECT root_node FROM scans");
        while (roots.step()) pending.push_back(roots.integer(0));
    }
    while (!pending.empty()) {
        const std::int64_t node = pending.back();
        pending.pop_back();
        if (!held.insert(node).second) continue;
        const auto found = lists.find(node);
        if (found == lists.end()) continue;
        for (const std::int64_t child : decodeChildren(found->second)) pending.push_back(child);
    }
    Statement remove = db.prepare("DELETE FROM nodes WHERE id = ?");
    std::size_t removed = 0;
    for (const auto& [node, list] : lists) {
        if (held.contains(node)) continue;
        remove.bind(1, node);
        remove.run();
        ++removed;
    }
    return removed;
}

}  // namespace corvath
