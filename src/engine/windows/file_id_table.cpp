#include "engine/windows/file_id_table.h"

#include <cstdint>

namespace corvath::win32 {

namespace {

// Chunks and pages are made while the dense part takes at most this much plus
// kBytesPerId for each ID recorded.
constexpr std::size_t kFreeBytes = std::size_t{1} << 20;
constexpr std::size_t kBytesPerId = 16;

// Marks a range refused a chunk (or a page): its IDs are in the hash.
template <typename T>
T* refused() {
    return reinterpret_cast<T*>(std::uintptr_t{1});
}

}  // namespace

FileIdTable::FileIdTable() : top_(new std::atomic<Page*>[std::size_t{1} << kTopBits]()) {
    denseBytes_ = (std::size_t{1} << kTopBits) * sizeof(std::atomic<Page*>);
}

FileIdTable::~FileIdTable() {
    for (std::size_t t = 0; t < (std::size_t{1} << kTopBits); ++t) {
        Page* page = top_[t].load(std::memory_order_relaxed);
        if (page == nullptr || page == refused<Page>()) continue;
        for (auto& slot : page->chunks) {
            Chunk* chunk = slot.load(std::memory_order_relaxed);
            if (chunk != nullptr && chunk != refused<Chunk>()) delete chunk;
        }
        delete page;
    }
}

std::size_t FileIdTable::bytes() const {
    return denseBytes_.load(std::memory_order_relaxed) + hashBytes_.load(std::memory_order_relaxed);
}

// The chunk or page in slot, made if the budget allows, else marked refused;
// another thread may make or refuse it first, and its choice stands.
template <typename T>
T* FileIdTable::claim(std::atomic<T*>& slot, std::size_t size) {
    T* current = slot.load(std::memory_order_acquire);
    if (current != nullptr) return current;
    const bool affordable =
        denseBytes_.load(std::memory_order_relaxed) + size <= kFreeBytes + kBytesPerId * recorded_.load(std::memory_order_relaxed);
    T* made = affordable ? new T : refused<T>();
    if (slot.compare_exchange_strong(current, made, std::memory_order_acq_rel, std::memory_order_acquire)) {
        if (affordable) denseBytes_.fetch_add(size, std::memory_order_relaxed);
        return made;
    }
    if (affordable) delete made;
    return current;
}

std::uint32_t FileIdTable::record(std::uint64_t low, std::uint64_t high, std::uint32_t folder) {
    recorded_.fetch_add(1, std::memory_order_relaxed);
    if (high == 0 && (low >> (kChunkBits + kPageBits + kTopBits)) == 0) {
        Page* page = claim(top_[low >> (kChunkBits + kPageBits)], sizeof(Page));
        if (page != refused<Page>()) {
            Chunk* chunk = claim(page->chunks[(low >> kChunkBits) & ((1u << kPageBits) - 1)], sizeof(Chunk));
            if (chunk != refused<Chunk>()) {
                std::uint32_t seen = 0;
                if (chunk->slots[low & ((1u << kChunkBits) - 1)].compare_exchange_strong(
                        seen, folder + 1, std::memory_order_acq_rel, std::memory_order_acquire)) {
                    return kFirst;
                }
                return seen - 1;
            }
        }
    }
    std::uint64_t key = fold(low, high);
    if (key == ~std::uint64_t{0}) --key;
    return recordHashed(key, folder);
}

std::uint32_t FileIdTable::recordHashed(std::uint64_t key, std::uint32_t folder) {
    const std::uint64_t hash = mix(key);
    Shard& shard = shards_[hash % kShards];
    std::lock_guard lock(shard.mutex);
    if ((shard.used + 1) * 4 > shard.keys.size() * 3) grow(shard);
    const std::size_t mask = shard.keys.size() - 1;
    for (std::size_t i = (hash / kShards) & mask;; i = (i + 1) & mask) {
        if (shard.keys[i] == key + 1) return shard.folders[i];
        if (shard.keys[i] == 0) {
            shard.keys[i] = key + 1;
            shard.folders[i] = folder;
            ++shard.used;
            return kFirst;
        }
    }
}

void FileIdTable::grow(Shard& shard) {
    const std::size_t size = shard.keys.empty() ? 64 : shard.keys.size() * 2;
    std::vector<std::uint64_t> keys(size);
    std::vector<std::uint32_t> folders(size);
    for (std::size_t j = 0; j < shard.keys.size(); ++j) {
        if (shard.keys[j] == 0) continue;
        for (std::size_t i = (mix(shard.keys[j] - 1) / kShards) & (size - 1);; i = (i + 1) & (size - 1)) {
            if (keys[i] == 0) {
                keys[i] = shard.keys[j];
                folders[i] = shard.folders[j];
                break;
            }
        }
    }
    hashBytes_.fetch_add((size - shard.keys.size()) * (sizeof(std::uint64_t) + sizeof(std::uint32_t)),
                         std::memory_order_relaxed);
    shard.keys.swap(keys);
    shard.folders.swap(folders);
}

}  // namespace corvath::win32
