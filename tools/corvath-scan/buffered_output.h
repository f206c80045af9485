#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "export_error.h"

namespace corvath {

// Writes through a large buffer to a descriptor it does not own; throws
// ExportError "cannot write WHAT: reason" on the first failure. A descriptor
// that does not block (a FIFO) is waited on, asking cancelled meanwhile.
class BufferedOutput {
public:
    BufferedOutput(int fd, std::string what, CancelCheck cancelled = {}, std::size_t capacity = std::size_t{1} << 20);
    BufferedOutput(const BufferedOutput&) = delete;
    BufferedOutput& operator=(const BufferedOutput&) = delete;

    void write(std::string_view text);
    void flush();
    // Bytes handed to write() so far, flushed or not.
    std::uint64_t size() const { return flushed_ + buffer_.size(); }
    const std::string& what() const { return what_; }

private:
    [[noreturn]] void fail(int error) const;

    int fd_;
    std::string what_;
    CancelCheck cancelled_;
    std::size_t capacity_;
    std::string buffer_;
    std::uint64_t flushed_ = 0;
};

// Writes all of text, going on after short writes and interruptions, and
// waiting while a descriptor that does not block is full; returns 0, the errno
// of the failure, or ECANCELED once cancelled says so while it waits.
int writeAll(int fd, std::string_view text, const CancelCheck& cancelled = {});

}  // namespace corvath
