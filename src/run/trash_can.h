#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace corvath {

// A folder or file of a scan that is to go to the trash: the drive's root
// (the scan's root) and the item's full path below it, raw bytes.
struct TrashItem {
    std::string root;
    std::string path;
    bool folder = false;
};

// Why an item is not moved. `where` is the full path of the part of the way
// concerned (the item itself, a folder above it, a mount point inside it or a
// trash folder); `detail` the system's word where there is one.
struct TrashRefusal {
    enum class Reason {
        NotBelowRoot,     // the path is the drive's root, or does not lie below it
        Gone,             // a part of the way is no longer there
        Link,             // a part of the way is a symbolic link, never followed
        NotAFolder,       // a part of the way (or the folder itself) is no longer a folder
        NowAFolder,       // the file is a folder now
        OtherFilesystem,  // another filesystem is mounted at a part of the way, or at the item
        HoldsMount,       // another filesystem is mounted inside the item
        Changed,          // something else took the item's place while it was being moved
        NoTrash,          // no trash folder could be made or opened
        Failed,           // the system refused to open or move it
        NotAnswering,     // the drive did not answer in time (detail: the wait, "10 s")
    };
    Reason reason = Reason::Failed;
    std::string where;
    std::string detail;
};

// How big an item is now, allocated bytes (st_blocks x 512, a folder with
// everything in it, as a scan counts them).
struct CurrentSize {
    enum class Kind {
        Exact,    // measured in full
        AtLeast,  // the bound ran out, or parts could not be read
        Unknown,  // could not be measured at all
    };
    Kind kind = Kind::Unknown;
    std::uint64_t allocated = 0;
};

// What asking before a move found: a refusal, or the item's size now.
struct TrashCheck {
    std::optional<TrashRefusal> refusal;
    CurrentSize size;
};

// What a move did: the item's place in the trash, or why nothing moved.
struct TrashMove {
    std::optional<TrashRefusal> refusal;
    std::string placedAt;
};

// The desktop's trash as the results window uses it. An item is found from the
// drive's root one name at a time: no symbolic link is followed, no other
// filesystem entered, and an item that is or holds a mount point is refused,
// so that nothing moves but the item the scan showed.
class TrashCan {
public:
    virtual ~TrashCan() = default;
    // Finds the item as move would and measures it, waiting at most the bound;
    // a drive that does not answer leaves a worker behind, never the caller.
    virtual TrashCheck check(const TrashItem& item, std::chrono::milliseconds bound) = 0;
    // Moves the item into the trash, never deleting anything.
    virtual TrashMove move(const TrashItem& item) = 0;
};

}  // namespace corvath
