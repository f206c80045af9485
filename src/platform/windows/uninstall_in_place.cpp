#include "platform/windows/uninstall_in_place.h"

#include <windows.h>

namespace corvath {

namespace {

constexpr int kNotStarted = 2;  // as NSIS reports an uninstall that was aborted

std::wstring ownPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// Out of the folder, into the temporary folder, to go with the next clean-up of
// it (or at the next start, where the system allows asking for that).
void moveOut(const std::wstring& self) {
    wchar_t temporary[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
    if (length > 0 && length <= MAX_PATH) {
        const std::wstring moved =
            std::wstring(temporary, length) + L"corvath-uninstall-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
        if (MoveFileExW(self.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
            MoveFileExW(moved.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            return;
        }
    }
    MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

std::wstring argumentsOf(const std::wstring& commandLine) {
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        at = commandLine.find(L'"', 1);
        at = at == std::wstring::npos ? commandLine.size() : at + 1;
    } else {
        while (at < commandLine.size() && commandLine[at] != L' ' && commandLine[at] != L'\t') ++at;
    }
    while (at < commandLine.size() && (commandLine[at] == L' ' || commandLine[at] == L'\t')) ++at;
    return commandLine.substr(at);
}

int uninstallInPlace(const std::wstring& arguments) {
    const std::wstring self = ownPath();
    const std::size_t slash = self.find_last_of(L'\\');
    if (slash == std::wstring::npos) return kNotStarted;
    const std::wstring folder = self.substr(0, slash);
    const std::wstring core = folder + L"\\uninstall-core.exe";
    // NSIS takes the folder it runs in after "_?=", last and unquoted.
    std::wstring command = L"\"" + core + L"\" " + arguments + L" _?=" + folder;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(core.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return kNotStarted;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = kNotStarted;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    // Cancelled or failed: what is left stays usable.
    if (status != 0) return static_cast<int>(status);
    DeleteFileW(core.c_str());
    moveOut(self);
    RemoveDirectoryW(folder.c_str());
    return 0;
}

}  // namespace corvath
