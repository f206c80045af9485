// corvath-scan on POSIX: signals as interrupts, and ncdu's export.
#include "scan_platform.h"

#include <cstdlib>

#include "cancel_signals.h"

namespace corvath {

const ScanHelpTexts kScanHelpTexts{
    "corvath-scan [-j THREADS] [--exclude PATTERN]... [-o FILE] PATH",
    "Scans PATH on its own filesystem with Corvath Analyzer's engine and prints\n"
    "the allocated and apparent bytes, files, folders, errors and seconds.\n",
    "  -o FILE     also write ncdu's JSON export to FILE; \"-\" for standard output\n"
    "              (the totals then go to standard error)\n",
    "Exit status: 0 done, 1 the scan or the export failed, 2 bad arguments,\n"
    "128 plus the signal's number when cancelled (Ctrl-C).\n"};

std::vector<std::string> commandArguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

std::string scanRootOf(const std::string& path) { return path; }

struct ScanInterrupts::State {
    CancelSignals signals;
};

ScanInterrupts::ScanInterrupts() : state_(std::make_unique<State>()) {}

ScanInterrupts::~ScanInterrupts() = default;

void ScanInterrupts::cancelOnInterrupt(FolderWalk* walk) {
    if (walk == nullptr) {
        state_->signals.setAction({});
    } else {
        state_->signals.setAction([walk] { walk->cancel(); });
    }
}

int ScanInterrupts::status() const {
    const int signal = state_->signals.signalled();
    return signal != 0 ? 128 + signal : 0;
}

std::string absoluteScanPath(const std::string& path) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string text = resolved;
        std::free(resolved);
        return text;
    }
    return path;
}

}  // namespace corvath
