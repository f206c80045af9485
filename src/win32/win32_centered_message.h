#pragma once

#include <windows.h>

#include <string>

namespace corvath {

// A modal message box owned by owner and centred on it: a hook on this thread
// catches the box as it is activated and moves it before it is first seen.
// Returns the button code of MessageBoxA.
int showCenteredMessageBox(HWND owner, const std::string& text, int style, const std::string& title,
                           double twipsPerPixelX, double twipsPerPixelY);

}  // namespace corvath
