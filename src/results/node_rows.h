#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "results/connection.h"
#include "results/stored_scan.h"

namespace corvath {

// A stored folder as its row holds it: its sub-folders either listed in full
// (base 0), or as the changes from base, the same folder in an earlier scan;
// depth counts the bases to follow to a full list.
struct NodeRow {
    StoredFolder folder;
    std::int64_t base = 0;
    std::uint32_t depth = 0;
    std::string children;
};

// A base is followed at most this far: a longer chain is cut by a full list.
inline constexpr std::uint32_t kMostBaseDepth = 8;

// Reads nodes with statements prepared once.
class NodeReader {
public:
    explicit NodeReader(Connection& db);
    std::optional<NodeRow> row(std::int64_t node);
    // The node's sub-folders' ids, ascending.
    std::vector<std::int64_t> childIds(const NodeRow& row);
    std::vector<NodeRow> children(const NodeRow& row);

private:
    Statement select_;
};

}  // namespace corvath
