#include "results/tree_writer.h"

#include <map>
#include <unordered_map>
#include <vector>

#include "results/child_list.h"
#include "results/node_rows.h"

namespace corvath {

namespace {

std::uint32_t flagsOf(const FolderNode& folder) {
    return (folder.readError ? StoredFolder::kUnreadable : 0u) |
           (folder.otherFilesystem ? StoredFolder::kOtherFilesystem : 0u) |
           (folder.excluded ? StoredFolder::kExcluded : 0u) |
           (folder.subvolume ? StoredFolder::kSubvolume : 0u);
}

// Each folder's sub-folders, from the parent indices (a child's index is
// always greater than its parent's); folders that vanished are left out.
struct ChildLists {
    explicit ChildLists(const FolderTable& table) : first(table.size() + 1, 0) {
        const std::uint32_t count = table.size();
        for (std::uint32_t i = 1; i < count; ++i) {
            if (!table[i].vanished) ++first[table[i].parent + 1];
        }
        for (std::uint32_t i = 0; i < count; ++i) first[i + 1] += first[i];
        children.resize(first[count]);
        std::vector<std::uint32_t> filled(first.begin(), first.end() - 1);
        for (std::uint32_t i = 1; i < count; ++i) {
            if (!table[i].vanished) children[filled[table[i].parent]++] = i;
        }
    }
    std::vector<std::uint32_t> first;
    std::vector<std::uint32_t> children;
};

// What is known of each new folder's counterpart in the earlier scan.
struct Earlier {
    std::vector<std::int64_t> node;  // 0: none
    std::vector<std::uint8_t> sameContent;  // totals and flags
    std::vector<std::uint32_t> subfolders;
    std::vector<std::uint8_t> depth;
    std::unordered_map<std::uint32_t, std::vector<std::int64_t>> gone;  // sub-folders with no new counterpart

    explicit Earlier(std::uint32_t count) : node(count, 0), sameContent(count, 0), subfolders(count, 0), depth(count, 0) {}

    void match(std::uint32_t index, const NodeRow& row, const FolderNode& folder) {
        node[index] = row.folder.node;
        sameContent[index] = row.folder.allocated == folder.allocated && row.folder.apparent == folder.apparent &&
                             row.folder.files == folder.files && row.folder.folders == folder.folders &&
                             row.folder.flags == flagsOf(folder);
        subfolders[index] = row.folder.children;
        depth[index] = static_cast<std::uint8_t>(row.depth);
    }
};

// Top down: each folder's counterpart is the child of its parent's counterpart
// that has its name.
void matchEarlier(NodeReader& reader, const FolderTable& table, const ChildLists& lists, const std::string& rootName,
                  std::int64_t previousRoot, Earlier& earlier) {
    if (previousRoot == 0) return;
    const std::optional<NodeRow> root = reader.row(previousRoot);
    if (!root) return;
    earlier.match(0, *root, table[0]);
    // The drive mounted elsewhere: its folders match, its root is stored anew under its new name.
    if (root->folder.name != rootName) earlier.sameContent[0] = 0;
    std::map<std::string, NodeRow> byName;
    for (std::uint32_t i = 0; i < table.size(); ++i) {
        if (earlier.node[i] == 0 || earlier.subfolders[i] == 0) continue;
        const std::optional<NodeRow> row = reader.row(earlier.node[i]);
        if (!row) continue;
        byName.clear();
        for (NodeRow& child : reader.children(*row)) byName.emplace(child.folder.name, std::move(child));
        for (std::uint32_t k = lists.first[i]; k < lists.first[i + 1]; ++k) {
            const std::uint32_t child = lists.children[k];
            const auto found = byName.find(table[child].name);
            if (found == byName.end()) continue;
            earlier.match(child, found->second, table[child]);
            byName.erase(found);
        }
        for (const auto& [name, child] : byName) earlier.gone[i].push_back(child.folder.node);
    }
}

}  // namespace

std::int64_t storeTree(Connection& db, const FolderTable& table, const std::string& rootName,
                       std::int64_t previousRoot) {
    const std::uint32_t count = table.size();
    if (count == 0) return 0;
    const ChildLists lists(table);
    NodeReader reader(db);
    Earlier earlier(count);
    matchEarlier(reader, table, lists, rootName, previousRoot, earlier);

    Statement insert = db.prepare(
        "INSERT INTO nodes (name, allocated, apparent, files, folders, flags, subfolders, base, depth, children)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    std::vector<std::int64_t> node(count, 0);
    std::vector<std::int64_t> ids, removed, added;
    // Bottom up, so that each folder's sub-folders have their nodes first: a
    // node's id is larger than its sub-folders' and its base's, which the
    // one-pass walk of a scan relies on (walkScan).
    for (std::uint32_t i = count; i-- > 0;) {
        const FolderNode& folder = table[i];
        if (folder.vanished) continue;
        ids.clear();
        removed.clear();
        added.clear();
        for (std::uint32_t k = lists.first[i]; k < lists.first[i + 1]; ++k) {
            const std::uint32_t child = lists.children[k];
            ids.push_back(node[child]);
            if (node[child] == earlier.node[child]) continue;
            added.push_back(node[child]);
            if (earlier.node[child] != 0) removed.push_back(earlier.node[child]);
        }
        const auto subfolders = static_cast<std::uint32_t>(ids.size());
        if (earlier.node[i] != 0 && earlier.sameContent[i] && added.empty() && subfolders == earlier.subfolders[i]) {
            node[i] = earlier.node[i];  // unchanged: the earlier scan's node
            continue;
        }
        std::string children = encodeChildren(ids);
        std::int64_t base = 0;
        std::uint32_t depth = 0;
        if (earlier.node[i] != 0 && earlier.subfolders[i] > 0 && earlier.depth[i] < kMostBaseDepth) {
            if (const auto gone = earlier.gone.find(i); gone != earlier.gone.end()) {
                removed.insert(removed.end(), gone->second.begin(), gone->second.end());
            }
            std::string edits = encodeEdits(removed, added);
            if (edits.size() < children.size()) {
                children = std::move(edits);
                base = earlier.node[i];
                depth = earlier.depth[i] + 1u;
            }
        }
        insert.bindBlob(1, i == 0 ? std::string_view(rootName) : std::string_view(folder.name))
            .bind(2, folder.allocated)
            .bind(3, folder.apparent)
            .bind(4, folder.files)
            .bind(5, folder.folders)
            .bind(6, static_cast<std::int64_t>(flagsOf(folder)))
            .bind(7, static_cast<std::int64_t>(subfolders));
        if (base != 0) insert.bind(8, base).bind(9, static_cast<std::int64_t>(depth));
        if (!children.empty()) insert.bindBlob(10, children);
        insert.run();
        node[i] = db.lastRow();
    }
    return node[0];
}

}  // namespace corvath
