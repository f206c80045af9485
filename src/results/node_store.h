#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "results/connection.h"

namespace corvath {

// What identifies a stored folder: its name, its subtree's totals and its
// sub-folders' nodes (as encodeChildren lists them). Two folders with the same
// content are one node, so unchanged subtrees are stored once for all scans.
struct NodeContent {
    std::string_view name;
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
    std::uint32_t flags = 0;
    std::string_view children;
};

// Finds or adds nodes, inside the caller's write transaction. The first put
// reads the identities of the nodes already stored (128-bit hashes of their
// content; the chance that two different folders meet is about 2^-64 for a
// billion nodes, which is taken as none).
class NodeStore {
public:
    explicit NodeStore(Connection& db);
    std::int64_t put(const NodeContent& content);
    std::size_t added() const { return added_; }

    struct Identity {
        std::uint64_t low = 0, high = 0;
        bool operator==(const Identity&) const = default;
    };
    static Identity identityOf(const NodeContent& content);

private:
    struct IdentityHash {
        std::size_t operator()(const Identity& identity) const { return static_cast<std::size_t>(identity.low); }
    };
    void loadStored();
    Connection& db_;
    Statement insert_;
    bool loaded_ = false;
    std::unordered_map<Identity, std::int64_t, IdentityHash> known_;
    std::size_t added_ = 0;
};

}  // namespace corvath
