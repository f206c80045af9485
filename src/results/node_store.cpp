#include "results/node_store.h"

#include <cstring>
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace corvath {

namespace {

void append(std::string& key, std::uint64_t value) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    key.append(bytes, sizeof bytes);
}

}  // namespace

NodeStore::NodeStore(Connection& db)
    : db_(db),
      insert_(db.prepare("INSERT INTO nodes (name, allocated, apparent, files, folders, flags, children)"
                         " VALUES (?, ?, ?, ?, ?, ?, ?)")) {}

NodeStore::Identity NodeStore::identityOf(const NodeContent& content) {
    // Lengths first, so that no two different contents serialize alike.
    std::string key;
    key.reserve(64 + content.name.size() + content.children.size());
    append(key, content.name.size());
    key.append(content.name);
    append(key, content.allocated);
    append(key, content.apparent);
    append(key, content.files);
    append(key, content.folders);
    append(key, content.flags);
    append(key, content.children.size());
    key.append(content.children);
    const XXH128_hash_t hash = XXH3_128bits(key.data(), key.size());
    return {hash.low64, hash.high64};
}

void NodeStore::loadStored() {
    loaded_ = true;
    Statement all = db_.prepare("SELECT id, name, allocated, apparent, files, folders, flags, children FROM nodes");
    while (all.step()) {
        const std::string name = all.bytes(1);
        const std::string children = all.bytes(7);
        const NodeContent content{name,           all.count(2), all.count(3), all.count(4), all.count(5),
                                  static_cast<std::uint32_t>(all.integer(6)), children};
        known_.emplace(identityOf(content), all.integer(0));
    }
}

std::int64_t NodeStore::put(const NodeContent& content) {
    if (!loaded_) loadStored();
    const Identity identity = identityOf(content);
    if (const auto found = known_.find(identity); found != known_.end()) return found->second;
    insert_.bindBlob(1, content.name)
        .bind(2, content.allocated)
        .bind(3, content.apparent)
        .bind(4, content.files)
        .bind(5, content.folders)
        .bind(6, static_cast<std::int64_t>(content.flags));
    if (!content.children.empty()) insert_.bindBlob(7, content.children);
    insert_.run();
    const std::int64_t id = db_.lastRow();
    known_.emplace(identity, id);
    ++added_;
    return id;
}

}  // namespace corvath
