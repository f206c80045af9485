#include "support/run_program.h"

#include "support/temp_dir.h"

#include <csignal>
#include <fcntl.h>
#include <thread>
#include <spawn.h>
#include <sys/wait.h>

namespace corvath::test {

namespace {

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& s : strings) {
        result.push_back(s.data());
    }
    result.push_back(nullptr);
    return result;
}

}  // namespace

ProgramRun runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
    return runProgram(argv, environment, std::chrono::milliseconds::max());
}

ProgramRun runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                      std::chrono::milliseconds limit) {
    TempDir output;
    std::vector<std::string> args = argv;
    std::vector<std::string> env = environment;
    const std::string outFile = (output / "out").string();
    const std::string errFile = (output / "err").string();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    ProgramRun run;
    pid_t pid = 0;
    if (posix_spawnp(&pid, args.front().c_str(), &actions, nullptr, pointers(args).data(), pointers(env).data()) ==
        0) {
        int status = 0;
        if (limit == std::chrono::milliseconds::max()) {
            while (::waitpid(pid, &status, 0) < 0) {
            }
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        } else {
            const auto deadline = std::chrono::steady_clock::now() + limit;
            pid_t ended = 0;
            while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            if (ended == pid) {
                run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            } else {
                run.timedOut = true;
                ::kill(pid, SIGKILL);
            }
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readFile(outFile);
    run.err = readFile(errFile);
    return run;
}

}  // namespace corvath::test
