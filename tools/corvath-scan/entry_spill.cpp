#include "entry_spill.h"

#include <algorithm>
#include <charconv>

#include "scratch_file.h"

namespace corvath {

namespace {

constexpr std::size_t kReadChunk = std::size_t{1} << 20;

// Stands, in the temporary file, where an entry's link marks go once the walk
// has met all its names (EntryRecord::linksSoFar), followed by "INODE:DEVICE".
// No name can hold it: every control character in a name is escaped.
constexpr char kLinksLater = '\x01';

void appendNumber(std::string& out, std::uint64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void addNumber(std::string& out, std::string_view key, std::uint64_t value) {
    if (value == 0) return;  // ncdu leaves out what is zero
    out += key;
    appendNumber(out, value);
}

}  // namespace

void appendNcduString(std::string& out, std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 31 && byte != 127 && c != '\\' && c != '"') {
            out += c;
            continue;
        }
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\b': out += "\\b"; break;
        case '\t': out += "\\t"; break;
        case '\f': out += "\\f"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default:
            out += "\\u00";
            out += kDigits[byte >> 4];
            out += kDigits[byte & 15];
        }
    }
    out += '"';
}

void appendEntry(std::string& out, const EntryRecord& entry, std::uint64_t rootDevice) {
    out += "{\"name\":";
    appendNcduString(out, entry.name);
    addNumber(out, ",\"asize\":", entry.apparent);
    addNumber(out, ",\"dsize\":", entry.allocated);
    if (entry.device != rootDevice) {
        out += ",\"dev\":";
        appendNumber(out, entry.device);
    }
    if (entry.linksSoFar) {
        out += kLinksLater;
        appendNumber(out, entry.inode);
        out += ':';
        appendNumber(out, entry.device);
    } else if (entry.links > 1) {
        out += ",\"ino\":";
        appendNumber(out, entry.inode);
        out += ",\"hlnkc\":true,\"nlink\":";
        appendNumber(out, entry.links);
    }
    if (entry.kind == EntryRecord::Kind::Other) out += ",\"notreg\":true";
    out += '}';
}

EntrySpill::EntrySpill(const std::string& folder)
    : folder_(folder), file_(createScratchFile(folder)), out_(file_.get(), "the export's temporary file in " + folder) {}

void EntrySpill::record(std::uint32_t folder, std::span<const EntryRecord> entries) {
    if (entries.empty()) return;
    // Formatted here, on the worker's own thread, so that the text is made in
    // parallel and the lock is held only to append it.
    thread_local std::string text;
    thread_local std::vector<LinkKey> laterNames;
    text.clear();
    laterNames.clear();
    for (const EntryRecord& entry : entries) {
        text += ",\n";
        appendEntry(text, entry, rootDevice_);
        if (entry.linksSoFar && entry.links > 1) laterNames.push_back({entry.device, entry.inode});
    }
    append(folder, text, laterNames);
}

void EntrySpill::append(std::uint32_t folder, const std::string& text, const std::vector<LinkKey>& laterNames) {
    std::lock_guard lock(mutex_);
    if (!failure_.empty()) throw ExportError(failure_);
    try {
        for (const LinkKey& key : laterNames) ++laterNames_[key];
        settling_ = settling_ || text.find(kLinksLater) != std::string::npos;
        const std::uint64_t offset = out_.size();
        out_.write(text);
        if (chains_.size() <= folder) chains_.resize(std::max<std::size_t>(folder + 1, chains_.size() * 2));
        Chain& chain = chains_[folder];
        if (chain.last != kNone) {
            Span& last = spans_[chain.last];
            if (last.offset + last.length == offset && last.length + text.size() <= 0xFFFFFFFFu) {
                last.length += static_cast<std::uint32_t>(text.size());  // one piece on disk: one span
                return;
            }
        }
        const auto index = static_cast<std::uint32_t>(spans_.size());
        spans_.push_back(Span{offset, static_cast<std::uint32_t>(text.size()), kNone});
        if (chain.last == kNone) {
            chain.first = index;
        } else {
            spans_[chain.last].next = index;
        }
        chain.last = index;
    } catch (const ExportError& error) {
        failure_ = error.what();
        throw;
    }
}

std::string EntrySpill::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

void EntrySpill::copyFolder(std::uint32_t folder, BufferedOutput& out) {
    std::lock_guard lock(mutex_);
    if (folder >= chains_.size()) return;
    out_.flush();
    readBuffer_.resize(kReadChunk);
    for (std::uint32_t i = chains_[folder].first; i != kNone; i = spans_[i].next) {
        std::uint64_t offset = spans_[i].offset;
        std::uint64_t left = spans_[i].length;
        while (left > 0) {
            std::string reason = "it ended early";
            const long long got = readScratchAt(file_.get(), readBuffer_.data(),
                                                static_cast<std::size_t>(std::min<std::uint64_t>(left, kReadChunk)),
                                                offset, reason);
            if (got <= 0) throw ExportError("cannot read the export's temporary file in " + folder_ + ": " + reason);
            const std::string_view piece(readBuffer_.data(), static_cast<std::size_t>(got));
            if (settling_) {
                writeSettled(piece, out);
            } else {
                out.write(piece);
            }
            offset += static_cast<std::uint64_t>(got);
            left -= static_cast<std::uint64_t>(got);
        }
    }
}

void EntrySpill::writeSettled(std::string_view text, BufferedOutput& out) {
    while (!text.empty()) {
        if (!inMarker_) {
            const std::size_t marker = text.find(kLinksLater);
            out.write(text.substr(0, marker));
            if (marker == std::string_view::npos) return;
            inMarker_ = true;
            marker_.clear();
            text.remove_prefix(marker + 1);
            continue;
        }
        const std::size_t end = text.find('}');
        marker_.append(text.substr(0, end));
        if (end == std::string_view::npos) return;  // the marker goes on in the next piece
        text.remove_prefix(end);
        inMarker_ = false;
        settleLinks(marker_, out);
    }
}

void EntrySpill::settleLinks(std::string_view marker, BufferedOutput& out) {
    LinkKey key;
    const std::size_t colon = marker.find(':');
    std::from_chars(marker.data(), marker.data() + colon, key.inode);
    std::from_chars(marker.data() + colon + 1, marker.data() + marker.size(), key.device);
    const auto later = laterNames_.find(key);
    if (later == laterNames_.end()) return;  // one name: a plain file
    std::string marks = ",\"ino\":";
    appendNumber(marks, key.inode);
    marks += ",\"hlnkc\":true,\"nlink\":";
    appendNumber(marks, later->second + 1);
    out.write(marks);
}

}  // namespace corvath
