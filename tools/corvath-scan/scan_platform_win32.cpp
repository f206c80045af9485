// corvath-scan on Windows: the wide command line, drive names as roots, the
// console's Ctrl-C as the interrupt.
#include "scan_platform.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>

#include "engine/scan_root.h"
#include "engine/wtf8.h"

namespace corvath {

const ScanHelpTexts kScanHelpTexts{
    "corvath-scan [-j THREADS] [--exclude PATTERN]... [-o FILE] PATH",
    "Scans PATH (a drive such as C: or a folder such as C:\\Users) on its own\n"
    "volume with Corvath Analyzer's engine and prints the allocated and apparent\n"
    "bytes, files, folders, errors and seconds.\n",
    "  -o FILE     also write ncdu's JSON export to FILE (ncdu -f FILE, gdu -f FILE);\n"
    "              \"-\" for standard output (the totals then go to standard error)\n",
    "Exit status: 0 done, 1 the scan or the export failed, 2 bad arguments,\n"
    "130 when cancelled (Ctrl-C).\n"};

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

std::string scanRootOf(const std::string& path) { return windowsScanRoot(path); }

std::string absoluteScanPath(const std::string& path) {
    const std::wstring given = utf16FromWtf8<wchar_t>(path);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return path;
        if (length < full.size()) {
            full.resize(length);
            return wtf8FromUtf16(std::wstring_view(full));
        }
        full.resize(length);
    }
}

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

}  // namespace corvath
