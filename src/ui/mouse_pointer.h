#pragma once

namespace corvath {

// The application-wide mouse pointer, by the platform's pointer codes
// (0 default, 1 arrow, 11 hourglass).
class MousePointer {
public:
    virtual ~MousePointer() = default;
    virtual int mousePointer() const = 0;
    virtual void setMousePointer(int code) = 0;
};

}  // namespace corvath
