#include "engine/posix/folder_open.h"

#include "engine/posix/mount_root.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace corvath {

namespace {

constexpr int kBaseFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
constexpr std::uint64_t kBeneath = RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;

int result(long fd) { return fd >= 0 ? static_cast<int>(fd) : -errno; }

long openat2(int dirFd, const char* path, int flags, std::uint64_t resolve) {
    open_how how{};
    how.flags = static_cast<std::uint64_t>(flags);
    how.resolve = resolve;
    return ::syscall(SYS_openat2, dirFd, path, &how, sizeof how);
}

}  // namespace

bool FolderOpener::kernelHasOpenat2() {
    // Kernels before 5.6, and sandboxes that filter the call, answer ENOSYS.
    static const bool have = [] {
        const UniqueFd probe(result(openat2(AT_FDCWD, "/", kBaseFlags, kBeneath)));
        return probe.get() != -ENOSYS;
    }();
    return have;
}

FolderOpener::FolderOpener() : openat2_(kernelHasOpenat2()) {}

FolderOpener::FolderOpener(bool useOpenat2) : openat2_(useOpenat2 && kernelHasOpenat2()) {}

UniqueFd FolderOpener::open(int dirFd, const char* path, bool guarded) {
    for (;;) {
        // O_NOATIME is refused with EPERM for folders the caller does not own
        // (unless privileged); once refused, stop asking for it. Only a refusal
        // of a call that asked for it says so: another worker may have stopped
        // asking meanwhile, and an EPERM without O_NOATIME is a real one.
        const bool noAtime = noAtime_.load(std::memory_order_relaxed);
        const int flags = kBaseFlags | O_NOFOLLOW | (noAtime ? O_NOATIME : 0);
        const int fd = guarded ? result(openat2(dirFd, path, flags, kBeneath)) : result(::openat(dirFd, path, flags));
        if (fd == -EPERM && noAtime) {
            noAtime_.store(false, std::memory_order_relaxed);
            continue;
        }
        return UniqueFd(fd);
    }
}

UniqueFd FolderOpener::openRoot(const std::string& path) { return UniqueFd(result(::open(path.c_str(), kBaseFlags))); }

UniqueFd FolderOpener::openChild(int parentFd, const char* name) { return open(parentFd, name, openat2_); }

UniqueFd FolderOpener::openBelow(int anchorFd, const std::string& relative) {
    if (!openat2_) return openBelowStepwise(anchorFd, relative);
    if (relative.size() < kMaxPiece) return open(anchorFd, relative.c_str(), true);
    return openInPieces(anchorFd, relative);
}

// Each piece ends at a "/" and is resolved beneath the folder the last one
// opened, so no piece may leave the filesystem or follow a link either.
UniqueFd FolderOpener::openInPieces(int anchorFd, const std::string& relative) {
    UniqueFd current;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.size();
        if (end - start >= kMaxPiece) {
            end = relative.rfind('/', start + kMaxPiece - 1);
            if (end == std::string::npos || end <= start) return UniqueFd(-ENAMETOOLONG);
        }
        const std::string piece = relative.substr(start, end - start);
        UniqueFd next = open(current.valid() ? current.get() : anchorFd, piece.c_str(), true);
        if (!next.valid()) return next;
        current = std::move(next);
        start = end + 1;
    }
    return current;
}

// For kernels without openat2: one part at a time, each opened without
// following links; a mount crossing shows as a change of mount ID where the
// kernel tells one, else of device (a subvolume then counts as a mount).
UniqueFd FolderOpener::openBelowStepwise(int anchorFd, const std::string& relative) {
    UniqueFd current;
    std::size_t start = 0;
    struct stat anchorStat {};
    if (::fstat(anchorFd, &anchorStat) != 0) return UniqueFd(-errno);
    const std::uint64_t anchorMount = mountIdOf(anchorFd);
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        const std::string part = relative.substr(start, end - start);
        UniqueFd next = openChild(current.valid() ? current.get() : anchorFd, part.c_str());
        if (!next.valid()) return next;
        if (anchorMount != 0) {
            if (mountIdOf(next.get()) != anchorMount) return UniqueFd(-EXDEV);
        } else {
            struct stat st {};
            if (::fstat(next.get(), &st) != 0 || st.st_dev != anchorStat.st_dev) return UniqueFd(-EXDEV);
        }
        current = std::move(next);
        start = end + 1;
    }
    return current;
}

}  // namespace corvath
