#include "platform/linux/xdg_file_manager.h"

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace corvath {

void XdgFileManager::open(const std::string& root) {
    // Everything the children need is prepared before fork: after it, in a
    // possibly threaded parent, only async-signal-safe calls are allowed.
    const char* program = "xdg-open";
    char* const argv[] = {const_cast<char*>(program), const_cast<char*>(root.c_str()), nullptr};

    const pid_t child = ::fork();
    if (child < 0) {
        return;
    }
    if (child == 0) {
        // The grandchild is adopted by init, so it is reaped without us.
        ::setsid();
        if (::fork() == 0) {
            ::execvp(program, argv);
            ::_exit(127);
        }
        ::_exit(0);
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace corvath
