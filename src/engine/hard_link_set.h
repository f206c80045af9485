#pragma once

#include <cstdint>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace corvath {

// The files with more than one link seen so far, keyed by device and inode, so
// that each is counted once. Which folder a file's bytes belong to must not
// depend on which worker meets it first (two scans of an unchanged tree would
// then differ): the owner is the link with the least (folder inode, name),
// settled when the walk is over. Split into shards so that workers rarely meet
// on a lock.
class HardLinkSet {
public:
    static constexpr std::uint32_t kNoFolder = 0xFFFFFFFFu;
    struct Link {
        std::uint32_t folder;  // index in the folder table
        // The folder that has already counted the file's bytes as its own, or
        // kNoFolder (it fits in what would be padding: an entry costs no more).
        std::uint32_t countedIn = kNoFolder;
        std::uint64_t folderInode;  // with the name's hash, what decides the owner
        std::uint64_t nameHash;
        std::uint64_t allocated;
        std::uint64_t apparent;
    };
    static_assert(sizeof(Link) == 40, "countedIn is meant to take the padding after folder");

    // Records one link of (device, inode); true when the file was not seen before.
    bool insert(std::uint64_t device, std::uint64_t inode, const Link& link) {
        Shard& shard = shards_[(inode ^ (inode >> 17)) % kShards];
        std::lock_guard lock(shard.mutex);
        const auto [found, added] = shard.owners.try_emplace(Key{device, inode}, link);
        if (!added && precedes(link, found->second)) becomeOwner(found->second, link);
        return added;
    }

    // Records a link whose folder has already counted the file's bytes as its
    // own: for a walker that learns that a file has several links only when it
    // meets the second (the Windows listing tells no link count). Once the walk
    // is over the bytes move from that folder to the owner's. True when the
    // file was not recorded before.
    bool insertCounted(std::uint64_t device, std::uint64_t inode, Link link) {
        link.countedIn = link.folder;
        Shard& shard = shards_[(inode ^ (inode >> 17)) % kShards];
        std::lock_guard lock(shard.mutex);
        const auto [found, added] = shard.owners.try_emplace(Key{device, inode}, link);
        if (!added) {
            if (found->second.countedIn == kNoFolder) found->second.countedIn = link.folder;
            if (precedes(link, found->second)) becomeOwner(found->second, link);
        }
        return added;
    }

    static std::uint64_t hashName(std::string_view name) {
        std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a: the same in every run
        for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        return hash;
    }

    // Calls f(link) with each file's owning link (its countedIn telling the
    // folder that counted the bytes, if any). Only once no worker inserts.
    template <typename F>
    void forEachOwner(F f) const {
        for (const Shard& shard : shards_) {
            for (const auto& [key, link] : shard.owners) f(link);
        }
    }

private:
    static void becomeOwner(Link& owner, const Link& link) {
        const std::uint32_t countedIn = owner.countedIn;
        owner = link;
        owner.countedIn = countedIn;
    }
    static bool precedes(const Link& a, const Link& b) {
        if (a.folderInode != b.folderInode) return a.folderInode < b.folderInode;
        return a.nameHash < b.nameHash;
    }
    struct Key {
        std::uint64_t device;
        std::uint64_t inode;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept {
            return static_cast<std::size_t>(key.inode * 0x9E3779B97F4A7C15ull ^ key.device);
        }
    };
    struct Shard {
        mutable std::mutex mutex;
        std::unordered_map<Key, Link, KeyHash> owners;
    };
    static constexpr std::size_t kShards = 16;
    Shard shards_[kShards];
};

}  // namespace corvath
