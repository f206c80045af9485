#include "e2e/x_display.h"

#include "e2e/child_process.h"

#include <chrono>
#include <csignal>
#include <sstream>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvath::test {

namespace {

using namespace std::chrono_literals;

// Reads the display number Xvfb writes once it takes clients; empty when it
// does not within the time given.
std::string readDisplayNumber(int fd, std::chrono::milliseconds timeout) {
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) continue;
        char c = 0;
        if (::read(fd, &c, 1) != 1) break;
        if (c == '\n') return number;
        number += c;
    }
    return {};
}

}  // namespace

XServer::~XServer() { stop(); }

bool XServer::start(const std::string& xvfb) {
    // Xvfb picks a free display itself: choosing one here raced with servers
    // other tests started at the same moment, and lost to them unseen.
    int answer[2];
    if (::pipe2(answer, O_CLOEXEC) != 0) return false;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(answer[1], 3);  // dup2 clears close-on-exec
        // -noreset: otherwise the server resets when its last client leaves
        // (the program's own display check) and refuses the next client meanwhile.
        ::execl(xvfb.c_str(), xvfb.c_str(), "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                "-noreset", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(answer[1]);
    const std::string number = pid_ > 0 ? readDisplayNumber(answer[0], 10s) : std::string();
    ::close(answer[0]);
    if (number.empty()) {
        stop();
        return false;
    }
    display_ = ":" + number;
    return true;
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
