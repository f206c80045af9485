// corvath-scan on Windows: the wide command line, drive names as roots, the
// console's Ctrl-C as the interrupt; ncdu's export is left to the POSIX build.
#include "scan_platform.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>

#include "engine/scan_root.h"
#include "engine/wtf8.h"

namespace corvath {

const ScanHelpTexts kScanHelpTexts{
    "corvath-scan [-j THREADS] PATH",
    "Scans PATH (a drive such as C: or a folder) on its own volume with Corvath\n"
    "Analyzer's engine and prints the allocated and apparent bytes, files,\n"
    "folders, errors and seconds.\n",
    "",
    "Exit status: 0 done, 1 the scan failed, 2 bad arguments, 130 when cancelled\n"
    "(Ctrl-C).\n"};

// The command line as the user typed it (argv holds the ANSI code page's).
std::vector<std::string> commandArguments(int, char**) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(wtf8FromUtf16(std::wstring_view(wide[i])));
    }
    if (wide != nullptr) ::LocalFree(wide);
    return arguments;
}

std::string_view exportUnavailable() { return "-o (ncdu's export) is not available on Windows"; }

std::string scanRootOf(const std::string& path) { return windowsScanRoot(path); }

namespace {

constexpr int kInterrupted = 128 + 2;  // as a POSIX shell reports SIGINT

// The walk a console Ctrl-C cancels; the handler runs on a thread of its own.
std::atomic<FolderWalk*> cancelTarget{nullptr};
std::atomic<bool> interrupted{false};

BOOL WINAPI onConsoleEvent(DWORD) {
    interrupted = true;
    if (FolderWalk* walk = cancelTarget.load()) walk->cancel();
    return TRUE;
}

}  // namespace

struct ScanInterrupts::State {};

ScanInterrupts::ScanInterrupts() = default;

ScanInterrupts::~ScanInterrupts() { cancelOnInterrupt(nullptr); }

// The handler is there only while a walk runs: before, Ctrl-C ends the program
// as any console program's.
void ScanInterrupts::cancelOnInterrupt(FolderWalk* walk) {
    if (walk == nullptr) {
        if (cancelTarget.exchange(nullptr) != nullptr) ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
        return;
    }
    cancelTarget = walk;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    if (interrupted) walk->cancel();
}

int ScanInterrupts::status() const { return interrupted ? kInterrupted : 0; }

std::unique_ptr<ScanExport> openScanExport(const std::string& name, const CancelCheck&) {
    throw ExportError("cannot write " + name + ": " + std::string(exportUnavailable()));
}

}  // namespace corvath
