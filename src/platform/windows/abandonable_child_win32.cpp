#include "platform/shared/abandonable_child.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace corvath {

namespace {

// Tells the program started again that it is the child, and where to report.
constexpr const wchar_t* kReportVariable = L"CORVATH_CHILD_REPORT_HANDLE";

// The report pipe's handle, when this process is the child; cleared, so that
// programs the run starts are not taken for children.
HANDLE reportHandleOfChild() {
    wchar_t value[32] = {};
    const DWORD length = GetEnvironmentVariableW(kReportVariable, value, 32);
    if (length == 0 || length >= 32) return nullptr;
    SetEnvironmentVariableW(kReportVariable, nullptr);
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::wcstoull(value, nullptr, 10)));
}

[[noreturn]] void reportAndLeave(HANDLE report, int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // Whoever reads our output sees its end now, not when a stuck thread lets go.
    for (const DWORD stream : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE h = GetStdHandle(stream);
        if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    const auto code = static_cast<DWORD>(status);
    DWORD written = 0;
    WriteFile(report, &code, sizeof code, &written, nullptr);
    // No destructors and no DLL detach: threads left behind may still hold
    // what those would free, or the loader's lock.
    TerminateProcess(GetCurrentProcess(), code);
    for (;;) Sleep(INFINITE);
}

void inheritable(HANDLE h) {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
}

// A job that ends the child when this process ends, however it ends.
void endsWithUs(HANDLE process) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(job, process)) {
        CloseHandle(job);
    }
    // Otherwise kept open until this process ends, which closes it.
}

}  // namespace

int runInAbandonableChild(const std::function<int()>& work) {
    if (HANDLE report = reportHandleOfChild()) reportAndLeave(report, work());

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return work();
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) inheritable(h);

    std::vector<wchar_t> program(MAX_PATH);
    while (GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())) >= program.size()) {
        program.resize(program.size() * 2);
    }
    std::wstring commandLine = GetCommandLineW();
    SetEnvironmentVariableW(kReportVariable,
                            std::to_wstring(reinterpret_cast<std::uintptr_t>(writeEnd)).c_str());
    PROCESS_INFORMATION child{};
    const bool started = CreateProcessW(program.data(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                        nullptr, nullptr, &startup, &child) != FALSE;
    SetEnvironmentVariableW(kReportVariable, nullptr);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return work();
    }
    endsWithUs(child.hProcess);
    ResumeThread(child.hThread);
    CloseHandle(child.hThread);

    DWORD code = 0;
    DWORD got = 0;
    const bool reported = ReadFile(readEnd, &code, sizeof code, &got, nullptr) && got == sizeof code;
    CloseHandle(readEnd);
    if (!reported) {
        // Ended without reporting (a crash): the pipe's end is closed, so it has ended.
        WaitForSingleObject(child.hProcess, INFINITE);
        GetExitCodeProcess(child.hProcess, &code);
    }
    CloseHandle(child.hProcess);
    return static_cast<int>(code);
}

}  // namespace corvath
