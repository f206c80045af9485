#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace corvath {

// Reads one environment variable; nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// Whether the interactive window can be shown, decided before any QApplication
// exists (Qt aborts when it finds no display): an X11 or Wayland display is
// named, or QT_QPA_PLATFORM names a platform that needs none (offscreen,
// minimal, vnc, linuxfb, eglfs and the like). QT_QPA_PLATFORM may list several
// platforms separated by ";", each with ":options"; any usable one will do.
bool displayAvailable(const EnvironmentLookup& lookup);
bool displayAvailable();

// Whether the named display answers: platform is "xcb" or "wayland", name the
// value of DISPLAY or WAYLAND_DISPLAY.
using DisplayProbe = std::function<bool(const std::string& platform, const std::string& name)>;

// As displayAvailable, and the display named must also answer the probe; Qt
// aborts on a display that is named but cannot be reached.
bool displayAvailable(const EnvironmentLookup& lookup, const DisplayProbe& reachable);

// Connects to the display the way Qt would: an X server through XCB, a Wayland
// compositor's socket in the runtime folder.
bool displayReachable(const std::string& platform, const std::string& name);

// The check every window program makes before its QApplication: false, after
// one line on err ("PROGRAM: no display ..." or "PROGRAM: cannot connect to the
// display (DISPLAY=...)", then withoutWindow, which says what to use instead),
// when the window cannot be shown.
bool checkDisplay(std::string_view program, std::string_view withoutWindow, std::ostream& err);

}  // namespace corvath
