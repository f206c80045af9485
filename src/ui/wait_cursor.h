#pragma once

#include "ui/mouse_pointer.h"

namespace corvath {

// Sets the application-wide pointer for a stretch of work and puts back the one
// it found when it is told to or when it goes.
class WaitCursor {
public:
    explicit WaitCursor(MousePointer& pointer) : pointer_(pointer), saved_(pointer.mousePointer()) {}
    ~WaitCursor() { Restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    void SetCursor(int code) { pointer_.setMousePointer(code); }
    void Restore() { pointer_.setMousePointer(saved_); }

private:
    MousePointer& pointer_;
    int saved_;
};

}  // namespace corvath
