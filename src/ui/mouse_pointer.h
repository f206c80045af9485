#pragma once

namespace corvath {

// Mouse-pointer codes, numbered as the platform numbers them.
namespace pointer {
inline constexpr int kDefault = 0;
inline constexpr int kArrow = 1;
inline constexpr int kHourglass = 11;
}  // namespace pointer

// The application-wide mouse pointer, by its pointer code.
class MousePointer {
public:
    virtual ~MousePointer() = default;
    virtual int mousePointer() const = 0;
    virtual void setMousePointer(int code) = 0;
};

}  // namespace corvath
