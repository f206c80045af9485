#include "results/scan_reader.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <queue>

#include "results/node_rows.h"
#include "results/results_database.h"
#include "results/results_error.h"
#include "results/results_file.h"
#include "results/scan_rows.h"
#include "results/scan_walk.h"
#include "text/paths.h"

namespace corvath {

namespace {

bool largerFirst(const StoredFolder& a, const StoredFolder& b) {
    return a.allocated != b.allocated ? a.allocated > b.allocated : a.name < b.name;
}

// A path as the user gives it: full, or relative to the scan's root; "" is the root.
std::string fullPathIn(const StoredScan& scan, const std::string& path) {
    if (path.empty()) return scan.root;
    if (!isAbsolutePath(path)) return withoutTrailingSeparator(childPath(scan.root, path));
    return withoutTrailingSeparator(path);
}

}  // namespace

class ScanReader::Snapshot {
public:
    explicit Snapshot(const ScanReader& reader) : reader_(reader) {
        if (reader_.reading_++ == 0) reader_.db_->execute("BEGIN");
    }
    ~Snapshot() {
        if (--reader_.reading_ > 0) return;
        try {
            reader_.db_->execute("COMMIT");
        } catch (const ResultsError&) {
            // A read transaction has nothing to lose.
        }
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

private:
    const ScanReader& reader_;
};

ScanReader::ScanReader(const std::string& path)
    : path_(path),
      db_(openResultsFile(path, ResultsAccess::Read, ResultsDatabase::kLockWait)),
      nodes_(std::make_unique<NodeReader>(*db_)) {}

ScanReader::~ScanReader() = default;

std::vector<StoredScan> ScanReader::scans(const std::optional<std::string>& driveKey) const {
    const Snapshot snapshot(*this);
    return readScans(*db_,
                     std::string("SELECT ") + kScanColumns + " FROM scans" +
                         (driveKey ? std::string(" WHERE ") + kOfDrive : std::string()) + " ORDER BY finished, id",
                     driveKey);
}

std::optional<StoredScan> ScanReader::latestScanAt(const std::string& driveName) const {
    const Snapshot snapshot(*this);
    std::vector<StoredScan> found = readScans(
        *db_, std::string("SELECT ") + kScanColumns + " FROM scans WHERE drive = ? ORDER BY finished DESC, id DESC LIMIT 1",
        driveName);
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

std::optional<StoredScan> ScanReader::scan(std::int64_t id) const {
    const Snapshot snapshot(*this);
    Statement select = db_->prepare((std::string("SELECT ") + kScanColumns + " FROM scans WHERE id = ?").c_str());
    select.bind(1, id);
    if (!select.step()) return std::nullopt;
    return scanFromRow(select);
}

std::vector<StoredScan> ScanReader::latestScans() const {
    const Snapshot snapshot(*this);
    std::map<std::string, StoredScan> latest;
    for (StoredScan& scan : scans()) latest[scan.driveKey] = std::move(scan);  // oldest first, so the newest stays
    std::vector<StoredScan> result;
    for (auto& [drive, scan] : latest) result.push_back(std::move(scan));
    return result;
}

std::optional<StoredScan> ScanReader::scanHolding(const std::string& path) const {
    const Snapshot snapshot(*this);
    std::optional<StoredScan> best;
    for (StoredScan& scan : latestScans()) {
        if (!partsBelow(scan.root, withoutTrailingSeparator(path))) continue;
        // Two filesystems scanned at one mount point in turn: the one there last.
        if (!best || scan.root.size() > best->root.size() ||
            (scan.root.size() == best->root.size() && scan.finished > best->finished)) {
            best = std::move(scan);
        }
    }
    return best;
}

StoredFolder ScanReader::folder(std::int64_t node) const {
    const Snapshot snapshot(*this);
    std::optional<NodeRow> row = nodes_->row(node);
    if (!row) throw ResultsError("the scans database " + path_ + " has lost folder " + std::to_string(node));
    return std::move(row->folder);
}

std::vector<StoredFolder> ScanReader::children(std::int64_t node) const {
    const Snapshot snapshot(*this);
    const std::optional<NodeRow> row = nodes_->row(node);
    if (!row) return {};
    std::vector<StoredFolder> result;
    for (NodeRow& child : nodes_->children(*row)) result.push_back(std::move(child.folder));
    std::sort(result.begin(), result.end(), largerFirst);
    return result;
}

std::vector<std::int64_t> ScanReader::childIds(std::int64_t node) const {
    const Snapshot snapshot(*this);
    const std::optional<NodeRow> row = nodes_->row(node);
    return row ? nodes_->childIds(*row) : std::vector<std::int64_t>();
}

std::vector<StoredFolder> ScanReader::childrenNotIn(std::int64_t node, std::int64_t other) const {
    const Snapshot snapshot(*this);
    const std::vector<std::int64_t> mine = childIds(node);
    const std::vector<std::int64_t> theirs = childIds(other);
    std::vector<std::int64_t> only;
    std::set_difference(mine.begin(), mine.end(), theirs.begin(), theirs.end(), std::back_inserter(only));
    std::vector<StoredFolder> result;
    for (const std::int64_t id : only) {
        if (std::optional<NodeRow> child = nodes_->row(id)) result.push_back(std::move(child->folder));
    }
    std::sort(result.begin(), result.end(), largerFirst);
    return result;
}

std::optional<ScanFolders> ScanReader::scanFolders(const StoredScan& scan, std::stop_token stop) const {
    const Snapshot snapshot(*this);
    return walkScan(*db_, scan, std::move(stop));
}

FolderMatches ScanReader::findFolders(const StoredScan& scan, const NameMatcher& matcher, std::size_t limit) const {
    return scanFolders(scan)->find(matcher, limit);
}

std::optional<StoredFolder> ScanReader::findFolder(const StoredScan& scan, const std::string& path) const {
    const Snapshot snapshot(*this);
    const auto parts = partsBelow(scan.root, fullPathIn(scan, path));
    if (!parts) return std::nullopt;
    StoredFolder current = folder(scan.top);
    for (const std::string& part : *parts) {
        bool found = false;
        for (StoredFolder& child : children(current.node)) {
            if (samePath(child.name, part)) {
                current = std::move(child);
                found = true;
                break;
            }
        }
        if (!found) return std::nullopt;
    }
    return current;
}

std::string FolderRanking::path(std::size_t index) const {
    std::vector<const std::string*> names;
    for (std::size_t at = index; at != kNone && entries[at].parent != kNone; at = entries[at].parent) {
        names.push_back(&entries[at].folder.name);
    }
    std::string path = start;
    for (auto it = names.rbegin(); it != names.rend(); ++it) appendChild(path, **it);
    return path;
}

FolderRanking ScanReader::largestFolders(const StoredScan& scan, const std::string& path, std::size_t count,
                                         std::optional<unsigned> depth) const {
    const Snapshot snapshot(*this);
    FolderRanking ranking;
    ranking.start = fullPathIn(scan, path);
    const std::optional<StoredFolder> start = findFolder(scan, path);
    if (!start || count == 0) return ranking;
    using Entry = FolderRanking::Entry;
    // Equal sizes come by path: siblings by name, others by their whole paths,
    // made only then.
    const auto pathOf = [&ranking](const Entry& candidate) {
        return candidate.parent == FolderRanking::kNone ? ranking.start
                                                         : childPath(ranking.path(candidate.parent), candidate.folder.name);
    };
    auto smaller = [&pathOf](const Entry& a, const Entry& b) {
        if (a.folder.allocated != b.folder.allocated) return a.folder.allocated < b.folder.allocated;
        if (a.parent == b.parent) return a.folder.name > b.folder.name;
        return pathOf(a) > pathOf(b);
    };
    // Best first: no folder is larger than the one that holds it, so the
    // largest not yet taken is always among the children of those taken.
    std::priority_queue<Entry, std::vector<Entry>, decltype(smaller)> candidates(smaller);
    candidates.push({FolderRanking::kNone, 0, *start, 0});
    while (!candidates.empty() && ranking.entries.size() < count) {
        Entry taken = candidates.top();
        candidates.pop();
        // A scan's folders are no deeper than it has folders: deeper, a folder holds itself.
        if (taken.depth > scan.folders) failHoldsItself(taken.folder.node);
        // Taken first: its children's paths go through it.
        const std::size_t index = ranking.entries.size();
        ranking.entries.push_back(std::move(taken));
        const Entry& parent = ranking.entries.back();
        if (!depth || parent.depth < *depth) {
            const unsigned childDepth = parent.depth + 1;
            const std::uint64_t parentAllocated = parent.folder.allocated;
            for (StoredFolder& child : children(parent.folder.node)) {
                candidates.push({index, childDepth, std::move(child), parentAllocated});
            }
        }
    }
    return ranking;
}

std::vector<StoredFile> ScanReader::largestFiles(const StoredScan& scan, const std::string& path,
                                                 std::size_t count) const {
    const Snapshot snapshot(*this);
    const std::string under = fullPathIn(scan, path);
    Statement select = db_->prepare(
        "SELECT folder, name, allocated, apparent, modified FROM files WHERE scan = ?"
        " ORDER BY allocated DESC, apparent DESC, folder, name");
    select.bind(1, scan.id);
    std::vector<StoredFile> result;
    while (result.size() < count && select.step()) {
        StoredFile file{select.data(0), select.data(1), select.count(2), select.count(3), select.integer(4)};
        if (!partsBelow(under, file.folder)) continue;
        result.push_back(std::move(file));
    }
    return result;
}

void ScanReader::failHoldsItself(std::int64_t node) const {
    throw ResultsError("the scans database " + path_ + " is damaged: folder " + std::to_string(node) +
                       " holds itself");
}

std::vector<FolderChange> ScanReader::changes(const StoredScan& from, const StoredScan& to, const std::string& path,
                                              std::size_t count, Changed which) const {
    const Snapshot snapshot(*this);
    const std::string startPath = fullPathIn(to, path);
    // The drive may have been mounted elsewhere then: the same folder below its root.
    const std::optional<std::vector<std::string>> below = partsBelow(to.root, startPath);
    if (!below) return {};
    std::string thenPath = from.root;
    for (const std::string& part : *below) thenPath = childPath(thenPath, part);
    const std::optional<StoredFolder> before = findFolder(from, thenPath);
    const std::optional<StoredFolder> after = findFolder(to, startPath);
    std::vector<FolderChange> result;
    if (!before && !after) return result;
    if (!before || !after) {
        result.push_back({startPath, before ? FolderChange::Kind::Gone : FolderChange::Kind::New,
                          before.value_or(StoredFolder{}), after.value_or(StoredFolder{})});
        return result;
    }
    // Paths are kept as links to the folder above, made whole only for the
    // changes reported: a deep chain of changed folders costs its length.
    struct Place {
        std::size_t parent;
        std::string name;
        unsigned depth;
    };
    constexpr std::size_t kStart = static_cast<std::size_t>(-1);
    std::vector<Place> places;
    const auto pathOf = [&](std::size_t place) {
        std::vector<const std::string*> names;
        for (std::size_t at = place; at != kStart; at = places[at].parent) names.push_back(&places[at].name);
        std::string full = startPath;
        for (auto it = names.rbegin(); it != names.rend(); ++it) appendChild(full, **it);
        return full;
    };
    const auto placeBelow = [&](std::size_t parent, const std::string& name) {
        const unsigned depth = parent == kStart ? 1 : places[parent].depth + 1;
        places.push_back({parent, name, depth});
        return places.size() - 1;
    };
    struct Found {
        std::size_t place;
        FolderChange::Kind kind;
        StoredFolder before, after;
        std::int64_t grown() const {
            return static_cast<std::int64_t>(after.allocated) - static_cast<std::int64_t>(before.allocated);
        }
    };
    struct Pair {
        std::size_t place;
        StoredFolder before, after;
    };
    std::vector<Found> found;
    std::vector<Pair> pending{{kStart, *before, *after}};
    const std::uint64_t deepest = std::max(from.folders, to.folders);
    while (!pending.empty()) {
        Pair pair = std::move(pending.back());
        pending.pop_back();
        if (pair.before.node == pair.after.node) continue;  // shared: nothing below differs
        if (pair.place != kStart && places[pair.place].depth > deepest) failHoldsItself(pair.after.node);
        // Its node differs, so its content does.
        if (which == Changed::InAnyWay || pair.before.allocated != pair.after.allocated) {
            found.push_back({pair.place, FolderChange::Kind::Changed, pair.before, pair.after});
        }
        // Sub-folders that both lists hold are shared subtrees: never read.
        const std::vector<std::int64_t> beforeIds = nodes_->childIds(*nodes_->row(pair.before.node));
        const std::vector<std::int64_t> afterIds = nodes_->childIds(*nodes_->row(pair.after.node));
        std::vector<std::int64_t> onlyBefore, onlyAfter;
        std::set_difference(beforeIds.begin(), beforeIds.end(), afterIds.begin(), afterIds.end(),
                            std::back_inserter(onlyBefore));
        std::set_difference(afterIds.begin(), afterIds.end(), beforeIds.begin(), beforeIds.end(),
                            std::back_inserter(onlyAfter));
        std::map<std::string, StoredFolder> earlier;
        for (const std::int64_t id : onlyBefore) {
            StoredFolder child = folder(id);
            const std::string childName = child.name;
            earlier.emplace(childName, std::move(child));
        }
        for (const std::int64_t id : onlyAfter) {
            StoredFolder child = folder(id);
            const std::size_t place = placeBelow(pair.place, child.name);
            const auto match = earlier.find(child.name);
            if (match == earlier.end()) {
                found.push_back({place, FolderChange::Kind::New, {}, std::move(child)});
            } else {
                pending.push_back({place, std::move(match->second), std::move(child)});
                earlier.erase(match);
            }
        }
        for (auto& [name, child] : earlier) {
            found.push_back({placeBelow(pair.place, name), FolderChange::Kind::Gone, std::move(child), {}});
        }
    }
    // Equal changes come in the tree's order: a folder before those below it,
    // sisters by name. Each place's rank in that order is counted once.
    std::vector<std::vector<std::size_t>> placesBelow(places.size() + 1);  // the last: the start
    for (std::size_t i = 0; i < places.size(); ++i) {
        placesBelow[places[i].parent == kStart ? places.size() : places[i].parent].push_back(i);
    }
    std::vector<std::size_t> rank(places.size() + 1, 0);
    std::size_t next = 0;
    for (std::vector<std::size_t> stack{places.size()}; !stack.empty();) {
        const std::size_t at = stack.back();
        stack.pop_back();
        rank[at] = next++;
        std::vector<std::size_t>& kids = placesBelow[at];
        std::sort(kids.begin(), kids.end(),
                  [&](std::size_t a, std::size_t b) { return places[a].name > places[b].name; });
        stack.insert(stack.end(), kids.begin(), kids.end());
    }
    const auto rankOf = [&](std::size_t place) { return rank[place == kStart ? places.size() : place]; };
    const auto magnitude = [](const Found& item) { return item.grown() < 0 ? -item.grown() : item.grown(); };
    const std::size_t kept = std::min(count, found.size());
    std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(kept), found.end(),
                      [&](const Found& a, const Found& b) {
                          return magnitude(a) != magnitude(b) ? magnitude(a) > magnitude(b)
                                                              : rankOf(a.place) < rankOf(b.place);
                      });
    for (std::size_t i = 0; i < kept; ++i) {
        result.push_back({pathOf(found[i].place), found[i].kind, std::move(found[i].before), std::move(found[i].after)});
    }
    return result;
}

}  // namespace corvath
