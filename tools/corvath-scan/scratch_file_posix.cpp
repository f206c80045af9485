#include "scratch_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "export_error.h"

namespace corvath {

// Unlinked as soon as it exists, so that nothing is left behind, whatever ends
// the process.
UniqueFd createScratchFile(const std::string& folder) {
    UniqueFd file(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (!file.valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        std::string pattern = folder + "/.corvath-scan-XXXXXX";
        file = UniqueFd(::mkostemp(pattern.data(), O_CLOEXEC));
        if (file.valid()) ::unlink(pattern.c_str());
    }
    if (!file.valid()) {
        throw ExportError("cannot write the export's temporary file in " + folder + ": " + std::strerror(errno));
    }
    return file;
}

long long readScratchAt(int fd, char* buffer, std::size_t size, std::uint64_t offset, std::string& reason) {
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) reason = std::strerror(errno);
        return got;
    }
}

}  // namespace corvath
