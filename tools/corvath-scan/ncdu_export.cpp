#include "ncdu_export.h"

namespace corvath {

std::string ncduString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\b': out += "\\b"; break;
        case '\t': out += "\\t"; break;
        case '\f': out += "\\f"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default: {
            const auto byte = static_cast<unsigned char>(c);
            if (byte <= 31 || byte == 127) {
                static const char* digits = "0123456789abcdef";
                out += "\\u00";
                out += digits[byte >> 4];
                out += digits[byte & 15];
            } else {
                out += c;
            }
        }
        }
    }
    return out + "\"";
}

namespace {

void addNumber(std::string& out, const char* key, std::uint64_t value) {
    if (value == 0) return;  // ncdu leaves out what is zero
    out += ",\"";
    out += key;
    out += "\":";
    out += std::to_string(value);
}

std::string entryInfo(const EntryRecord& entry, std::uint64_t folderDevice) {
    std::string out = "{\"name\":" + ncduString(entry.name);
    if (entry.kind == EntryRecord::Kind::OtherFilesystem) {
        out += ",\"dev\":" + std::to_string(entry.device) + ",\"excluded\":\"othfs\"}";
        return "[" + out + "]";
    }
    addNumber(out, "asize", entry.apparent);
    addNumber(out, "dsize", entry.allocated);
    if (entry.device != folderDevice) out += ",\"dev\":" + std::to_string(entry.device);
    if (entry.links > 1) {
        out += ",\"ino\":" + std::to_string(entry.inode) + ",\"hlnkc\":true,\"nlink\":" + std::to_string(entry.links);
    }
    if (entry.kind == EntryRecord::Kind::Other) out += ",\"notreg\":true";
    return out + "}";
}

class ExportWriter : public FolderVisitor {
public:
    ExportWriter(std::FILE* out, const ExportHeader& header, const FolderTable& folders)
        : out_(out), header_(header), folders_(folders) {}

    void enter(std::uint32_t index, const std::string&) override {
        const FolderNode& node = folders_[index];
        std::string text = index == 0 ? "\n[{\"name\":" + ncduString(header_.rootName) : ",\n[{\"name\":" + ncduString(node.name);
        if (node.otherFilesystem) {
            write(text + ",\"excluded\":\"othfs\"}");
            return;
        }
        addNumber(text, "asize", node.ownApparent);
        addNumber(text, "dsize", node.ownAllocated);
        if (index == 0) text += ",\"dev\":" + std::to_string(header_.rootDevice);
        if (node.readError) text += ",\"read_error\":true";
        text += "}";
        if (node.entries) {
            for (const EntryRecord& entry : *node.entries) {
                text += ",\n";
                text += entryInfo(entry, header_.rootDevice);
            }
        }
        write(text);
    }
    void leave(std::uint32_t) override { write("]"); }
    void write(const std::string& text) {
        if (std::fwrite(text.data(), 1, text.size(), out_) != text.size()) ok_ = false;
    }
    bool ok() const { return ok_; }

private:
    std::FILE* out_;
    const ExportHeader& header_;
    const FolderTable& folders_;
    bool ok_ = true;
};

}  // namespace

bool writeNcduExport(std::FILE* out, const ExportHeader& header, const FolderTable& folders) {
    ExportWriter writer(out, header, folders);
    writer.write("[1,2,{\"progname\":\"corvath-scan\",\"progver\":" + ncduString(header.progver) +
                 ",\"timestamp\":" + std::to_string(header.timestamp) + "},");
    visitDepthFirst(folders, header.rootName, writer);
    writer.write("]\n");
    return writer.ok() && std::fflush(out) == 0;
}

}  // namespace corvath
