// Starts a program as Windows starts a window program from a command prompt
// (no standard handles of its own) and tells whether a text reached this
// program's console:  console_starter PROGRAM ARGUMENT TEXT
// Exit status 0 when it did, 1 when it did not (the console's text on
// standard error), 2 when the program could not be started or read.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\" " + argv[2];
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  // and every handle null
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return 2;
    }
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(screen, &info)) return 2;
    std::wstring shown(static_cast<std::size_t>(info.dwSize.X) * static_cast<std::size_t>(info.dwCursorPosition.Y + 1),
                       L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen, shown.data(), static_cast<DWORD>(shown.size()), COORD{0, 0}, &read);
    shown.resize(read);
    if (shown.find(argv[3]) != std::wstring::npos) return 0;
    std::fwprintf(stderr, L"the console shows: %ls\n", shown.c_str());
    return 1;
}
