#include "html_report_data.h"

#include <queue>

#include "report_table.h"
#include "text/paths.h"

namespace corvath {

namespace {

using nlohmann::json;

std::int64_t epochSeconds(std::chrono::system_clock::time_point when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

json scanSummary(const StoredScan& scan) {
    json summary{{"id", scan.id},          {"drive", jsonText(scan.drive)}, {"finished", epochSeconds(scan.finished)},
                 {"allocated", scan.allocated}, {"files", scan.files},      {"folders", scan.folders},
                 {"errors", scan.errors},  {"excludes", json::array()}};
    summary["used"] = scan.driveUsed ? json(*scan.driveUsed) : json();
    for (const std::string& pattern : scan.excludes) summary["excludes"].push_back(jsonText(pattern));
    return summary;
}

// The cut tree, best first: the largest folder not yet shown is taken next, so
// the folders shown are the largest ones above the threshold, each with every
// folder above it. Each row: parent index (-1 for the root), name, allocated,
// files, folders (itself included, as every view counts them), flags, own bytes
// (its entry and files), cut folders, cut bytes.
json cutTree(const ScanReader& reader, const StoredScan& scan, const HtmlReportLimits& limits) {
    const std::uint64_t threshold = scan.allocated / 1000 * limits.perMille;
    struct Candidate {
        StoredFolder folder;
        std::int64_t parent;
        bool operator<(const Candidate& other) const { return folder.allocated < other.folder.allocated; }
    };
    std::priority_queue<Candidate> waiting;
    waiting.push({reader.folder(scan.top), -1});
    json rows = json::array();
    std::vector<std::uint64_t> cutBytes;
    std::vector<std::uint64_t> cutCount;
    std::size_t names = 0;
    while (!waiting.empty()) {
        Candidate next = waiting.top();
        waiting.pop();
        const bool fits = rows.size() < limits.folders && names + next.folder.name.size() <= limits.nameBytes;
        if (!fits) {
            // The parent shows it as part of what was cut below it.
            cutBytes[static_cast<std::size_t>(next.parent)] += next.folder.allocated;
            ++cutCount[static_cast<std::size_t>(next.parent)];
            continue;
        }
        const auto index = static_cast<std::int64_t>(rows.size());
        names += next.folder.name.size();
        std::uint64_t own = next.folder.allocated;
        std::uint64_t cut = 0, cutFolders = 0;
        if (next.folder.children != 0) {
            for (StoredFolder& child : reader.children(next.folder.node)) {
                own = own > child.allocated ? own - child.allocated : 0;
                if (child.allocated >= threshold) {
                    waiting.push({std::move(child), index});
                } else {
                    cut += child.allocated;
                    ++cutFolders;
                }
            }
        }
        rows.push_back(json::array({next.parent, jsonText(index == 0 ? scan.root : next.folder.name),
                                    next.folder.allocated, next.folder.files, foldersCounted(next.folder), next.folder.flags,
                                    own}));
        cutBytes.push_back(cut);
        cutCount.push_back(cutFolders);
        if (rows.size() > scan.folders + 1) reader.failHoldsItself(next.folder.node);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].push_back(cutCount[i]);
        rows[i].push_back(cutBytes[i]);
    }
    return rows;
}

const char* changeKind(FolderChange::Kind kind) {
    switch (kind) {
        case FolderChange::Kind::New: return "new";
        case FolderChange::Kind::Gone: return "gone";
        default: return "changed";
    }
}

}  // namespace

json htmlReportData(const ScanReader& reader, const StoredScan& scan, const std::optional<StoredScan>& earlier,
                    const HtmlReportLimits& limits) {
    json data{{"scan", scanSummary(scan)},
              {"separator", std::string(1, kPathSeparator)},
              {"rule", {{"perMille", limits.perMille}, {"folders", limits.folders}}}};
    data["tree"] = cutTree(reader, scan, limits);
    json files = json::array();
    for (const StoredFile& file : reader.largestFiles(scan, "", limits.files)) {
        files.push_back({jsonText(file.path()), file.allocated, file.apparent, file.modified});
    }
    data["files"] = std::move(files);
    json history = json::array();
    for (const StoredScan& each : reader.scans(scan.driveKey)) history.push_back(scanSummary(each));
    data["history"] = std::move(history);
    json others = json::array();
    for (const StoredScan& latest : reader.latestScans()) {
        if (latest.driveKey != scan.driveKey) others.push_back(scanSummary(latest));
    }
    data["otherDrives"] = std::move(others);
    if (earlier) {
        json changes = json::array();
        for (const FolderChange& change : reader.changes(*earlier, scan, "", limits.changes)) {
            changes.push_back({jsonText(change.path), changeKind(change.kind), change.before.allocated,
                               change.after.allocated});
        }
        data["compare"] = {{"from", scanSummary(*earlier)},
                           {"excludesDiffer", excludesDiffer(*earlier, scan)},
                           {"changes", std::move(changes)}};
    }
    return data;
}

}  // namespace corvath
