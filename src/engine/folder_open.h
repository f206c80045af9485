#pragma once

#include <atomic>
#include <string>

namespace corvath {

// Opens folders for reading their entries without following symbolic links,
// without leaving the filesystem and without touching access times where the
// kernel lets us. Results are a file descriptor, or -errno.
class FolderOpener {
public:
    // The folder a scan starts at; this one may be reached through links.
    int openRoot(const std::string& path);
    // A folder directly inside an open folder.
    int openChild(int parentFd, const char* name);
    // A folder below an open folder by a relative path of several parts; no part
    // may be a link or a mount point. The path must be shorter than PATH_MAX.
    int openBelow(int anchorFd, const std::string& relative);
    // The same, one part at a time, for kernels without openat2.
    int openBelowStepwise(int anchorFd, const std::string& relative);

private:
    int flags() const;
    int retryWithoutNoAtime(int result);

    std::atomic<bool> noAtime_{true};
    std::atomic<bool> haveOpenat2_{true};
};

}  // namespace corvath
