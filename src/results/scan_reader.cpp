#include "results/scan_reader.h"

#include <algorithm>
#include <map>
#include <queue>

#include "results/node_rows.h"
#include "results/results_database.h"
#include "results/results_error.h"
#include "results/results_file.h"
#include "results/scan_rows.h"
#include "text/path_separator.h"

namespace corvath {

namespace {

bool largerFirst(const StoredFolder& a, const StoredFolder& b) {
    return a.allocated != b.allocated ? a.allocated > b.allocated : a.name < b.name;
}

// The parts of path below root, or nullopt when root does not hold path.
std::optional<std::vector<std::string>> partsBelow(const std::string& root, const std::string& path) {
    std::string rest;
    const bool underRoot = path.size() >= root.size() && samePath(std::string_view(path).substr(0, root.size()), root);
    if (samePath(path, root)) {
        rest = "";
    } else if (endsWithSeparator(root)) {
        if (!underRoot) return std::nullopt;
        rest = path.substr(root.size());
    } else if (underRoot && path.size() > root.size() && isPathSeparator(path[root.size()])) {
        rest = path.substr(root.size() + 1);
    } else {
        return std::nullopt;
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !isPathSeparator(rest[end])) ++end;
        if (end > start) parts.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string withoutTrailingSlash(std::string path) {
    while (endsWithSeparator(path) && !isRootPath(path)) path.pop_back();
    return path;
}

// A path as the user gives it: full, or relative to the scan's root; "" is the root.
std::string fullPathIn(const StoredScan& scan, const std::string& path) {
    if (path.empty()) return scan.root;
    if (!isAbsolutePath(path)) return withoutTrailingSlash(childPath(scan.root, path));
    return withoutTrailingSlash(path);
}

}  // namespace

std::string childPath(const std::string& parent, const std::string& name) {
    return parent.empty() || endsWithSeparator(parent) ? parent + name : parent + kPathSeparator + name;
}

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
        if (!partsBelow(scan.root, withoutTrailingSlash(path))) continue;
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

std::vector<RankedFolder> ScanReader::largestFolders(const StoredScan& scan, const std::string& path,
                                                     std::size_t count, std::optional<unsigned> depth) const {
    const Snapshot snapshot(*this);
    const std::optional<StoredFolder> start = findFolder(scan, path);
    if (!start || count == 0) return {};
    // Best first: no folder is larger than the one that holds it, so the
    // largest not yet taken is always among the children of those taken.
    auto smaller = [](const RankedFolder& a, const RankedFolder& b) {
        return a.folder.allocated != b.folder.allocated ? a.folder.allocated < b.folder.allocated
                                                        : a.path > b.path;
    };
    std::priority_queue<RankedFolder, std::vector<RankedFolder>, decltype(smaller)> candidates(smaller);
    candidates.push({fullPathIn(scan, path), 0, *start, 0});
    std::vector<RankedFolder> result;
    while (!candidates.empty() && result.size() < count) {
        RankedFolder taken = candidates.top();
        candidates.pop();
        if (!depth || taken.depth < *depth) {
            for (StoredFolder& child : children(taken.folder.node)) {
                const std::string childName = child.name;
                candidates.push(
                    {childPath(taken.path, childName), taken.depth + 1, std::move(child), taken.folder.allocated});
            }
        }
        result.push_back(std::move(taken));
    }
    return result;
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
        StoredFile file{select.bytes(0), select.bytes(1), select.count(2), select.count(3), select.integer(4)};
        if (!partsBelow(under, file.folder)) continue;
        result.push_back(std::move(file));
    }
    return result;
}

std::vector<FolderChange> ScanReader::changes(const StoredScan& from, const StoredScan& to, const std::string& path,
                                              std::size_t count) const {
    const Snapshot snapshot(*this);
    const std::string startPath = fullPathIn(to, path);
    // The drive may have been mounted elsewhere then: the same folder below its root.
    const std::optional<std::vector<std::string>> below = partsBelow(to.root, startPath);
    if (!below) return {};
    std::string thenPath = from.root;
    for (const std::string& part : *below) thenPath = childPath(thenPath, part);
    const std::optional<StoredFolder> before = findFolder(from, thenPath);
    const std::optional<StoredFolder> after = findFolder(to, startPath);
    std::vector<FolderChange> found;
    if (!before && !after) return found;
    if (!before || !after) {
        found.push_back({startPath, before ? FolderChange::Kind::Gone : FolderChange::Kind::New,
                         before.value_or(StoredFolder{}), after.value_or(StoredFolder{})});
        return found;
    }
    struct Pair {
        std::string path;
        StoredFolder before, after;
    };
    std::vector<Pair> pending{{startPath, *before, *after}};
    while (!pending.empty()) {
        Pair pair = std::move(pending.back());
        pending.pop_back();
        if (pair.before.node == pair.after.node) continue;  // shared: nothing below differs
        if (pair.before.allocated != pair.after.allocated) {
            found.push_back({pair.path, FolderChange::Kind::Changed, pair.before, pair.after});
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
            const std::string childName = child.name;
            const auto match = earlier.find(childName);
            if (match == earlier.end()) {
                found.push_back({childPath(pair.path, childName), FolderChange::Kind::New, {}, std::move(child)});
            } else {
                pending.push_back({childPath(pair.path, childName), std::move(match->second), std::move(child)});
                earlier.erase(match);
            }
        }
        for (auto& [name, child] : earlier) {
            found.push_back({childPath(pair.path, name), FolderChange::Kind::Gone, std::move(child), {}});
        }
    }
    std::sort(found.begin(), found.end(), [](const FolderChange& a, const FolderChange& b) {
        const std::int64_t sizeA = a.grown() < 0 ? -a.grown() : a.grown();
        const std::int64_t sizeB = b.grown() < 0 ? -b.grown() : b.grown();
        return sizeA != sizeB ? sizeA > sizeB : a.path < b.path;
    });
    if (found.size() > count) found.resize(count);
    return found;
}

}  // namespace corvath
