#include "support/mount_namespace.h"

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <stdexcept>
#include <sys/mount.h>
#include <unistd.h>

namespace corvath::test {

bool enterPrivateMountNamespace(std::string& reason) {
    if (::geteuid() != 0) {
        reason = "needs root to make a private mount namespace";
        return false;
    }
    if (::unshare(CLONE_NEWNS) != 0) {
        reason = std::string("unshare(CLONE_NEWNS) failed: ") + std::strerror(errno);
        return false;
    }
    // Keep our mounts from propagating back to the host's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        reason = std::string("making / private failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void mountTmpfs(const std::string& target, const std::string& options) {
    if (::mount("tmpfs", target.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        throw std::runtime_error("mount tmpfs on " + target + ": " + std::strerror(errno));
    }
}

void mountBind(const std::string& source, const std::string& target) {
    if (::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        throw std::runtime_error("bind mount " + source + " on " + target + ": " + std::strerror(errno));
    }
}

}  // namespace corvath::test
