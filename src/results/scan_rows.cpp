#include "results/scan_rows.h"

#include <set>
#include <unordered_map>
#include <unordered_set>

#include "results/child_list.h"
#include "results/scan_time.h"
#include "text/split.h"

namespace corvath {

std::string joinExcludes(const std::vector<std::string>& patterns) {
    std::string text;
    for (const std::string& pattern : patterns) {
        if (!text.empty()) text += '\t';
        text += pattern;
    }
    return text;
}

std::vector<std::string> splitExcludes(std::string_view text) {
    if (text.empty()) return {};
    return splitAt(text, '\t');
}

bool excludesDiffer(const StoredScan& a, const StoredScan& b) {
    const std::set<std::string> before(a.excludes.begin(), a.excludes.end());
    const std::set<std::string> after(b.excludes.begin(), b.excludes.end());
    return before != after;
}

StoredScan scanFromRow(const Statement& row) {
    StoredScan scan;
    scan.id = row.integer(0);
    scan.drive = row.data(1);
    scan.root = row.data(2);
    scan.started = fromUtcText(row.data(3));
    scan.finished = fromUtcText(row.data(4));
    scan.allocated = row.count(5);
    scan.apparent = row.count(6);
    scan.files = row.count(7);
    scan.folders = row.count(8);
    scan.errors = row.count(9);
    scan.top = row.integer(10);
    scan.driveKey = row.data(11);
    if (!row.isNull(12)) scan.driveUsed = row.count(12);
    if (!row.isNull(13)) scan.excludes = splitExcludes(row.data(13));
    return scan;
}

std::vector<StoredScan> readScans(Connection& db, const std::string& query, const std::optional<std::string>& text) {
    Statement select = db.prepare(query.c_str());
    if (text) select.bindText(1, *text);
    std::vector<StoredScan> scans;
    while (select.step()) scans.push_back(scanFromRow(select));
    return scans;
}

std::size_t removeUnheldNodes(Connection& db) {
    struct Links {
        std::int64_t base;
        std::string children;
    };
    std::unordered_map<std::int64_t, Links> lists;
    {
        Statement all = db.prepare("SELECT id, base, children FROM nodes");
        while (all.step()) lists.emplace(all.integer(0), Links{all.integer(1), all.data(2)});
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
        const Links& links = found->second;
        // A list of changes refers to its base's sub-folders through the base.
        if (links.base != 0) pending.push_back(links.base);
        for (const std::int64_t child : links.base != 0 ? addedByEdits(links.children) : decodeChildren(links.children)) {
            pending.push_back(child);
        }
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
