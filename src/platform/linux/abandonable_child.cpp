#include "platform/shared/abandonable_child.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvath {

namespace {

[[noreturn]] void reportAndLeave(int reportFd, int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // Whoever reads our output sees its end now, not when a stuck thread lets go.
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nothing >= 0) {
        for (int fd = 0; fd <= 2; ++fd) ::dup2(nothing, fd);
    }
    const auto code = static_cast<unsigned char>(status);
    while (::write(reportFd, &code, 1) < 0 && errno == EINTR) {
    }
    // No destructors: threads left behind may still hold what they would free.
    ::_exit(status);
}

}  // namespace

int runInAbandonableChild(const std::function<int()>& work) {
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return work();
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return work();
    }
    if (child == 0) {
        ::close(report[0]);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(1);  // the caller is gone already
        reportAndLeave(report[1], work());
    }

    ::close(report[1]);
    unsigned char code = 0;
    ssize_t got = 0;
    while ((got = ::read(report[0], &code, 1)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (got == 1) return code;

    // Ended without reporting (a crash): its descriptors are closed, so it has ended.
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 1;
}

}  // namespace corvath
