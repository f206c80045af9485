#pragma once

#include <string>

namespace corvath {

// What uninstall.exe does. An NSIS uninstaller started as it is runs a copy of
// itself from the temporary folder and returns at once, so a script that runs
// "uninstall.exe /S" goes on while the product is still there. This runs the
// uninstaller proper (uninstall-core.exe, beside this program) in place, which
// waits, passing on the arguments (/S); once it has succeeded, removes it,
// moves this program out of the folder (a running program can be moved but not
// deleted) and removes the folder. Returns the uninstaller's exit status, or
// 2 when it could not be started.
int uninstallInPlace(const std::wstring& arguments);

// The command line's arguments after the program's name, as typed.
std::wstring argumentsOf(const std::wstring& commandLine);

}  // namespace corvath
