// corvath-report: where the space went, from the stored scans.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "buffered_output.h"
#include "export_file.h"
#ifdef _WIN32
#include "platform/windows/user_folders.h"
#else
#include "platform/linux/user_folders.h"
#endif
#include "prometheus_metrics.h"
#include "html_report_command.h"
#include "report_browser.h"
#include "stored_ncdu_export.h"
#include "report_arguments.h"
#include "report_commands.h"
#include "report_table.h"
#include "standard_output_bytes.h"
#include "results/results_database.h"
#include "results/results_error.h"
#include "results/scan_reader.h"
#include "text/database_option.h"
#include "text/paths.h"
#include "text/program_version.h"
#include "text/standard_options.h"

namespace {

using namespace corvath;

StoredScan scanToExport(const ReportArguments& arguments, const ScanReader& reader) {
    if (arguments.scan) {
        if (auto scan = reader.scan(*arguments.scan)) return *scan;
        throw ArgumentError("there is no scan " + std::to_string(*arguments.scan) + " (see corvath-report scans)");
    }
    const std::vector<StoredScan> latest = reader.latestScans();
    if (latest.empty()) throw ArgumentError("the scans database holds no scan yet");
    if (latest.size() > 1) throw ArgumentError("several drives have scans: choose one with --scan ID (see corvath-report scans)");
    return latest.front();
}

// A PATH is read as du reads one: relative to the current folder.
ReportArguments withAbsolutePath(ReportArguments arguments) {
    using Command = ReportArguments::Command;
    const bool takesPath = arguments.command == Command::Top || arguments.command == Command::Files ||
                           arguments.command == Command::Diff;
    if (takesPath && arguments.target && !arguments.target->empty() && !isAbsolutePath(*arguments.target)) {
        arguments.target = std::filesystem::absolute(*arguments.target).lexically_normal().string();
    }
    return arguments;
}

int run(const ReportArguments& arguments) {
    const std::string database = chosenDatabase(arguments.database, defaultResultsDatabasePath());
    switch (arguments.command) {
        case ReportArguments::Command::Help:
            std::cout << reportUsage(kResultsDatabaseText);
            return 0;
        case ReportArguments::Command::Prune: {
            { const ScanReader check(database); }  // refuses what is not ours before anything is written
            const std::size_t removed = ResultsDatabase(database).prune();
            if (arguments.json) {
                std::cout << "{\"removed\": " << removed << "}\n";
            } else {
                std::cout << "removed " << removed << (removed == 1 ? " scan" : " scans") << '\n';
            }
            return 0;
        }
        case ReportArguments::Command::Export: {
            const ScanReader reader(database);
            const StoredScan scan = scanToExport(arguments, reader);
            ExportFile file(*arguments.target);
            BufferedOutput out(file.fd(), file.name());
            writeStoredNcduExport(out, reader, scan, std::string(kProgramVersion));
            file.commit();
            return 0;
        }
        case ReportArguments::Command::Metrics: {
            const ScanReader reader(database);
            MetricsOptions options;
            options.top = arguments.top.value_or(options.top);
            options.depth = arguments.depth.value_or(options.depth);
            options.redactHome = arguments.redactHome;
            // Read in full before the file is touched: a failure leaves the last one in place.
            const std::string text = prometheusMetrics(reader, options, kProgramVersion);
            ExportFile file(arguments.target.value_or("-"));
            BufferedOutput out(file.fd(), file.name());
            out.write(text);
            out.flush();
            file.commit();
            return 0;
        }
        case ReportArguments::Command::Html: {
            const ScanReader reader(database);
            if (!arguments.open) {
                writeHtmlReportFile(arguments, reader, arguments.target.value_or("-"));
                return 0;
            }
            // The user's data folder, beside the default scans database.
            const std::filesystem::path page = defaultResultsDatabasePath().parent_path() / "report.html";
            std::filesystem::create_directories(page.parent_path());
            writeHtmlReportFile(arguments, reader, page.string());
            std::cout << page.string() << '\n';
            openInBrowser(page.string());
            return 0;
        }
        default: {
            const ScanReader reader(database);
            if (arguments.csv) keepStandardOutputBytes();
            runReportCommand(arguments, reader, std::cout);
            return 0;
        }
    }
}

// A report cut short by a full disk or a closed pipe must not pass for a whole
// one: a write or flush of standard output that failed is an error, as it is
// for coreutils.
void checkStandardOutput() {
    errno = 0;
    std::cout.flush();
    const bool failed = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout);
    if (failed) {
        throw std::runtime_error(std::string("cannot write the report to standard output: ") +
                                 std::strerror(errno != 0 ? errno : EIO));
    }
}

}  // namespace

int main(int argc, char** argv) {
    int status = 1;
    try {
        if (!answerStandardOption(argc, argv, "corvath-report", reportUsage(kResultsDatabaseText), std::cout, status,
                                  StandardOptionPlace::Anywhere)) {
            status = run(withAbsolutePath(parseReportArguments(std::vector<std::string>(argv + 1, argv + argc))));
        }
        checkStandardOutput();
    } catch (const std::exception& error) {
        std::cout.flush();
        // The line may echo what the user typed, or a name from the database.
        std::cerr << "corvath-report: " << shownName(error.what(), false) << '\n';
        return 1;
    }
    return status;
}
