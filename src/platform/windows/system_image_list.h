#pragma once

#include <windows.h>
#include <commctrl.h>

namespace corvath {

// The shell's system small image list, which the drives' icon indexes point
// into; null when the shell cannot give it. The shell owns it: never destroy it.
HIMAGELIST systemSmallImageList();

}  // namespace corvath
