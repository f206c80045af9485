#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace corvath {

// The files with more than one link seen so far, keyed by device and inode, so
// that each is counted once. Split into shards so that workers rarely meet on a lock.
class HardLinkSet {
public:
    // True when (device, inode) was not in the set before.
    bool insert(std::uint64_t device, std::uint64_t inode) {
        Shard& shard = shards_[(inode ^ (inode >> 17)) % kShards];
        std::lock_guard lock(shard.mutex);
        return shard.keys.insert(Key{device, inode}).second;
    }

private:
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
        std::mutex mutex;
        std::unordered_set<Key, KeyHash> keys;
    };
    static constexpr std::size_t kShards = 16;
    Shard shards_[kShards];
};

}  // namespace corvath
