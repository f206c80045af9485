#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "engine/posix/unique_fd.h"

namespace corvath {

// Opens folders for reading their entries without following symbolic links,
// without leaving the filesystem and without touching access times where the
// kernel lets us. Each result owns the descriptor opened, or holds -errno.
//
// Where the kernel has openat2, every open below a folder is resolved by the
// kernel beneath that folder, refusing links (ELOOP) and mount crossings
// (EXDEV), bind mounts of the same filesystem included. Without it, links are
// still refused, but a mount that appears between a stat and the open is not:
// the caller must compare the device of what it opened.
class FolderOpener {
public:
    // Longest relative path handed to the kernel in one call; far below PATH_MAX
    // so that a 255-byte name always fits after it.
    static constexpr std::size_t kMaxPiece = 2048;

    // Uses openat2 when this kernel has it (probed once per process).
    FolderOpener();
    explicit FolderOpener(bool useOpenat2);

    // True when the kernel refuses mount crossings in openChild and openBelow.
    bool guardsMounts() const { return openat2_; }

    // The folder a scan starts at; this one may be reached through links.
    UniqueFd openRoot(const std::string& path);
    // A folder directly inside an open folder.
    UniqueFd openChild(int parentFd, const char* name);
    // A folder below an open folder by a relative path of several parts; no part
    // may be a link or a mount point. A path of kMaxPiece bytes or more is opened
    // a piece at a time, so it may be of any length; that holds two descriptors
    // at once for a moment.
    UniqueFd openBelow(int anchorFd, const std::string& relative);
    // The same, one part at a time, for kernels without openat2.
    UniqueFd openBelowStepwise(int anchorFd, const std::string& relative);

    static bool kernelHasOpenat2();

private:
    UniqueFd open(int dirFd, const char* path, bool guarded);
    UniqueFd openInPieces(int anchorFd, const std::string& relative);

    bool openat2_;
    std::atomic<bool> noAtime_{true};
};

}  // namespace corvath
