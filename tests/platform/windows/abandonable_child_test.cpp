#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Outcome {
    DWORD process = 0;  // the one started
    DWORD status = 0;
    std::string output;
};

// Runs the probe beside this test program with its output on a pipe.
Outcome runProbe(const std::string& arguments) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string probe = self;
    probe = probe.substr(0, probe.find_last_of('\\') + 1) + "child_run_probe.exe";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::string commandLine = "\"" + probe + "\" " + arguments;
    PROCESS_INFORMATION process{};
    Outcome outcome;
    if (!CreateProcessA(probe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "cannot start " << probe;
        return outcome;
    }
    CloseHandle(writeEnd);
    outcome.process = process.dwProcessId;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) outcome.output.append(buffer, got);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, 30000);
    GetExitCodeProcess(process.hProcess, &outcome.status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return outcome;
}

TEST(AbandonableChild, TheWorkRunsInAChildWhoseStatusAndOutputReachTheCaller) {
    const Outcome ok = runProbe("status 7");
    EXPECT_EQ(ok.status, 7U);
    unsigned long worker = 0;
    ASSERT_EQ(std::sscanf(ok.output.c_str(), "work in %lu", &worker), 1) << ok.output;
    EXPECT_NE(worker, ok.process);

    // A child that ends without reporting ends the caller with its own status.
    const Outcome crashed = runProbe("crash 9");
    EXPECT_EQ(crashed.status, 9U);
    EXPECT_NE(crashed.output.find("work in"), std::string::npos);
}

}  // namespace
