#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace corvath {

// One entry of a folder that is not itself a scanned folder, as the walk found it.
struct EntryRecord {
    enum class Kind : std::uint8_t { Regular, Other };
    std::string_view name;  // valid only during the call that hands the entry over
    std::uint64_t apparent = 0;
    std::uint64_t allocated = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
    std::uint32_t links = 1;
    // links is not the file's link count but the names the walk had met when
    // it listed this one (1 on the first, 2 on later ones): a listing that
    // tells no link count. A sink that marks links settles this entry once the
    // walk has met every name.
    bool linksSoFar = false;
    Kind kind = Kind::Regular;
};

// Takes the entries of every folder as the walk records them, so that a scan
// that needs them (an export) never holds the whole tree. A folder's entries come
// in one or more calls, in the order the folder lists them, all before the walk
// stops; calls for different folders come from different worker threads at the
// same time, so an implementation serializes itself. An exception thrown here
// stops the walk, which then reports it as its failure.
class EntrySink {
public:
    virtual ~EntrySink() = default;
    virtual void record(std::uint32_t folder, std::span<const EntryRecord> entries) = 0;
};

}  // namespace corvath
