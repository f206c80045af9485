#include "engine/hard_link_set.h"

namespace corvath {

bool HardLinkSet::insert(std::uint64_t device, std::uint64_t inode) {
    Shard& shard = shards_[(inode ^ (inode >> 17)) % kShards];
    std::lock_guard lock(shard.mutex);
    return shard.keys.insert(Key{device, inode}).second;
}

}  // namespace corvath
