#pragma once

#include "wizard/wizard_window_core.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace corvath::test {

// A toolkit's real wizard window in a test, and what a user does to it. Each
// toolkit's window tests supply makeWindowDriver; the contract suite
// (wizard_window_contract_test.cpp) runs the same cases over each of them.
class WindowDriver {
public:
    struct Rect {
        int left, top, width, height;
        friend bool operator==(const Rect&, const Rect&) = default;
    };

    virtual ~WindowDriver() = default;
    virtual WizardWindowCore& window() = 0;
    virtual void click(Control control) = 0;  // with the mouse
    virtual void focus(Control control) = 0;  // as Tab or a click would, the window active
    virtual void pressAlt(char key) = 0;      // Alt with the key, the window active
    virtual void pressCloseBox() = 0;         // as the window manager's close box does
    virtual void runEventsFor(std::chrono::milliseconds duration) = 0;
    virtual bool onScreen() const = 0;
    virtual Rect clientSize() const = 0;                 // left and top 0
    virtual Rect rectInWindow(Control control) const = 0;  // client coordinates, pixels
    virtual std::optional<Control> focused() const = 0;
    virtual bool isBold(Control control) const = 0;
    // Closes each message box that opens with its first button, handing its text to seen.
    virtual void answerMessageBoxes(std::function<void(const std::string&)> seen) = 0;
};

std::unique_ptr<WindowDriver> makeWindowDriver(WizardEvents& events);

}  // namespace corvath::test
