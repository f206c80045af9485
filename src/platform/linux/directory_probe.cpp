#include "platform/linux/directory_probe.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace corvath {

ProbeOutcome probeOutcomeOfError(int error) {
    switch (error) {
    case ENOMEDIUM:
    case EIO:
    case EACCES:
    case EPERM:
    case ESTALE:
    case ENOTCONN:
    case ECONNABORTED:
    case ENOENT:
    case ENOTDIR:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ETIMEDOUT:
        return ProbeOutcome::Inaccessible;
    default:
        return ProbeOutcome::OtherFailure;
    }
}

ProbeOutcome probeDirectory(const std::string& root) {
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return probeOutcomeOfError(errno);
    DIR* folder = ::fdopendir(fd);
    if (folder == nullptr) {
        const int error = errno;
        ::close(fd);
        return probeOutcomeOfError(error);
    }
    errno = 0;
    const dirent* first = ::readdir(folder);
    const int error = errno;
    ::closedir(folder);
    if (first != nullptr) return ProbeOutcome::Readable;
    // An empty listing is no read failure, but nothing was read either.
    return error != 0 ? probeOutcomeOfError(error) : ProbeOutcome::OtherFailure;
}

}  // namespace corvath
