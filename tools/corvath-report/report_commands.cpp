#include "report_commands.h"

#include <cstdio>
#include <ctime>
#include <functional>
#include <iomanip>
#include <map>
#include <set>
#include <sstream>

#include "csv_text.h"
#include "engine/largest_files.h"
#include "report_table.h"
#include "text/paths.h"
#include "text/size_text.h"

namespace corvath {

namespace {

using Cell = ReportTable::Cell;
using Kind = ReportTable::Column::Kind;
using nlohmann::json;

std::string localTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
    ::localtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &parts);
    return text;
}

std::int64_t epochSeconds(std::chrono::system_clock::time_point when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

std::string durationText(std::chrono::system_clock::duration duration) {
    const double seconds = std::chrono::duration<double>(duration).count();
    char text[32];
    if (seconds < 60) {
        std::snprintf(text, sizeof text, "%.1f s", seconds);
    } else {
        const auto whole = static_cast<long long>(seconds);
        std::snprintf(text, sizeof text, "%lld min %02lld s", whole / 60, whole % 60);
    }
    return text;
}

class Report {
public:
    Report(const ReportArguments& arguments, const ScanReader& reader, std::ostream& out, std::ostream& warnings)
        : args_(arguments), reader_(reader), out_(out), warnings_(warnings), rows_(out), csv_(out) {}

    void run() {
        using Command = ReportArguments::Command;
        switch (args_.command) {
            case Command::Scans: return listScans(false);
            case Command::History: return listScans(true);
            case Command::Top: return top();
            case Command::Files: return files();
            case Command::Diff: return diff();
            default: throw ArgumentError("not a report command");
        }
    }

private:
    Cell size(std::uint64_t bytes) const {
        return {args_.bytes ? std::to_string(bytes) : sizeText(bytes), bytes};
    }
    Cell change(std::int64_t bytes) const {
        std::string text = args_.bytes ? (bytes > 0 ? "+" : "") + std::to_string(bytes) : sizeChangeText(bytes);
        return {std::move(text), bytes};
    }
    static Cell blank() { return {std::string(), json()}; }
    static Cell count(std::uint64_t value) { return {std::to_string(value), value}; }
    static Cell path(const std::string& raw) { return {shownName(raw), jsonText(raw), base64IfNotUtf8(raw)}; }
    // A drive's name among the fields JSON adds to each row.
    static void addName(json& fields, const char* key, const std::string& raw) {
        fields[key] = jsonText(raw);
        if (const std::string exact = base64IfNotUtf8(raw); !exact.empty()) fields[std::string(key) + "_base64"] = exact;
    }
    // A folder that could not be read in full counts only what could be read:
    // marked "!", as ncdu and gdu mark it.
    Cell unreadable(bool marked) {
        marked_ = marked_ || marked;
        return {marked ? "!" : "", marked};
    }
    static bool isUnreadable(const StoredFolder& folder) { return (folder.flags & StoredFolder::kUnreadable) != 0; }
    // A folder where another drive is mounted: not entered, so its size is not
    // the mounted drive's. Marked ">", as ncdu marks it. A folder left out by
    // an exclude pattern, not entered either, shows "-" in the same place
    // (in JSON, as "excluded" beside it).
    Cell otherFilesystem(bool marked, bool leftOut) {
        mounted_ = mounted_ || marked;
        excluded_ = excluded_ || (leftOut && !marked);
        return {marked ? ">" : leftOut ? "-" : "", marked};
    }
    static Cell excluded(bool leftOut) { return {"", leftOut}; }
    static bool isMountPoint(const StoredFolder& folder) { return (folder.flags & StoredFolder::kOtherFilesystem) != 0; }
    static bool isExcluded(const StoredFolder& folder) { return (folder.flags & StoredFolder::kExcluded) != 0; }
    static Cell usedBytes(const StoredScan& scan, const std::function<Cell(std::uint64_t)>& shown) {
        return scan.driveUsed ? shown(*scan.driveUsed) : Cell{"-", json()};
    }
    static std::string excludesText(const StoredScan& scan) {
        if (scan.excludes.empty()) return "none";
        std::string text;
        for (const std::string& pattern : scan.excludes) text += (text.empty() ? "" : " ") + shownName(pattern);
        return text;
    }
    // One line: growth between scans that left out different folders is not like for like.
    // With CSV it goes to standard error, so that standard output holds records only.
    void warnExcludesDiffer(const StoredScan& from, const StoredScan& to) {
        (args_.csv ? warnings_ : out_) << "warning: scan " << from.id << " ran with exclude patterns "
                                       << excludesText(from) << ", scan " << to.id << " with " << excludesText(to)
                                       << ": the change is not like for like\n";
    }
    static Cell share(std::uint64_t part, std::uint64_t whole) {
        if (whole == 0) return blank();
        const double percent = 100.0 * static_cast<double>(part) / static_cast<double>(whole);
        char text[16];
        std::snprintf(text, sizeof text, "%.1f %%", percent);
        return {text, std::round(percent * 10) / 10};
    }

    // One table per scan in text; one array of rows, each naming its scan, in JSON.
    void emit(const ReportTable& table, const StoredScan& scan, bool heading) {
        if (args_.json) {
            json fields{{"scan", scan.id}};
            addName(fields, "drive", scan.drive);
            table.writeJson(rows_, fields);
            return;
        }
        if (args_.csv) {
            table.writeCsv(csv_, {{{"", "scan"}, count(static_cast<std::uint64_t>(scan.id))},
                                  {{"", "drive", false, false, Kind::Name}, path(scan.drive)}});
            return;
        }
        if (heading) {
            if (printed_) out_ << '\n';
            out_ << shownName(scan.drive) << "  (scan " << scan.id << ", " << localTime(scan.finished) << ")\n";
        }
        table.print(out_);
        printed_ = true;
    }
    void finish() {
        if (args_.json) {
            rows_.finish();
            return;
        }
        if (args_.csv) return;  // the marks' meanings are the columns' names
        if (mounted_ || excluded_ || marked_) out_ << '\n';
        if (mounted_) out_ << "> another filesystem is mounted here: not entered, no size of its own\n";
        if (excluded_) out_ << "- left out by an exclude pattern: not entered, no size of its own\n";
        if (marked_) out_ << "! could not be read in full: its sizes count only what could be read\n";
    }

    // Every scan of the drive last scanned at that mount point, wherever it was mounted then.
    std::vector<StoredScan> scansOfDrive(const std::string& drive) const {
        // Named as stored, or by its root ("/home/", "C:\") or its name ("/home", "C:").
        for (const std::string& name : {drive, rootOfDriveName(drive), driveNameOfRoot(drive)}) {
            if (const std::optional<StoredScan> latest = reader_.latestScanAt(name)) return reader_.scans(latest->driveKey);
        }
        throw ArgumentError("no scans of drive " + shownName(drive) + " (see corvath-report scans)");
    }

    StoredScan scanById(std::int64_t id) const {
        std::optional<StoredScan> scan = reader_.scan(id);
        if (!scan) throw ArgumentError("there is no scan " + std::to_string(id) + " (see corvath-report scans)");
        return *scan;
    }

    // The scans a PATH-taking command reports on: --scan, the scan of the
    // drive that holds PATH, or each drive's latest.
    std::vector<StoredScan> scansFor() const {
        if (args_.scan) return {scanById(*args_.scan)};
        if (args_.target) {
            std::optional<StoredScan> scan = reader_.scanHolding(*args_.target);
            if (!scan) throw ArgumentError("no stored scan holds " + shownName(*args_.target));
            return {*scan};
        }
        std::vector<StoredScan> latest = reader_.latestScans();
        if (latest.empty()) throw ArgumentError("the scans database holds no scan yet");
        return latest;
    }

    std::string pathIn(const StoredScan& scan) const {
        const std::string path = args_.target.value_or("");
        if (!reader_.findFolder(scan, path)) {
            throw ArgumentError("scan " + std::to_string(scan.id) + " holds no folder " + shownName(path));
        }
        return path;
    }

    static std::vector<ReportTable::Column> historyColumns() {
        return {{"ID", "id", true}, {"FINISHED", "finished", false, false, Kind::Time}, {"USED", "used", true},
                {"COUNTED", "counted", true}, {"CHANGE", "change", true}, {"FILES", "files", true},
                {"FOLDERS", "folders", true}, {"ERRORS", "errors", true}, {"", "excludes", false, true},
                {"DRIVE", "drive", false, false, Kind::Name}};
    }
    static std::vector<ReportTable::Column> scanColumns() {
        // USED is the drive's as the system counts it, COUNTED what the scan
        // found: folders unreadable or left out make the gap.
        return {{"ID", "id", true},           {"DRIVE", "drive", false, false, Kind::Name},
                {"FINISHED", "finished", false, false, Kind::Time},
                {"USED", "used", true},       {"COUNTED", "counted", true}, {"FILES", "files", true},
                {"FOLDERS", "folders", true}, {"ERRORS", "errors", true},   {"", "excludes", false, true},
                {"DURATION", "seconds", true}};
    }

    void listScans(bool history) {
        std::vector<StoredScan> scans = args_.target ? scansOfDrive(*args_.target) : reader_.scans();
        ReportTable table(history ? historyColumns() : scanColumns());
        std::map<std::string, StoredScan> previous;
        std::vector<std::pair<StoredScan, StoredScan>> unlike;  // history: where a drive's excludes changed
        const auto sized = [this](std::uint64_t bytes) { return size(bytes); };
        for (const StoredScan& scan : scans) {
            const Cell finished{localTime(scan.finished), epochSeconds(scan.finished)};
            const Cell patterns{"", json(scan.excludes)};
            if (history) {
                const auto before = previous.find(scan.driveKey);
                Cell grown = blank();
                if (before != previous.end()) {
                    grown = change(static_cast<std::int64_t>(scan.allocated) -
                                   static_cast<std::int64_t>(before->second.allocated));
                    if (excludesDiffer(before->second, scan)) unlike.emplace_back(before->second, scan);
                }
                table.add({count(static_cast<std::uint64_t>(scan.id)), finished, usedBytes(scan, sized),
                           size(scan.allocated), grown, count(scan.files), count(scan.folders), count(scan.errors),
                           patterns, path(scan.drive)});
                previous[scan.driveKey] = scan;
            } else {
                const auto took = scan.finished - scan.started;
                Cell duration{durationText(took), std::chrono::duration<double>(took).count()};
                table.add({count(static_cast<std::uint64_t>(scan.id)), path(scan.drive), finished,
                           usedBytes(scan, sized), size(scan.allocated), count(scan.files), count(scan.folders),
                           count(scan.errors), patterns, std::move(duration)});
            }
        }
        if (args_.json) {
            table.writeJson(rows_);
        } else if (args_.csv) {
            table.writeCsv(csv_);
            for (const auto& [from, to] : unlike) warnExcludesDiffer(from, to);
        } else if (!table.empty()) {
            table.print(out_);
            if (!unlike.empty()) out_ << '\n';
            for (const auto& [from, to] : unlike) warnExcludesDiffer(from, to);
        }
        finish();
    }

    void top() {
        const std::vector<StoredScan> scans = scansFor();
        for (const StoredScan& scan : scans) {
            ReportTable table({{"SIZE", "allocated", true},
                               {"SHARE", "share", true},
                               {"FILES", "files", true},
                               {"FOLDERS", "folders", true},
                               {"", "other_filesystem"},
                               {"", "excluded", false, true},
                               {"", "unreadable"},
                               {"", "subvolume", false, true},
                               {"PATH", "path", false, false, Kind::Name}});
            const FolderRanking ranking = reader_.largestFolders(scan, pathIn(scan), args_.count, args_.depth);
            for (std::size_t i = 0; i < ranking.entries.size(); ++i) {
                const FolderRanking::Entry& ranked = ranking.entries[i];
                table.add({size(ranked.folder.allocated), share(ranked.folder.allocated, ranked.parentAllocated),
                           count(ranked.folder.files), count(foldersCounted(ranked.folder)),
                           otherFilesystem(isMountPoint(ranked.folder), isExcluded(ranked.folder)),
                           excluded(isExcluded(ranked.folder)), unreadable(isUnreadable(ranked.folder)),
                           {"", (ranked.folder.flags & StoredFolder::kSubvolume) != 0}},
                          [&ranking, i] { return path(ranking.path(i)); });
            }
            emit(table, scan, scans.size() > 1 || !args_.target);
        }
        finish();
    }

    void files() {
        const std::vector<StoredScan> scans = scansFor();
        // Each scan keeps its largest files only: more cannot be listed.
        if (args_.count > LargestFiles::kKept) {
            warnings_ << "warning: each scan keeps its " << LargestFiles::kKept << " largest files: at most "
                      << LargestFiles::kKept << " are listed, not " << args_.count << '\n';
        }
        for (const StoredScan& scan : scans) {
            ReportTable table({{"SIZE", "allocated", true},
                               {"APPARENT", "apparent", true},
                               {"MODIFIED", "modified", false, false, Kind::Time},
                               {"PATH", "path", false, false, Kind::Name}});
            const std::string where = pathIn(scan);
            const std::vector<StoredFile> largest = reader_.largestFiles(scan, where, args_.count);
            for (const StoredFile& file : largest) {
                const auto modified = std::chrono::system_clock::from_time_t(static_cast<std::time_t>(file.modified));
                table.add({size(file.allocated), size(file.apparent), {localTime(modified), file.modified},
                           path(file.path())});
            }
            if (largest.empty()) warnNoneKept(scan, where);
            emit(table, scan, scans.size() > 1 || !args_.target);
        }
        finish();
    }

    // A folder with files, none of them among the scan's largest, is not empty.
    void warnNoneKept(const StoredScan& scan, const std::string& where) {
        const std::optional<StoredFolder> folder = reader_.findFolder(scan, where);
        if (!folder || folder->files == 0) return;
        warnings_ << "warning: none of the " << folder->files << " files in " << shownName(where.empty() ? scan.root : where)
                  << " is among the " << LargestFiles::kKept << " largest files scan " << scan.id << " keeps\n";
    }

    // The scan to compare with: --from, the newest before --since, or the one
    // before to.
    StoredScan earlierScan(const StoredScan& to) const {
        if (args_.from) {
            StoredScan from = scanById(*args_.from);
            if (from.driveKey != to.driveKey) {
                throw ArgumentError("scans " + std::to_string(from.id) + " and " + std::to_string(to.id) +
                                    " are of different drives");
            }
            return from;
        }
        const std::vector<StoredScan> scans = reader_.scans(to.driveKey);
        std::optional<StoredScan> chosen;
        if (args_.since) {
            const auto since = *args_.since;
            for (const StoredScan& scan : scans) {
                if (scan.finished < since && scan.id != to.id) chosen = scan;
            }
            if (!chosen && !scans.empty() && scans.front().id != to.id) chosen = scans.front();
        } else {
            for (const StoredScan& scan : scans) {
                if (scan.finished < to.finished && scan.id != to.id) chosen = scan;
            }
        }
        if (!chosen) {
            throw ArgumentError("drive " + shownName(to.drive) + " has no earlier scan than " +
                                std::to_string(to.id) + " to compare with");
        }
        return *chosen;
    }

    void diff() {
        std::vector<StoredScan> targets;
        if (args_.scan || args_.target) {
            targets = scansFor();
        } else {
            // Every drive with something to compare.
            for (StoredScan& scan : reader_.latestScans()) {
                if (reader_.scans(scan.driveKey).size() > 1) targets.push_back(std::move(scan));
            }
            if (targets.empty()) throw ArgumentError("no drive has two scans to compare yet");
        }
        for (const StoredScan& to : targets) {
            const StoredScan from = earlierScan(to);
            ReportTable table({{"CHANGE", "change", true},
                               {"BEFORE", "before", true},
                               {"AFTER", "after", true},
                               {"", "status"},
                               {"", "other_filesystem"},
                               {"", "excluded", false, true},
                               {"", "unreadable"},
                               {"PATH", "path", false, false, Kind::Name}});
            for (const FolderChange& item : reader_.changes(from, to, args_.target.value_or(""), args_.count)) {
                const char* status = item.kind == FolderChange::Kind::New    ? "new"
                                     : item.kind == FolderChange::Kind::Gone ? "gone"
                                                                             : "";
                table.add({change(item.grown()), item.kind == FolderChange::Kind::New ? blank() : size(item.before.allocated),
                           item.kind == FolderChange::Kind::Gone ? blank() : size(item.after.allocated),
                           {status, status[0] != '\0' ? json(status) : json("changed")},
                           otherFilesystem(isMountPoint(item.before) || isMountPoint(item.after),
                                           isExcluded(item.before) || isExcluded(item.after)),
                           excluded(isExcluded(item.before) || isExcluded(item.after)),
                           unreadable(isUnreadable(item.before) || isUnreadable(item.after)), path(item.path)});
            }
            if (args_.json) {
                json fields{{"from", from.id}, {"to", to.id}, {"excludes_differ", excludesDiffer(from, to)}};
                addName(fields, "drive", to.drive);
                table.writeJson(rows_, fields);
                continue;
            }
            if (args_.csv) {
                if (excludesDiffer(from, to)) warnExcludesDiffer(from, to);
                table.writeCsv(csv_, {{{"", "from"}, count(static_cast<std::uint64_t>(from.id))},
                                      {{"", "to"}, count(static_cast<std::uint64_t>(to.id))},
                                      {{"", "excludes_differ"}, {"", excludesDiffer(from, to)}},
                                      {{"", "drive", false, false, Kind::Name}, path(to.drive)}});
                continue;
            }
            if (printed_) out_ << '\n';
            out_ << shownName(to.drive) << "  from scan " << from.id << " (" << localTime(from.finished)
                 << ") to scan " << to.id << " (" << localTime(to.finished) << ")\n";
            if (excludesDiffer(from, to)) warnExcludesDiffer(from, to);
            if (table.empty()) {
                out_ << "no folder changed\n";
            } else {
                table.print(out_);
            }
            printed_ = true;
        }
        finish();
    }

    const ReportArguments& args_;
    const ScanReader& reader_;
    std::ostream& out_;
    std::ostream& warnings_;
    JsonRows rows_;
    CsvRows csv_;
    bool printed_ = false;
    bool marked_ = false;  // a folder was marked unreadable
    bool mounted_ = false;  // a folder was marked as another filesystem
    bool excluded_ = false;  // a folder was marked as left out
};

}  // namespace

void runReportCommand(const ReportArguments& arguments, const ScanReader& reader, std::ostream& out,
                      std::ostream& warnings) {
    Report(arguments, reader, out, warnings).run();
}

}  // namespace corvath
