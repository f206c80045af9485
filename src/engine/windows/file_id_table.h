// Which folder first listed each file ID of one volume: how the Windows walk
// finds hard links without opening a file, since no listing tells a link
// count. A file ID listed twice is one file with two links.
//
// Compact because IDs are dense: NTFS's are MFT record numbers (the low 48
// bits; the high 16 are a sequence number), Wine's the host's inode numbers,
// both from 0 up. IDs below 2^32 index a table of 4-byte slots made lazily in
// 4 KiB chunks, which costs 4 bytes per ID in the ranges the volume uses. So
// that IDs that are not dense (ReFS's 128-bit IDs, a network file system's
// hashes) cannot make it cost a chunk per file, chunks are made only while
// they take at most 16 bytes per ID recorded (plus 1 MiB); a range refused a
// chunk stays in a hash (about 16 to 32 bytes per ID) for the rest of the walk.
// Safe from any thread; recording into a chunk takes no lock.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace corvath::win32 {

class FileIdTable {
public:
    static constexpr std::uint32_t kFirst = 0xFFFFFFFFu;

    FileIdTable();
    ~FileIdTable();
    FileIdTable(const FileIdTable&) = delete;
    FileIdTable& operator=(const FileIdTable&) = delete;

    // Records that folder lists the file with this ID (high is 0 but for a
    // 128-bit ID); returns kFirst when the ID was not listed before, else the
    // folder that listed it first.
    std::uint32_t record(std::uint64_t low, std::uint64_t high, std::uint32_t folder);

    // One 64-bit key for an ID (the same for a 64-bit ID): a 128-bit ID is
    // folded, so that two files of one scan collide with a chance of about
    // n² / 2^65.
    static std::uint64_t fold(std::uint64_t low, std::uint64_t high) { return high == 0 ? low : low ^ mix(high); }
    static std::uint64_t mix(std::uint64_t x) {
        x ^= x >> 33;
        x *= 0xff51afd7ed558ccdull;
        x ^= x >> 33;
        x *= 0xc4ceb9fe1a85ec53ull;
        return x ^ (x >> 33);
    }

    // What the table has allocated, in bytes.
    std::size_t bytes() const;

private:
    static constexpr unsigned kChunkBits = 10, kPageBits = 11, kTopBits = 11;  // 32 bits of ID in all
    struct Chunk {
        std::atomic<std::uint32_t> slots[std::size_t{1} << kChunkBits] = {};  // folder + 1, 0 when unseen
    };
    struct Page {
        std::atomic<Chunk*> chunks[std::size_t{1} << kPageBits] = {};
    };
    // A hash of the IDs in ranges refused a chunk, open addressed, in shards.
    struct Shard {
        std::mutex mutex;
        std::vector<std::uint64_t> keys;      // key + 1, 0 when free
        std::vector<std::uint32_t> folders;
        std::size_t used = 0;
    };
    static constexpr std::size_t kShards = 16;

    template <typename T>
    T* claim(std::atomic<T*>& slot, std::size_t size);
    std::uint32_t recordHashed(std::uint64_t key, std::uint32_t folder);
    void grow(Shard& shard);

    std::unique_ptr<std::atomic<Page*>[]> top_;
    std::atomic<std::size_t> denseBytes_{0};
    std::atomic<std::size_t> recorded_{0};
    std::atomic<std::size_t> hashBytes_{0};
    Shard shards_[kShards];
};

}  // namespace corvath::win32
