#pragma once

#include <string>

namespace corvath {

// Opens a page in the user's default browser and does not wait for it:
// xdg-open on Linux (started directly, no shell, detached), ShellExecute on
// Windows. Whether a browser came up is not examined.
void openInBrowser(const std::string& file);

}  // namespace corvath
