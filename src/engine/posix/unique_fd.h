#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace corvath {

// Owns one file descriptor and closes it when it goes, so that no path (an
// early return, an exception) leaks one. An open that failed is held as -errno,
// which owns nothing: get() then tells why.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fdOrError) noexcept : fd_(fdOrError) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -EBADF)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -EBADF));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    // The descriptor, or -errno when there is none.
    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }
    void reset(int fdOrError = -EBADF) noexcept {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fdOrError;
    }
    // Closes now and returns what close() says: on some filesystems (NFS) the
    // last write-back error only shows there.
    int close() noexcept {
        const int fd = std::exchange(fd_, -EBADF);
        return fd >= 0 ? ::close(fd) : 0;
    }

private:
    int fd_ = -EBADF;
};

}  // namespace corvath
