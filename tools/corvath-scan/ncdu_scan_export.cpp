// ncdu's export of a scan, the same on every platform: the file, and the
// entries spilled beside it until the walk is over.
#include "buffered_output.h"
#include "entry_spill.h"
#include "export_file.h"
#include "ncdu_export.h"
#include "scan_platform.h"
#include "text/program_version.h"

namespace corvath {

namespace {

class NcduScanExport final : public ScanExport {
public:
    NcduScanExport(const std::string& name, const CancelCheck& cancelled)
        : cancelled_(cancelled), file_(name, cancelled), spill_(file_.scratchFolder()) {}

    EntrySink& sink() override { return spill_; }
    void setRootDevice(std::uint64_t device) override { spill_.setRootDevice(device); }
    std::string failure() const override { return spill_.failure(); }

    bool write(FolderWalk& walk, const std::string& path, std::int64_t timestamp) override {
        BufferedOutput out(file_.fd(), file_.name(), cancelled_);
        const ExportHeader header{kProgramVersion, timestamp, absoluteScanPath(path), walk.rootDevice()};
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
