#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace corvath::test {

// The environment of this process with some variables replaced or added.
std::vector<std::string> environmentWith(const std::map<std::string, std::string>& overrides);

// LSAN_OPTIONS for a program of ours under LeakSanitizer: leaks inside the
// system libraries under Qt (D-Bus, fontconfig, X) would fail its exit status;
// ours still count. Writes the suppressions file into folder.
std::string leakCheckOptions(const std::string& folder);

// A program started in the background; killed (SIGKILL) and reaped when this goes
// if it is still running.
class ChildProcess {
public:
    // Starts program with its arguments and environment; standard output and
    // error go to outputFile (appended), or /dev/null when it is empty. Throws
    // when the program cannot be started.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, const std::string& outputFile = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // The exit status once the program has ended: the exit code, or 128 + the
    // signal that ended it. Nothing when it is still running after timeout.
    std::optional<int> waitFor(std::chrono::milliseconds timeout);
    bool running();
    void terminate();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Holds a running program still (SIGSTOP) for as long as this lives.
class Stopped {
public:
    explicit Stopped(pid_t pid);
    ~Stopped();
    Stopped(const Stopped&) = delete;
    Stopped& operator=(const Stopped&) = delete;

private:
    pid_t pid_;
};

struct CommandResult {
    int status = -1;  // as ChildProcess::waitFor; -1 when it did not end in time
    std::string output;  // standard output and error together
};

// Runs a command to its end (killed after timeout) and collects its output.
CommandResult runCommand(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment,
                         std::chrono::milliseconds timeout = std::chrono::seconds(20));

// The full path of a program found on PATH, or empty.
std::string findOnPath(const std::string& program);

}  // namespace corvath::test
