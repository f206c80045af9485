// corvath-scan on POSIX: signals as interrupts, and ncdu's export.
#include "scan_platform.h"

#include <cstdlib>
#include <optional>

#include "buffered_output.h"
#include "cancel_signals.h"
#include "entry_spill.h"
#include "export_file.h"
#include "ncdu_export.h"
#include "text/program_version.h"

namespace corvath {

const ScanHelpTexts kScanHelpTexts{
    "corvath-scan [-j THREADS] [-o FILE] PATH",
    "Scans PATH on its own filesystem with Corvath Analyzer's engine and prints\n"
    "the allocated and apparent bytes, files, folders, errors and seconds.\n",
    "  -o FILE     also write ncdu's JSON export to FILE; \"-\" for standard output\n"
    "              (the totals then go to standard error)\n",
    "Exit status: 0 done, 1 the scan or the export failed, 2 bad arguments,\n"
    "128 plus the signal's number when cancelled (Ctrl-C).\n"};

std::vector<std::string> commandArguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

std::string_view exportUnavailable() { return {}; }

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

namespace {

std::string absolutePath(const std::string& path) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string text = resolved;
        std::free(resolved);
        return text;
    }
    return path;
}

// The file and, until the walk is over, the entries spilled beside it.
class NcduScanExport final : public ScanExport {
public:
    NcduScanExport(const std::string& name, const CancelCheck& cancelled)
        : cancelled_(cancelled), file_(name, cancelled), spill_(file_.scratchFolder()) {}

    EntrySink& sink() override { return spill_; }
    void setRootDevice(std::uint64_t device) override { spill_.setRootDevice(device); }
    std::string failure() const override { return spill_.failure(); }

    bool write(FolderWalk& walk, const std::string& path, std::int64_t timestamp) override {
        BufferedOutput out(file_.fd(), file_.name(), cancelled_);
        const ExportHeader header{kProgramVersion, timestamp, absolutePath(path), walk.rootDevice()};
        if (!writeNcduExport(out, header, walk.folders(), spill_, cancelled_)) return false;
        file_.commit();
        return true;
    }

private:
    CancelCheck cancelled_;
    ExportFile file_;
    EntrySpill spill_;
};

}  // namespace

std::unique_ptr<ScanExport> openScanExport(const std::string& name, const CancelCheck& cancelled) {
    return std::make_unique<NcduScanExport>(name, cancelled);
}

}  // namespace corvath
