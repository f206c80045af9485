// corvath-scan [-j THREADS] [--exclude PATTERN]... [-o FILE] PATH: scans PATH on its filesystem (its
// volume on Windows) and prints the totals, one "name: value" per line; -o also
// writes ncdu's export where the platform has it. What differs per platform is
// behind scan_platform.h.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/engine_error.h"
#include "engine/event_pump.h"
#include "engine/folder_walk.h"
#include "scan_arguments.h"
#include "scan_platform.h"
#include "scan_summary.h"
#include "text/standard_options.h"

namespace {

constexpr int kFailed = 1;
constexpr int kBadUse = 2;

std::string helpText() {
    const corvath::ScanHelpTexts& texts = corvath::kScanHelpTexts;
    return "Usage: " + std::string(texts.usage) + "\n" + std::string(texts.about) +
           "\n"
           "  -j THREADS  scan with THREADS threads, 1 to " +
           std::to_string(corvath::kMostThreads) + " (default " + std::to_string(corvath::kDefaultThreads) + ")\n" +
           "  --exclude PATTERN\n"
           "              leave out the folders PATTERN names, in .gitignore's syntax (\"cache\"\n"
           "              at any depth, \"/var/tmp\" from PATH, \"*\", \"?\", \"**\"); repeatable\n" +
           std::string(texts.exportOption) +
           "  --help      show this help and exit\n"
           "  --version   show the version and exit\n"
           "\n" +
           std::string(texts.exitStatus);
}

int failed(const std::string& reason) {
    std::fprintf(stderr, "corvath-scan: %s\n", reason.c_str());
    return kFailed;
}

int cancelled(int status) {
    std::fprintf(stderr, "corvath-scan: cancelled\n");
    return status;
}

// Cancels the walk on an interrupt while it lives, and stops before the walk goes.
struct CancelWhileRunning {
    CancelWhileRunning(corvath::ScanInterrupts& of, corvath::FolderWalk& walk) : interrupts(of) {
        interrupts.cancelOnInterrupt(&walk);
    }
    ~CancelWhileRunning() { interrupts.cancelOnInterrupt(nullptr); }
    CancelWhileRunning(const CancelWhileRunning&) = delete;
    CancelWhileRunning& operator=(const CancelWhileRunning&) = delete;
    corvath::ScanInterrupts& interrupts;
};

std::optional<corvath::ScanArguments> parse(const std::vector<std::string>& arguments) {
    try {
        return corvath::parseScanArguments(arguments);
    } catch (const std::invalid_argument& error) {
        const std::string usage(corvath::kScanHelpTexts.usage);
        std::fprintf(stderr, "corvath-scan: %s (usage: %s)\n", error.what(), usage.c_str());
        return std::nullopt;
    }
}

// Writes the export of a finished scan; the program's exit status when that
// fails or is cancelled, 0 when it is written.
int writeExport(corvath::ScanExport& exported, corvath::FolderWalk& walk, const std::string& root,
                std::int64_t timestamp, const corvath::ScanInterrupts& interrupts) {
    try {
        if (!exported.write(walk, root, timestamp)) return cancelled(interrupts.status());
    } catch (const corvath::ExportCancelled&) {
        return cancelled(interrupts.status());
    } catch (const corvath::ExportError& error) {
        return failed(error.what());
    }
    return 0;
}

int scan(const corvath::ScanArguments& options, corvath::ScanInterrupts& interrupts, corvath::ScanExport* exported) {
    std::FILE* summary = options.output && *options.output == "-" ? stderr : stdout;
    const std::string root = corvath::scanRootOf(options.path);
    const auto started = std::chrono::steady_clock::now();
    const auto timestamp = static_cast<std::int64_t>(std::time(nullptr));
    std::optional<corvath::FolderWalk> walk;
    try {
        corvath::WalkOptions walkOptions{options.threads, exported ? &exported->sink() : nullptr};
        walkOptions.excludes = corvath::FolderExcludes(options.excludes, corvath::kNamesCaseSensitive);
        walk.emplace(root, walkOptions);
    } catch (const corvath::EngineError& error) {
        // A drive or folder that is missing or cannot be read: the scan failed.
        return failed(error.what());
    }
    if (exported) exported->setRootDevice(walk->rootDevice());
    {
        const CancelWhileRunning cancelling(interrupts, *walk);
        corvath::WaitPump pump;
        walk->start([&pump] { pump.wake(); });
        pump.run();
        walk->waitStopped(std::chrono::steady_clock::time_point::max());
    }
    if (const int status = interrupts.status()) return cancelled(status);
    if (exported && !exported->failure().empty()) return failed(exported->failure());
    if (const std::string failure = walk->failure(); !failure.empty()) {
        return failed("cannot scan " + root + ": " + failure);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const corvath::WalkTotals totals = walk->totals();
    if (exported) {
        if (const int status = writeExport(*exported, *walk, root, timestamp, interrupts)) return status;
    }
    return corvath::printScanSummary(summary, totals, seconds) ? 0 : kFailed;
}

int run(const std::vector<std::string>& arguments) {
    const std::optional<corvath::ScanArguments> options = parse(arguments);
    if (!options) return kBadUse;
    corvath::ScanInterrupts interrupts;  // before the walk starts its threads
    std::unique_ptr<corvath::ScanExport> exported;
    try {
        const corvath::CancelCheck asked = [&interrupts] { return interrupts.status() != 0; };
        if (options->output) exported = corvath::openScanExport(*options->output, asked);
    } catch (const corvath::ExportCancelled&) {
        return cancelled(interrupts.status());
    } catch (const corvath::ExportError& error) {
        return failed(error.what());
    }
    return scan(*options, interrupts, exported.get());
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    if (corvath::answerStandardOption(argc, argv, "corvath-scan", helpText(), std::cout, status)) return status;
    try {
        return run(corvath::commandArguments(argc, argv));
    } catch (const std::exception& error) {
        return failed(error.what());
    }
}
