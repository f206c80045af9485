#include "results/node_rows.h"

#include "results/child_list.h"
#include "results/results_error.h"

namespace corvath {

NodeReader::NodeReader(Connection& db)
    : select_(db.prepare("SELECT id, name, allocated, apparent, files, folders, flags, subfolders, base, depth,"
                         " children FROM nodes WHERE id = ?")) {}

std::optional<NodeRow> NodeReader::row(std::int64_t node) {
    select_.reset();
    select_.bind(1, node);
    if (!select_.step()) return std::nullopt;
    NodeRow row;
    row.folder.node = select_.integer(0);
    row.folder.name = select_.data(1);
    row.folder.allocated = select_.count(2);
    row.folder.apparent = select_.count(3);
    row.folder.files = select_.count(4);
    row.folder.folders = select_.count(5);
    row.folder.flags = static_cast<std::uint32_t>(select_.integer(6));
    row.folder.children = static_cast<std::uint32_t>(select_.integer(7));
    row.base = select_.integer(8);
    row.depth = static_cast<std::uint32_t>(select_.integer(9));
    row.children = select_.data(10);
    select_.reset();
    return row;
}

std::vector<std::int64_t> NodeReader::childIds(const NodeRow& row) {
    if (row.base == 0) return decodeChildren(row.children);
    const std::optional<NodeRow> base = this->row(row.base);
    if (!base || base->depth >= row.depth) {
        throw ResultsError("the scans database has lost the base of folder " + std::to_string(row.folder.node));
    }
    return applyEdits(childIds(*base), row.children);
}

std::vector<NodeRow> NodeReader::children(const NodeRow& row) {
    std::vector<NodeRow> rows;
    for (const std::int64_t id : childIds(row)) {
        if (std::optional<NodeRow> child = this->row(id)) rows.push_back(std::move(*child));
    }
    return rows;
}

}  // namespace corvath
