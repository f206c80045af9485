#include "prometheus_metrics.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "home_redaction.h"
#include "report_table.h"
#include "text/paths.h"

namespace corvath {

namespace {

struct Drive {
    StoredScan scan;
    std::string mountPoint;  // the label: "/", "/home", "C:"
};

// One scan per mount point label, the newest: two drives that were mounted at
// the same place in turn would otherwise make two series with one name.
std::vector<Drive> latestDrives(const ScanReader& reader, const MetricsOptions& options) {
    std::map<std::string, StoredScan> newest;
    for (StoredScan& scan : reader.latestScans()) {
        std::string mountPoint = driveNameOfRoot(scan.drive);
        if (options.redactHome) mountPoint = redactedHomePath(mountPoint, mountPoint);
        const auto found = newest.find(mountPoint);
        if (found == newest.end() || found->second.finished < scan.finished) newest[mountPoint] = std::move(scan);
    }
    std::vector<Drive> drives;
    for (auto& [mountPoint, scan] : newest) drives.push_back({std::move(scan), mountPoint});
    return drives;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string seconds(std::chrono::system_clock::duration duration) {
    return number(std::chrono::duration<double>(duration).count());
}

class Exposition {
public:
    // Every series of a metric follows its HELP and TYPE lines, as the format requires.
    void metric(const char* name, const char* help) {
        text_ += std::string("# HELP ") + name + ' ' + help + "\n# TYPE " + name + " gauge\n";
        name_ = name;
    }
    void series(const std::vector<std::pair<const char*, std::string>>& labels, const std::string& value) {
        text_ += name_;
        if (!labels.empty()) {
            char separator = '{';
            for (const auto& [label, raw] : labels) {
                text_ += separator;
                text_ += std::string(label) + "=\"" + prometheusLabelValue(raw) + '"';
                separator = ',';
            }
            text_ += '}';
        }
        text_ += ' ' + value + '\n';
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
    std::string name_;
};

void driveMetric(Exposition& out, const std::vector<Drive>& drives, const char* name, const char* help,
                 const std::function<std::optional<std::string>(const StoredScan&)>& value) {
    out.metric(name, help);
    for (const Drive& drive : drives) {
        if (const std::optional<std::string> shown = value(drive.scan)) out.series({{"mountpoint", drive.mountPoint}}, *shown);
    }
}

void folderMetric(Exposition& out, const ScanReader& reader, const std::vector<Drive>& drives,
                  const MetricsOptions& options) {
    out.metric("corvath_directory_allocated_bytes",
               "Bytes allocated to a folder and everything below it, for the largest folders of each drive's "
               "latest scan (depth 0 is the drive's root).");
    for (const Drive& drive : drives) {
        const FolderRanking ranking = reader.largestFolders(drive.scan, "", options.top, options.depth);
        // A name made valid UTF-8, or a pseudonym, may meet another: the first, larger, is kept.
        std::set<std::string> written;
        for (std::size_t i = 0; i < ranking.entries.size(); ++i) {
            std::string path = ranking.path(i);
            if (options.redactHome) path = redactedHomePath(path, drive.mountPoint);
            if (!written.insert(prometheusLabelValue(path)).second) continue;
            const FolderRanking::Entry& entry = ranking.entries[i];
            out.series({{"mountpoint", drive.mountPoint}, {"path", path}, {"depth", std::to_string(entry.depth)}},
                       std::to_string(entry.folder.allocated));
        }
    }
}

}  // namespace

std::string prometheusLabelValue(const std::string& raw) {
    const std::string text = jsonText(raw).get<std::string>();
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '"') {
            escaped += "\\\"";
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string prometheusMetrics(const ScanReader& reader, const MetricsOptions& options, const std::string& version) {
    const std::vector<Drive> drives = latestDrives(reader, options);
    Exposition out;
    const auto whole = [](std::uint64_t value) { return std::optional<std::string>(std::to_string(value)); };
    driveMetric(out, drives, "corvath_drive_allocated_bytes", "Bytes allocated to the files and folders the latest scan counted.",
                [&](const StoredScan& scan) { return whole(scan.allocated); });
    driveMetric(out, drives, "corvath_drive_used_bytes", "The drive's used bytes as the system counted them at the latest scan.",
                [](const StoredScan& scan) {
                    return scan.driveUsed ? std::optional<std::string>(std::to_string(*scan.driveUsed)) : std::nullopt;
                });
    driveMetric(out, drives, "corvath_drive_files", "Files the latest scan counted.",
                [&](const StoredScan& scan) { return whole(scan.files); });
    driveMetric(out, drives, "corvath_drive_folders", "Folders the latest scan counted, the root included.",
                [&](const StoredScan& scan) { return whole(scan.folders); });
    driveMetric(out, drives, "corvath_drive_unreadable_folders", "Folders the latest scan could not read in full.",
                [&](const StoredScan& scan) { return whole(scan.errors); });
    driveMetric(out, drives, "corvath_scan_duration_seconds", "How long the latest scan took.",
                [](const StoredScan& scan) { return std::optional<std::string>(seconds(scan.finished - scan.started)); });
    driveMetric(out, drives, "corvath_scan_last_success_timestamp_seconds",
                "When the latest complete scan finished, in seconds since the epoch.",
                [](const StoredScan& scan) { return std::optional<std::string>(seconds(scan.finished.time_since_epoch())); });
    folderMetric(out, reader, drives, options);
    out.metric("corvath_build_info", "The version of Corvath Analyzer that wrote these metrics; always 1.");
    out.series({{"version", version}}, "1");
    return out.take();
}

}  // namespace corvath
