#include "results/scan_walk.h"

#include <algorithm>
#include <iterator>

#include "results/child_list.h"
#include "results/results_error.h"

namespace corvath {
namespace {

// Reading this many rows in order costs about what one seek does.
constexpr std::int64_t kSeekGap = 32;

// The nodes table read downwards from any id, seeking over long gaps.
class DescendingRows {
public:
    explicit DescendingRows(Connection& db)
        : select_(db.prepare("SELECT id, name, allocated, base, children FROM nodes WHERE id <= ? ORDER BY id DESC")) {}

    // Moves to the row id; false when the file has no such row.
    bool moveTo(std::int64_t id) {
        if (!valid_ || at_ < id || at_ - id > kSeekGap) {
            select_.reset();
            select_.bind(1, id);
            next();
        }
        while (valid_ && at_ > id) next();
        return valid_ && at_ == id;
    }
    // Good until the next move.
    std::string_view name() const { return select_.dataView(1); }
    std::uint64_t allocated() const { return select_.count(2); }
    std::int64_t base() const { return select_.integer(3); }
    std::string_view children() const { return select_.dataView(4); }

private:
    void next() {
        valid_ = select_.step();
        at_ = valid_ ? select_.integer(0) : 0;
    }
    Statement select_;
    bool valid_ = false;
    std::int64_t at_ = 0;
};

// A node still to read: as a folder below the place ref, or as the base of
// the folder whose list is still pending as pending[ref].
struct Want {
    std::int64_t id;
    std::uint32_t ref;
    bool base;
    bool operator<(const Want& other) const { return id < other.id; }
};

// The nodes still to read, largest id first. Every id added is below the one
// taken last, so they are kept in buckets of neighbouring ids and only the
// bucket being read is ordered: a heap of all of them costs more than reading.
class Wants {
public:
    explicit Wants(std::int64_t top) : buckets_(static_cast<std::size_t>(top / kBucket) + 1), current_(top / kBucket) {}

    void push(const Want& want) {
        if (want.id / kBucket == current_) {
            heap_.push_back(want);
            std::push_heap(heap_.begin(), heap_.end());
        } else {
            buckets_[static_cast<std::size_t>(want.id / kBucket)].push_back(want);
        }
    }
    // Moves on to the next bucket when the one being read is used up.
    bool done() {
        while (heap_.empty() && current_ > 0) {
            heap_ = std::move(buckets_[static_cast<std::size_t>(--current_)]);
            buckets_[static_cast<std::size_t>(current_)] = {};
            std::make_heap(heap_.begin(), heap_.end());
        }
        return heap_.empty();
    }
    const Want& top() const { return heap_.front(); }
    Want pop() {
        std::pop_heap(heap_.begin(), heap_.end());
        const Want want = heap_.back();
        heap_.pop_back();
        return want;
    }

private:
    static constexpr std::int64_t kBucket = 4096;
    std::vector<std::vector<Want>> buckets_;
    std::vector<Want> heap_;
    std::int64_t current_;
};

// A folder whose list is its base's with edits: what the edits on the way
// down to the base take away from it.
struct Pending {
    std::uint32_t place;
    std::vector<std::int64_t> removed;  // ascending
};

class Walk {
public:
    Walk(Connection& db, const StoredScan& scan) : db_(db), scan_(scan), rows_(db), wants_(std::max<std::int64_t>(scan.top, 0)) {}

    std::optional<ScanFolders> run(std::stop_token stop) {
        wants_.push({scan_.top, ScanFolders::kNone, false});
        for (std::size_t turn = 1; !wants_.done(); ++turn) {
            if ((turn & 0xfff) == 1 && stop.stop_requested()) return std::nullopt;
            row_ = wants_.top().id;
            if (!rows_.moveTo(row_)) throw ResultsError(where() + " has lost folder " + std::to_string(row_));
            const std::string_view name = rows_.name();
            const std::uint64_t allocated = rows_.allocated();
            const std::int64_t base = rows_.base();
            const std::string_view children = rows_.children();
            while (!wants_.done() && wants_.top().id == row_) {
                const Want want = wants_.pop();
                if (want.base) {
                    visitBase(want.ref, base, children);
                } else {
                    visitFolder(want.ref, want.ref == ScanFolders::kNone ? std::string_view(scan_.root) : name,
                                allocated, base, children);
                }
            }
        }
        return std::move(folders_);
    }

private:
    std::string where() const { return "the scans database " + db_.path(); }

    void visitFolder(std::uint32_t parent, std::string_view name, std::uint64_t allocated, std::int64_t base,
                     std::string_view children) {
        // Without cycles a scan has no more places than folders; far more is a damaged file.
        if (folders_.size() > 2 * scan_.folders + 16) damaged();
        const std::uint32_t place = folders_.add(parent, name, row_, allocated);
        if (base == 0) {
            wantFolders(decodeChildren(children), place, {});
            return;
        }
        wantFolders(addedByEdits(children), place, {});
        pending_.push_back({place, removedByEdits(children)});
        wantBase(base, static_cast<std::uint32_t>(pending_.size() - 1));
    }

    void visitBase(std::uint32_t ref, std::int64_t base, std::string_view children) {
        Pending& pending = pending_[ref];
        if (base == 0) {
            wantFolders(decodeChildren(children), pending.place, pending.removed);
            pending.removed = {};
            return;
        }
        wantFolders(addedByEdits(children), pending.place, pending.removed);
        const std::vector<std::int64_t> removed = removedByEdits(children);
        std::vector<std::int64_t> all;
        std::set_union(pending.removed.begin(), pending.removed.end(), removed.begin(), removed.end(),
                       std::back_inserter(all));
        pending.removed = std::move(all);
        wantBase(base, ref);
    }

    void wantFolders(const std::vector<std::int64_t>& ids, std::uint32_t place,
                     const std::vector<std::int64_t>& removed) {
        for (const std::int64_t id : ids) {
            if (std::binary_search(removed.begin(), removed.end(), id)) continue;
            if (id <= 0 || id >= row_) damaged();
            wants_.push({id, place, false});
        }
    }

    void wantBase(std::int64_t base, std::uint32_t ref) {
        if (base <= 0 || base >= row_) damaged();
        wants_.push({base, ref, true});
    }

    [[noreturn]] void damaged() const {
        throw ResultsError(where() + " is damaged: folder " + std::to_string(row_) + " holds itself");
    }

    Connection& db_;
    const StoredScan& scan_;
    DescendingRows rows_;
    Wants wants_;
    std::vector<Pending> pending_;
    ScanFolders folders_;
    std::int64_t row_ = 0;
};

}  // namespace

std::optional<ScanFolders> walkScan(Connection& db, const StoredScan& scan, std::stop_token stop) {
    return Walk(db, scan).run(std::move(stop));
}

}  // namespace corvath
