#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace corvath {

// Why the export could not be written, as one line ("cannot write FILE: reason").
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes through a large buffer to a descriptor it does not own; throws
// ExportError "cannot write WHAT: reason" on the first failure.
class BufferedOutput {
public:
    BufferedOutput(int fd, std::string what, std::size_t capacity = std::size_t{1} << 20);
    BufferedOutput(const BufferedOutput&) = delete;
    BufferedOutput& operator=(const BufferedOutput&) = delete;

    void write(std::string_view text);
    void flush();
    // Bytes handed to write() so far, flushed or not.
    std::uint64_t size() const { return flushed_ + buffer_.size(); }
    const std::string& what() const { return what_; }

private:
    int fd_;
    std::string what_;
    std::size_t capacity_;
    std::string buffer_;
    std::uint64_t flushed_ = 0;
};

// Writes all of text, going on after short writes and interruptions; returns 0
// or the errno of the failure.
int writeAll(int fd, std::string_view text);

}  // namespace corvath
