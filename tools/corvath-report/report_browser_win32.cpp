#include "report_browser.h"

#include <windows.h>
#include <shellapi.h>

namespace corvath {

// The program runs with UTF-8 as its code page (windows_program.manifest), so
// the A call takes the path as the rest of the program holds it.
void openInBrowser(const std::string& file) {
    ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace corvath
