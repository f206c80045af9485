// What corvath-scan does its own way on each platform, behind main.cpp: the
// command line's encoding, the folder PATH names, interrupts and ncdu's export
// (scan_platform_posix.cpp, scan_platform_win32.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/entry_sink.h"
#include "engine/folder_walk.h"
#include "export_error.h"

namespace corvath {

// The parts of the help that differ.
struct ScanHelpTexts {
    std::string_view usage;         // the command's form, "corvath-scan [-j THREADS] ... PATH"
    std::string_view about;         // what PATH is and what is printed, whole lines
    std::string_view exportOption;  // the help's lines for -o, or ""
    std::string_view exitStatus;    // the paragraph on the exit status
};
extern const ScanHelpTexts kScanHelpTexts;

// The arguments after the program's name, in UTF-8.
std::vector<std::string> commandArguments(int argc, char** argv);

// The folder to walk for PATH as given.
std::string scanRootOf(const std::string& path);

// The scanned folder's name in the export: absolute, as ncdu names it.
std::string absoluteScanPath(const std::string& path);

// Turns the platform's interrupts (Ctrl-C, and SIGTERM and SIGHUP on POSIX)
// into a cancel, so the program can clean up instead of dying half way. Make
// it before any other thread starts.
class ScanInterrupts {
public:
    ScanInterrupts();
    ~ScanInterrupts();
    ScanInterrupts(const ScanInterrupts&) = delete;
    ScanInterrupts& operator=(const ScanInterrupts&) = delete;

    // From now on an interrupt cancels walk, at once when one came already;
    // null stops that, before the walk goes away.
    void cancelOnInterrupt(FolderWalk* walk);
    // The exit status an interrupt asks for, or 0 while none came.
    int status() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// ncdu's export of a scan (-o FILE).
class ScanExport {
public:
    virtual ~ScanExport() = default;
    // Where the walk hands its entries.
    virtual EntrySink& sink() = 0;
    // Before the walk starts.
    virtual void setRootDevice(std::uint64_t device) = 0;
    // The sink's first failure during the walk, or "".
    virtual std::string failure() const = 0;
    // Once the walk has stopped: writes the export of the scan of path and puts
    // the file in place; false when cancelled; throws ExportError.
    virtual bool write(FolderWalk& walk, const std::string& path, std::int64_t timestamp) = 0;
};

// Opens FILE and the space for the entries, before the scan: a scan that could
// not be written would be wasted. Throws ExportError, and ExportCancelled when
// cancelled says so while it waits (for a FIFO no one reads yet).
std::unique_ptr<ScanExport> openScanExport(const std::string& name, const CancelCheck& cancelled);

}  // namespace corvath
