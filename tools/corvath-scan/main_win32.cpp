// corvath-scan [-j THREADS] PATH on Windows: scans PATH (a drive "C:" or a
// folder) on its volume and prints the totals, one "name: value" per line, as
// the POSIX build does. ncdu's export (-o) is left to the POSIX build.
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/engine_error.h"
#include "engine/event_pump.h"
#include "engine/folder_walk.h"
#include "engine/scan_root.h"
#include "engine/wtf8.h"
#include "scan_arguments.h"
#include "scan_summary.h"
#include "text/standard_options.h"

namespace {

constexpr int kFailed = 1;
constexpr int kBadUse = 2;
constexpr int kInterrupted = 128 + 2;  // as a POSIX shell reports SIGINT

constexpr const char* kHelp =
    "Usage: corvath-scan [-j THREADS] PATH\n"
    "Scans PATH (a drive such as C: or a folder) on its own volume with Corvath\n"
    "Analyzer's engine and prints the allocated and apparent bytes, files,\n"
    "folders, errors and seconds.\n"
    "\n"
    "  -j THREADS  scan with THREADS threads, 1 to 256 (default 8)\n"
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "Exit status: 0 done, 1 the scan failed, 2 bad arguments, 130 when cancelled\n"
    "(Ctrl-C).\n";

// The walk a console Ctrl-C cancels; the handler runs on a thread of its own.
std::atomic<corvath::FolderWalk*> cancelTarget{nullptr};
std::atomic<bool> interrupted{false};

BOOL WINAPI onConsoleEvent(DWORD) {
    interrupted = true;
    if (corvath::FolderWalk* walk = cancelTarget.load()) walk->cancel();
    return TRUE;
}

// The command line as the user typed it, in UTF-8 (argv holds the ANSI code page's).
std::vector<std::string> wideArguments() {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(corvath::wtf8FromUtf16(std::wstring_view(wide[i])));
    }
    if (wide != nullptr) ::LocalFree(wide);
    return arguments;
}

int run(const std::vector<std::string>& arguments) {
    corvath::ScanArguments options;
    try {
        options = corvath::parseScanArguments(arguments);
        if (options.output) throw std::invalid_argument("-o (ncdu's export) is not available on Windows");
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "corvath-scan: %s (usage: corvath-scan [-j THREADS] PATH)\n", error.what());
        return kBadUse;
    }
    const std::string root = corvath::windowsScanRoot(options.path);
    const auto started = std::chrono::steady_clock::now();
    std::optional<corvath::FolderWalk> walk;
    try {
        walk.emplace(root, corvath::WalkOptions{options.threads});
    } catch (const corvath::EngineError& error) {
        std::fprintf(stderr, "corvath-scan: %s\n", error.what());
        return kBadUse;
    }
    cancelTarget = &*walk;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    if (interrupted) walk->cancel();
    corvath::WaitPump pump;
    walk->start([&pump] { pump.wake(); });
    pump.run();
    walk->waitStopped(std::chrono::steady_clock::time_point::max());
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    cancelTarget = nullptr;
    if (interrupted) {
        std::fprintf(stderr, "corvath-scan: cancelled\n");
        return kInterrupted;
    }
    if (const std::string failure = walk->failure(); !failure.empty()) {
        std::fprintf(stderr, "corvath-scan: cannot scan %s: %s\n", root.c_str(), failure.c_str());
        return kFailed;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const corvath::WalkTotals totals = walk->totals();
    return corvath::printScanSummary(stdout, totals, seconds) ? 0 : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    if (corvath::answerStandardOption(argc, argv, "corvath-scan", kHelp, std::cout, status)) return status;
    try {
        return run(wideArguments());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvath-scan: %s\n", error.what());
        return kFailed;
    }
}
