#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace corvath::test {

// An Xvfb of its own on a free display number, stopped when this goes.
class XServer {
public:
    XServer() = default;
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // False when no display number could be started.
    bool start(const std::string& xvfb);
    void stop();
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// A top-level window on that display, driven from outside with xdotool and
// captured with ImageMagick's import, as a user and a screen recorder would.
class XWindow {
public:
    XWindow(std::string xdotool, std::string import, std::vector<std::string> environment)
        : xdotool_(std::move(xdotool)), import_(std::move(import)), environment_(std::move(environment)) {}

    // The first visible window whose name is exactly `name`, other than the
    // window `besides`; false when none.
    bool find(const std::string& name, const std::string& besides = {});
    // Clicks the left button at a point of the window's client area, in pixels.
    bool click(int x, int y) const;
    // Gives the window the keyboard focus and presses a key (an X keysym name,
    // "Return") as the keyboard would.
    bool key(const std::string& keysym) const;
    // Unmaps the window and maps it again, as minimising and restoring it does
    // (without a window manager there is nothing else to do either): its
    // contents are gone until the program paints them again.
    bool remap() const;
    // How many visible windows are named exactly `name`.
    int countNamed(const std::string& name) const;
    // Saves the window's client area as a PNG; false when the capture failed.
    bool capture(const std::string& pngFile) const;
    const std::string& id() const { return id_; }

private:
    std::string xdotool_;
    std::string import_;
    std::vector<std::string> environment_;
    std::string id_;
};

}  // namespace corvath::test
