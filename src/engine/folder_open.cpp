#include "engine/folder_open.h"

#include <cerrno>
#include <fcntl.h>
#include <cstdint>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace corvath {

namespace {

constexpr int kBaseFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

int result(int fd) { return fd >= 0 ? fd : -errno; }

}  // namespace

int FolderOpener::flags() const {
    return kBaseFlags | O_NOFOLLOW | (noAtime_.load(std::memory_order_relaxed) ? O_NOATIME : 0);
}

// O_NOATIME is refused with EPERM for folders the caller does not own (unless
// privileged); once refused, stop asking for it.
int FolderOpener::retryWithoutNoAtime(int fd) {
    if (fd == -EPERM && noAtime_.load(std::memory_order_relaxed)) {
        noAtime_.store(false, std::memory_order_relaxed);
        return -EAGAIN;
    }
    return fd;
}

int FolderOpener::openRoot(const std::string& path) {
    return result(::open(path.c_str(), kBaseFlags));
}

int FolderOpener::openChild(int parentFd, const char* name) {
    for (;;) {
        const int fd = retryWithoutNoAtime(result(::openat(parentFd, name, flags())));
        if (fd != -EAGAIN) return fd;
    }
}

int FolderOpener::openBelow(int anchorFd, const std::string& relative) {
    if (haveOpenat2_.load(std::memory_order_relaxed)) {
        for (;;) {
            open_how how{};
            how.flags = static_cast<std::uint64_t>(flags());
            how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
            const long fd = ::syscall(SYS_openat2, anchorFd, relative.c_str(), &how, sizeof how);
            const int outcome = retryWithoutNoAtime(fd >= 0 ? static_cast<int>(fd) : -errno);
            if (outcome == -EAGAIN) continue;
            if (outcome != -ENOSYS) return outcome;
            haveOpenat2_.store(false, std::memory_order_relaxed);
            break;
        }
    }
    return openBelowStepwise(anchorFd, relative);
}

// For kernels without openat2: one part at a time, each opened without
// following links; a mount crossing shows as a change of device.
int FolderOpener::openBelowStepwise(int anchorFd, const std::string& relative) {
    int current = anchorFd;
    std::size_t start = 0;
    struct stat anchorStat {};
    if (::fstat(anchorFd, &anchorStat) != 0) return -errno;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        const std::string part = relative.substr(start, end - start);
        const int next = openChild(current, part.c_str());
        if (current != anchorFd) ::close(current);
        if (next < 0) return next;
        struct stat st {};
        if (::fstat(next, &st) != 0 || st.st_dev != anchorStat.st_dev) {
            ::close(next);
            return -EXDEV;
        }
        current = next;
        start = end + 1;
    }
    return current;
}

}  // namespace corvath
