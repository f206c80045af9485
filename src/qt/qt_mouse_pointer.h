#pragma once

#include "ui/mouse_pointer.h"

namespace corvath {

// The application-wide pointer as QGuiApplication's override cursor: code 0
// removes our override (every widget shows its own), 1 is the arrow, 11 the
// hourglass; the other platform codes map onto their nearest Qt shapes. Only the
// override this object pushed is ever removed, so others' overrides survive.
class QtMousePointer : public MousePointer {
public:
    QtMousePointer() = default;
    ~QtMousePointer() override;
    QtMousePointer(const QtMousePointer&) = delete;
    QtMousePointer& operator=(const QtMousePointer&) = delete;

    int mousePointer() const override { return code_; }
    void setMousePointer(int code) override;

private:
    int code_ = 0;
    bool overridden_ = false;
};

}  // namespace corvath
