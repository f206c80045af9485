#include "ncdu_export.h"

namespace corvath {

std::string ncduString(std::string_view text) {
    std::string out;
    appendNcduString(out, text);
    return out;
}

namespace {

struct CancelledExport {};

class ExportLayout : public FolderVisitor {
public:
    ExportLayout(BufferedOutput& out, const ExportHeader& header, const FolderTable& folders, EntrySpill& spill,
                 const std::function<bool()>& cancelled)
        : out_(out), header_(header), folders_(folders), spill_(spill), cancelled_(cancelled) {}

    void enter(std::uint32_t index, const std::string&) override {
        if (cancelled_()) throw CancelledExport{};
        const FolderNode& node = folders_[index];
        text_ = index == 0 ? "\n[{\"name\":" : ",\n[{\"name\":";
        appendNcduString(text_, index == 0 ? header_.rootName : node.name);
        if (node.excluded) {
            text_ += ",\"excluded\":\"pattern\"}";  // as ncdu writes a folder its --exclude left out
            out_.write(text_);
            return;
        }
        if (node.otherFilesystem) {
            // As ncdu writes it: the mounted filesystem's device where it differs.
            if (node.device != 0 && node.device != header_.rootDevice) {
                text_ += ",\"dev\":";
                text_ += std::to_string(node.device);
            }
            text_ += ",\"excluded\":\"othfs\"}";
            out_.write(text_);
            return;
        }
        addNumber(",\"asize\":", node.ownApparent);
        addNumber(",\"dsize\":", node.ownAllocated);
        if (index == 0 || node.subvolume) {
            // As ncdu writes a folder on another device than its parent's.
            text_ += ",\"dev\":";
            text_ += std::to_string(index == 0 ? header_.rootDevice : node.device);
        }
        if (node.readError) text_ += ",\"read_error\":true";
        text_ += "}";
        out_.write(text_);
        spill_.copyFolder(index, out_);
    }
    void leave(std::uint32_t) override { out_.write("]"); }

private:
    void addNumber(const char* key, std::uint64_t value) {
        if (value == 0) return;  // ncdu leaves out what is zero
        text_ += key;
        text_ += std::to_string(value);
    }

    BufferedOutput& out_;
    const ExportHeader& header_;
    const FolderTable& folders_;
    EntrySpill& spill_;
    const std::function<bool()>& cancelled_;
    std::string text_;
};

}  // namespace

bool writeNcduExport(BufferedOutput& out, const ExportHeader& header, const FolderTable& folders, EntrySpill& spill,
                     const std::function<bool()>& cancelled) {
    out.write("[1,2,{\"progname\":\"corvath-scan\",\"progver\":" + ncduString(header.progver) +
              ",\"timestamp\":" + std::to_string(header.timestamp) + "},");
    ExportLayout layout(out, header, folders, spill, cancelled);
    try {
        visitDepthFirst(folders, header.rootName, layout);
    } catch (const CancelledExport&) {
        return false;
    }
    out.write("]\n");
    out.flush();
    return true;
}

}  // namespace corvath
