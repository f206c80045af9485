#include "support/hanging_filesystem.h"

#include "support/temp_dir.h"

#include <chrono>
#include <csignal>
#include <sstream>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvath::test {

namespace {

// A FUSE mount on mountPoint in our mount table (field 5 the mount point, the
// type after " - ").
bool fuseMountedOn(const std::string& mountPoint) {
    std::istringstream table(readFile("/proc/self/mountinfo"));
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string field;
        for (int i = 0; i < 5; ++i) fields >> field;
        if (field == mountPoint && line.find(" - fuse") != std::string::npos) return true;
    }
    return false;
}

}  // namespace

HangingFilesystem::HangingFilesystem(const std::string& program, const std::filesystem::path& mountPoint,
                                     const std::string& mode)
    : mountPoint_(mountPoint) {
    std::filesystem::create_directories(mountPoint_);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (mode.empty()) {
            ::execl(program.c_str(), program.c_str(), mountPoint_.c_str(), static_cast<char*>(nullptr));
        } else {
            ::execl(program.c_str(), program.c_str(), mountPoint_.c_str(), mode.c_str(), static_cast<char*>(nullptr));
        }
        ::_exit(127);
    }
}

HangingFilesystem::~HangingFilesystem() { stop(); }

bool HangingFilesystem::mounted() {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (pid_ <= 0 || ::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        if (fuseMountedOn(mountPoint_.string())) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

void HangingFilesystem::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    ::umount2(mountPoint_.c_str(), MNT_DETACH);
}

}  // namespace corvath::test
