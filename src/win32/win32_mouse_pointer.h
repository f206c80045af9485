#pragma once

#include "ui/mouse_pointer.h"

namespace corvath {

// The program's pointer over its windows: 0 lets each window show its own,
// 11 the hourglass, any other code the arrow.
class Win32MousePointer : public MousePointer {
public:
    int mousePointer() const override { return code_; }
    void setMousePointer(int code) override;
    // For WM_SETCURSOR: sets the pointer and gives true while a code overrides
    // the windows' own; false to let the window choose.
    bool applyOverride() const;

private:
    int code_ = pointer::kDefault;
};

}  // namespace corvath
