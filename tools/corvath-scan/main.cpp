// corvath-scan [-j THREADS] [-o FILE] PATH: scans PATH on its filesystem and
// prints the totals, one "name: value" per line; -o also writes ncdu's export.
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/engine_error.h"
#include "engine/folder_walk.h"
#include "engine/wait_pump.h"
#include "ncdu_export.h"
#include "scan_arguments.h"

namespace {

constexpr int kBadUse = 2;

std::string absolutePath(const std::string& path) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string text = resolved;
        std::free(resolved);
        return text;
    }
    return path;
}

int run(const std::vector<std::string>& arguments) {
    corvath::ScanArguments options;
    try {
        options = corvath::parseScanArguments(arguments);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "corvath-scan: %s (usage: corvath-scan [-j THREADS] [-o FILE] PATH)\n", error.what());
        return kBadUse;
    }

    std::FILE* exportFile = nullptr;
    const bool toStdout = options.output && *options.output == "-";
    if (options.output && !toStdout) {
        exportFile = std::fopen(options.output->c_str(), "wb");
        if (exportFile == nullptr) {
            std::fprintf(stderr, "corvath-scan: cannot write %s: %s\n", options.output->c_str(), std::strerror(errno));
            return kBadUse;
        }
    } else if (toStdout) {
        exportFile = stdout;
    }
    std::FILE* summary = toStdout ? stderr : stdout;

    const auto started = std::chrono::steady_clock::now();
    const auto timestamp = static_cast<std::int64_t>(std::time(nullptr));
    try {
        corvath::FolderWalk walk(options.path, corvath::WalkOptions{options.threads, options.output.has_value()});
        corvath::WaitPump pump;
        walk.start([&pump] { pump.wake(); });
        pump.run();
        walk.waitStopped(std::chrono::steady_clock::time_point::max());
        if (const std::string failure = walk.failure(); !failure.empty()) {
            std::fprintf(stderr, "corvath-scan: cannot scan %s: %s\n", options.path.c_str(), failure.c_str());
            return 1;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const corvath::WalkTotals totals = walk.totals();

        if (exportFile != nullptr) {
            const corvath::ExportHeader header{CORVATH_VERSION, timestamp, absolutePath(options.path), walk.rootDevice()};
            bool written = corvath::writeNcduExport(exportFile, header, walk.folders());
            if (exportFile != stdout) written = std::fclose(exportFile) == 0 && written;
            exportFile = nullptr;
            if (!written) {
                std::fprintf(stderr, "corvath-scan: cannot write %s: %s\n", options.output->c_str(), std::strerror(errno));
                return 1;
            }
        }
        std::fprintf(summary,
                     "allocated: %llu\napparent: %llu\nfiles: %llu\nfolders: %llu\nerrors: %llu\nseconds: %.3f\n",
                     static_cast<unsigned long long>(totals.allocated),
                     static_cast<unsigned long long>(totals.apparent), static_cast<unsigned long long>(totals.files),
                     static_cast<unsigned long long>(totals.folders), static_cast<unsigned long long>(totals.errors),
                     seconds);
        return std::fflush(summary) == 0 ? 0 : 1;
    } catch (const corvath::EngineError& error) {
        if (exportFile != nullptr && exportFile != stdout) {
            std::fclose(exportFile);
            std::remove(options.output->c_str());  // ours, created above and still empty
        }
        std::fprintf(stderr, "corvath-scan: %s\n", error.what());
        return kBadUse;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        return run(arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvath-scan: %s\n", error.what());
        return 1;
    }
}
