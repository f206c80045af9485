#include "html_report_command.h"

#include "export_file.h"
#include "html_report_data.h"
#include "html_report_page.h"
#include "report_table.h"

namespace corvath {

namespace {

StoredScan scanById(const ScanReader& reader, std::int64_t id) {
    if (std::optional<StoredScan> scan = reader.scan(id)) return *scan;
    throw ArgumentError("there is no scan " + std::to_string(id) + " (see corvath-report scans)");
}

// As the results window opens: on the drive scanned last. The page names the
// other drives' latest scans, to be shown with --scan.
StoredScan scanToShow(const ReportArguments& arguments, const ScanReader& reader) {
    if (arguments.scan) return scanById(reader, *arguments.scan);
    const std::vector<StoredScan> latest = reader.latestScans();
    if (latest.empty()) throw ArgumentError("the scans database holds no scan yet");
    const StoredScan* last = &latest.front();
    for (const StoredScan& scan : latest) {
        if (scan.finished > last->finished || (scan.finished == last->finished && scan.id > last->id)) last = &scan;
    }
    return *last;
}

}  // namespace

void writeHtmlReportFile(const ReportArguments& arguments, const ScanReader& reader, const std::string& file) {
    const StoredScan scan = scanToShow(arguments, reader);
    std::optional<StoredScan> earlier;
    if (arguments.compare) {
        earlier = scanById(reader, *arguments.compare);
        if (earlier->driveKey != scan.driveKey) {
            throw ArgumentError("scans " + std::to_string(earlier->id) + " and " + std::to_string(scan.id) +
                                " are of different drives");
        }
    }
    const nlohmann::json data = htmlReportData(reader, scan, earlier);
    ExportFile out(file);
    BufferedOutput buffered(out.fd(), out.name());
    writeHtmlReport(buffered, data);
    out.commit();
}

}  // namespace corvath
