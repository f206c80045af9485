#pragma once

#include <functional>
#include <string>

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

}  // namespace corvath
