#include "buffered_output.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace corvath {

int writeAll(int fd, std::string_view text, const CancelCheck& cancelled) {
    while (!text.empty()) {
#ifdef _WIN32
        // No descriptor here blocks; the CRT writes at most INT_MAX at once.
        (void)cancelled;
        const int written = ::_write(fd, text.data(), static_cast<unsigned>(std::min<std::size_t>(text.size(), 1u << 30)));
#else
        const ssize_t written = ::write(fd, text.data(), text.size());
#endif
        if (written < 0) {
            if (errno == EINTR) continue;
#ifndef _WIN32
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (cancelled && cancelled()) return ECANCELED;
                pollfd wait{fd, POLLOUT, 0};
                ::poll(&wait, 1, 100);
                continue;
            }
#endif
            return errno;
        }
        if (written == 0) return EIO;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

BufferedOutput::BufferedOutput(int fd, std::string what, CancelCheck cancelled, std::size_t capacity)
    : fd_(fd), what_(std::move(what)), cancelled_(std::move(cancelled)), capacity_(capacity) {
    buffer_.reserve(capacity_);
}

void BufferedOutput::fail(int error) const {
    if (error == ECANCELED) throw ExportCancelled("cancelled while writing " + what_);
    throw ExportError("cannot write " + what_ + ": " + std::strerror(error));
}

void BufferedOutput::write(std::string_view text) {
    if (buffer_.size() + text.size() > capacity_) flush();
    if (text.size() >= capacity_) {
        if (const int error = writeAll(fd_, text, cancelled_)) fail(error);
        flushed_ += text.size();
        return;
    }
    buffer_ += text;
}

void BufferedOutput::flush() {
    if (buffer_.empty()) return;
    if (const int error = writeAll(fd_, buffer_, cancelled_)) fail(error);
    flushed_ += buffer_.size();
    buffer_.clear();
}

}  // namespace corvath
