#include "platform/windows/win32_file_manager.h"

#include <windows.h>
#include <shellapi.h>

namespace corvath {

std::string explorerParameters(const std::string& root) { return "/e, " + root; }

void Win32FileManager::open(const std::string& root) {
    const std::string parameters = explorerParameters(root);
    ShellExecuteA(GetDesktopWindow(), "open", "explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace corvath
