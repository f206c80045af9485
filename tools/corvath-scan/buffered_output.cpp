#include "buffered_output.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>


namespace corvath {

int writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return EIO;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

BufferedOutput::BufferedOutput(int fd, std::string what, std::size_t capacity)
    : fd_(fd), what_(std::move(what)), capacity_(capacity) {
    buffer_.reserve(capacity_);
}

void BufferedOutput::write(std::string_view text) {
    if (buffer_.size() + text.size() > capacity_) flush();
    if (text.size() >= capacity_) {
        if (const int error = writeAll(fd_, text)) throw ExportError("cannot write " + what_ + ": " + std::strerror(error));
        flushed_ += text.size();
        return;
    }
    buffer_ += text;
}

void BufferedOutput::flush() {
    if (buffer_.empty()) return;
    if (const int error = writeAll(fd_, buffer_)) throw ExportError("cannot write " + what_ + ": " + std::strerror(error));
    flushed_ += buffer_.size();
    buffer_.clear();
}

}  // namespace corvath
