// corvath-scan [-j THREADS] [-o FILE] PATH: scans PATH on its filesystem and
// prints the totals, one "name: value" per line; -o also writes ncdu's export.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "buffered_output.h"
#include "cancel_signals.h"
#include "engine/engine_error.h"
#include "engine/folder_walk.h"
#include "engine/event_pump.h"
#include "entry_spill.h"
#include "export_file.h"
#include "ncdu_export.h"
#include "scan_arguments.h"
#include "scan_summary.h"
#include "text/program_version.h"
#include "text/standard_options.h"

namespace {

constexpr int kFailed = 1;
constexpr int kBadUse = 2;

constexpr const char* kHelp =
    "Usage: corvath-scan [-j THREADS] [-o FILE] PATH\n"
    "Scans PATH on its own filesystem with Corvath Analyzer's engine and prints\n"
    "the allocated and apparent bytes, files, folders, errors and seconds.\n"
    "\n"
    "  -j THREADS  scan with THREADS threads, 1 to 256 (default 8)\n"
    "  -o FILE     also write ncdu's JSON export to FILE; \"-\" for standard output\n"
    "              (the totals then go to standard error)\n"
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "Exit status: 0 done, 1 the scan or the export failed, 2 bad arguments,\n"
    "128 plus the signal's number when cancelled (Ctrl-C).\n";

std::string absolutePath(const std::string& path) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string text = resolved;
        std::free(resolved);
        return text;
    }
    return path;
}

int cancelledBy(int signal) {
    std::fprintf(stderr, "corvath-scan: cancelled\n");
    return 128 + signal;
}

// Clears the signal action before the walk it cancels goes away.
struct ActionReset {
    corvath::CancelSignals& signals;
    ~ActionReset() { signals.setAction({}); }
};

int run(const std::vector<std::string>& arguments) {
    corvath::ScanArguments options;
    try {
        options = corvath::parseScanArguments(arguments);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "corvath-scan: %s (usage: corvath-scan [-j THREADS] [-o FILE] PATH)\n", error.what());
        return kBadUse;
    }
    corvath::CancelSignals signals;  // before the walk starts its threads

    // The export's file and its temporary space come first: a scan that could
    // not be written would be wasted.
    std::optional<corvath::ExportFile> exportFile;
    std::optional<corvath::EntrySpill> spill;
    const corvath::CancelCheck cancelled = [&signals] { return signals.signalled() != 0; };
    try {
        if (options.output) {
            exportFile.emplace(*options.output, cancelled);
            spill.emplace(exportFile->scratchFolder());
        }
    } catch (const corvath::ExportCancelled&) {
        return cancelledBy(signals.signalled());
    } catch (const corvath::ExportError& error) {
        std::fprintf(stderr, "corvath-scan: %s\n", error.what());
        return kFailed;
    }
    std::FILE* summary = options.output && *options.output == "-" ? stderr : stdout;

    const auto started = std::chrono::steady_clock::now();
    const auto timestamp = static_cast<std::int64_t>(std::time(nullptr));
    std::optional<corvath::FolderWalk> walk;
    try {
        walk.emplace(options.path, corvath::WalkOptions{options.threads, spill ? &*spill : nullptr});
    } catch (const corvath::EngineError& error) {
        std::fprintf(stderr, "corvath-scan: %s\n", error.what());
        return kBadUse;
    }
    if (spill) spill->setRootDevice(walk->rootDevice());
    signals.setAction([&walk] { walk->cancel(); });
    const ActionReset reset{signals};

    corvath::WaitPump pump;
    walk->start([&pump] { pump.wake(); });
    pump.run();
    walk->waitStopped(std::chrono::steady_clock::time_point::max());
    if (const int signal = signals.signalled()) return cancelledBy(signal);
    if (spill && !spill->failure().empty()) {
        std::fprintf(stderr, "corvath-scan: %s\n", spill->failure().c_str());
        return kFailed;
    }
    if (const std::string failure = walk->failure(); !failure.empty()) {
        std::fprintf(stderr, "corvath-scan: cannot scan %s: %s\n", options.path.c_str(), failure.c_str());
        return kFailed;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const corvath::WalkTotals totals = walk->totals();

    if (exportFile) {
        try {
            corvath::BufferedOutput out(exportFile->fd(), exportFile->name(), cancelled);
            const corvath::ExportHeader header{corvath::kProgramVersion, timestamp, absolutePath(options.path), walk->rootDevice()};
            if (!corvath::writeNcduExport(out, header, walk->folders(), *spill, cancelled)) {
                return cancelledBy(signals.signalled());
            }
            exportFile->commit();
        } catch (const corvath::ExportCancelled&) {
            return cancelledBy(signals.signalled());
        } catch (const corvath::ExportError& error) {
            std::fprintf(stderr, "corvath-scan: %s\n", error.what());
            return kFailed;
        }
    }
    return corvath::printScanSummary(summary, totals, seconds) ? 0 : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    if (corvath::answerStandardOption(argc, argv, "corvath-scan", kHelp, std::cout, status)) return status;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        return run(arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvath-scan: %s\n", error.what());
        return kFailed;
    }
}
