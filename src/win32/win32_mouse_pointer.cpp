#include "win32/win32_mouse_pointer.h"

#include <windows.h>

namespace corvath {

namespace {

HCURSOR cursorFor(int code) { return LoadCursor(nullptr, code == pointer::kHourglass ? IDC_WAIT : IDC_ARROW); }

}  // namespace

void Win32MousePointer::setMousePointer(int code) {
    code_ = code;
    // At once, not only at the next mouse move: the work that follows may keep
    // the window from handling messages for a while.
    SetCursor(cursorFor(code));
}

bool Win32MousePointer::applyOverride() const {
    if (code_ == pointer::kDefault) return false;
    SetCursor(cursorFor(code_));
    return true;
}

}  // namespace corvath
