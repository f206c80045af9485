#include "e2e/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace corvath::test {

namespace {

using namespace std::chrono_literals;

int statusOf(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    result.reserve(texts.size() + 1);
    for (std::string& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& overrides) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (overrides.count(name) == 0) result.push_back(text);
    }
    for (const auto& [name, value] : overrides) result.push_back(name + "=" + value);
    return result;
}

std::string leakCheckOptions(const std::string& folder) {
    const std::string suppressions = folder + "/lsan-suppressions";
    std::ofstream(suppressions) << "leak:libfontconfig.so\nleak:libdbus-1.so\nleak:libglib-2.0.so\nleak:libxcb\n"
                                   "leak:libX11.so\n";
    const char* inherited = std::getenv("LSAN_OPTIONS");
    return (inherited != nullptr && *inherited != '\0' ? std::string(inherited) + ":" : std::string()) +
           "suppressions=" + suppressions;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment, const std::string& outputFile) {
    // Everything the child needs is prepared before fork.
    std::vector<std::string> argvTexts{program};
    argvTexts.insert(argvTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envTexts = environment;
    std::vector<char*> argv = pointers(argvTexts);
    std::vector<char*> envp = pointers(envTexts);
    const std::string output = outputFile.empty() ? std::string("/dev/null") : outputFile;
    const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot open " + output + ": " + std::strerror(errno));

    pid_ = ::fork();
    if (pid_ < 0) {
        ::close(fd);
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    }
    if (pid_ == 0) {
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) ::dup2(null, STDIN_FILENO);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(fd);
}

ChildProcess::~ChildProcess() { terminate(); }

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!status_) {
        int raw = 0;
        const pid_t done = ::waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            status_ = statusOf(raw);
            break;
        }
        if (done < 0 && errno != EINTR) {
            status_ = -1;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(20ms);
    }
    return status_;
}

bool ChildProcess::running() { return !waitFor(0ms).has_value(); }

void ChildProcess::terminate() {
    if (pid_ > 0 && running()) {
        ::kill(pid_, SIGKILL);
        waitFor(5s);
    }
}

Stopped::Stopped(pid_t pid) : pid_(pid) {
    ::kill(pid_, SIGSTOP);
    // The signal is asynchronous: wait until every thread has stopped.
    for (int i = 0; i < 200; ++i) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WSTOPPED | WNOHANG | WNOWAIT) != 0 || info.si_pid == pid_) {
            break;
        }
        std::this_thread::sleep_for(5ms);
    }
}

Stopped::~Stopped() { ::kill(pid_, SIGCONT); }

CommandResult runCommand(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, std::chrono::milliseconds timeout) {
    char pattern[] = "/tmp/corvath-e2e-output-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0) throw std::runtime_error(std::string("mkstemp: ") + std::strerror(errno));
    ::close(fd);
    CommandResult result;
    {
        ChildProcess child(program, arguments, environment, pattern);
        result.status = child.waitFor(timeout).value_or(-1);
    }
    std::ifstream in(pattern, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    result.output = text.str();
    ::unlink(pattern);
    return result;
}

std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

}  // namespace corvath::test
