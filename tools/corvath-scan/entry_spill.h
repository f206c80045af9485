#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "buffered_output.h"
#include "engine/entry_sink.h"
#include "engine/posix/unique_fd.h"

namespace corvath {

// The entries of a scan, kept out of memory: each batch the walk hands over is
// written, already in the export's text, to a nameless temporary file (gone
// whatever happens to the process), and only where each folder's text lies is
// remembered, so memory grows with folders, not entries.
class EntrySpill : public EntrySink {
public:
    // Creates the file in folder; throws ExportError.
    explicit EntrySpill(const std::string& folder);
    EntrySpill(const EntrySpill&) = delete;
    EntrySpill& operator=(const EntrySpill&) = delete;

    // The device the export's root is on: entries elsewhere name theirs. Set
    // before the walk starts.
    void setRootDevice(std::uint64_t device) { rootDevice_ = device; }

    // From the walk's workers; throws ExportError when the file cannot take more.
    void record(std::uint32_t folder, std::span<const EntryRecord> entries) override;
    // The first failure of record(), or "".
    std::string failure() const;

    // Once the walk has stopped: writes a folder's entries to out, as recorded.
    void copyFolder(std::uint32_t folder, BufferedOutput& out);

private:
    struct Span {
        std::uint64_t offset = 0;
        std::uint32_t length = 0;
        std::uint32_t next = kNone;  // the folder's next span
    };
    struct Chain {
        std::uint32_t first = kNone;
        std::uint32_t last = kNone;
    };
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    struct LinkKey {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool operator<(const LinkKey& other) const {
            return device != other.device ? device < other.device : inode < other.inode;
        }
    };

    void append(std::uint32_t folder, const std::string& text, const std::vector<LinkKey>& laterNames);
    // Copies text, giving each entry whose links were left to settle the marks
    // of a linked file when the walk met it under more than one name.
    void writeSettled(std::string_view text, BufferedOutput& out);
    void settleLinks(std::string_view marker, BufferedOutput& out);

    std::string folder_;
    UniqueFd file_;
    std::uint64_t rootDevice_ = 0;

    mutable std::mutex mutex_;  // guards everything below
    BufferedOutput out_;
    std::vector<Span> spans_;
    std::vector<Chain> chains_;  // by folder index
    std::string failure_;
    // Names met after a file's first, for entries whose links settle later:
    // only linked files, so few.
    std::map<LinkKey, std::uint32_t> laterNames_;
    bool settling_ = false;  // some entry's links are left to settle

    bool inMarker_ = false;  // for writeSettled, across the pieces it is given
    std::string marker_;

    std::string readBuffer_;  // for copyFolder, after the walk
};

// Appends an entry as ncdu's export writes it.
void appendEntry(std::string& out, const EntryRecord& entry, std::uint64_t rootDevice);
// Appends a JSON string as ncdu writes one: control characters escaped, every
// other byte (invalid UTF-8 included) as it is.
void appendNcduString(std::string& out, std::string_view text);

}  // namespace corvath
