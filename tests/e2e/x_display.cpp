#include "e2e/x_display.h"

#include "e2e/child_process.h"

#include <chrono>
#include <csignal>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvath::test {

namespace {

using namespace std::chrono_literals;

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The socket file appears when the server binds it, a moment before it listens:
// only a connection that succeeds says that clients can start.
bool accepts(const std::string& socketPath) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

}  // namespace

XServer::~XServer() { stop(); }

bool XServer::start(const std::string& xvfb) {
    for (int n = 121; n < 160; ++n) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (exists("/tmp/.X" + std::to_string(n) + "-lock") || exists(socket)) continue;
        display_ = ":" + std::to_string(n);
        pid_ = ::fork();
        if (pid_ == 0) {
            // -noreset: otherwise the server resets when its last client leaves
            // (the readiness check below, the program's own display check) and
            // refuses the next client meanwhile.
            ::execl(xvfb.c_str(), xvfb.c_str(), display_.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                    "-noreset", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 200; ++i) {
            if (accepts(socket)) return true;
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {  // lost the race for this number
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(50ms);
        }
        stop();
    }
    return false;
}

void XServer::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

bool XWindow::find(const std::string& name, const std::string& besides) {
    const CommandResult result =
        runCommand(xdotool_, {"search", "--onlyvisible", "--name", "^" + name + "$"}, environment_, 10s);
    if (result.status != 0) return false;
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos && line != besides) {
            id_ = line;
            return true;
        }
    }
    return false;
}

bool XWindow::click(int x, int y) const {
    return runCommand(xdotool_,
                      {"mousemove", "--window", id_, std::to_string(x), std::to_string(y), "click", "1"},
                      environment_, 10s)
               .status == 0;
}

bool XWindow::key(const std::string& keysym) const {
    return runCommand(xdotool_, {"windowfocus", id_, "key", keysym}, environment_, 10s).status == 0;
}

bool XWindow::remap() const {
    return runCommand(xdotool_, {"windowunmap", "--sync", id_, "windowmap", "--sync", id_}, environment_, 10s)
               .status == 0;
}

int XWindow::countNamed(const std::string& name) const {
    const CommandResult result =
        runCommand(xdotool_, {"search", "--onlyvisible", "--name", "^" + name + "$"}, environment_, 10s);
    std::istringstream lines(result.output);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) ++count;
    }
    return count;
}

bool XWindow::capture(const std::string& pngFile) const {
    return runCommand(import_, {"-window", id_, pngFile}, environment_, 15s).status == 0;
}

}  // namespace corvath::test
