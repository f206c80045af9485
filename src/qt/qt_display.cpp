#include "qt/qt_display.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace corvath {
namespace {

bool isSet(const EnvironmentLookup& lookup, const char* name) {
    const char* value = lookup(name);
    return value != nullptr && *value != '\0';
}

bool answers(const EnvironmentLookup& lookup, const DisplayProbe& reachable, const char* variable,
             const char* platform) {
    return isSet(lookup, variable) && (!reachable || reachable(platform, lookup(variable)));
}

bool platformUsable(std::string_view platform, const EnvironmentLookup& lookup, const DisplayProbe& reachable) {
    constexpr std::array<std::string_view, 7> kNeedNoDisplay{"offscreen",  "minimal", "minimalegl", "vnc",
                                                             "linuxfb", "eglfs",   "vkkhrdisplay"};
    for (const auto name : kNeedNoDisplay) {
        if (platform == name) return true;
    }
    if (platform == "xcb") return answers(lookup, reachable, "DISPLAY", "xcb");
    if (platform.substr(0, 7) == "wayland") return answers(lookup, reachable, "WAYLAND_DISPLAY", "wayland");
    return false;
}

}  // namespace

bool displayAvailable(const EnvironmentLookup& lookup) { return displayAvailable(lookup, DisplayProbe()); }

bool displayAvailable(const EnvironmentLookup& lookup, const DisplayProbe& reachable) {
    const char* requested = lookup("QT_QPA_PLATFORM");
    if (requested == nullptr || *requested == '\0') {
        return answers(lookup, reachable, "WAYLAND_DISPLAY", "wayland") ||
               answers(lookup, reachable, "DISPLAY", "xcb");
    }
    std::string_view list(requested);
    while (!list.empty()) {
        const auto end = list.find(';');
        std::string_view entry = list.substr(0, end);
        entry = entry.substr(0, entry.find(':'));
        if (platformUsable(entry, lookup, reachable)) return true;
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return false;
}

bool displayReachable(const std::string& platform, const std::string& name) {
    if (platform == "xcb") {
        xcb_connection_t* connection = xcb_connect(name.c_str(), nullptr);
        const bool connected = xcb_connection_has_error(connection) == 0;
        xcb_disconnect(connection);
        return connected;
    }
    // A relative name lies in the runtime folder, as the Wayland client library
    // looks for it.
    std::filesystem::path socket(name);
    if (socket.is_relative()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime == nullptr || *runtime == '\0') return false;
        socket = std::filesystem::path(runtime) / socket;
    }
    std::error_code error;
    return std::filesystem::is_socket(socket, error);
}

bool displayAvailable() {
    return displayAvailable([](const char* name) -> const char* { return std::getenv(name); });
}

bool checkDisplay(std::string_view program, std::string_view withoutWindow, std::ostream& err) {
    if (!displayAvailable()) {
        err << program << ": no display to show the window on (DISPLAY and WAYLAND_DISPLAY are unset)" << withoutWindow;
        return false;
    }
    const EnvironmentLookup environment = [](const char* name) -> const char* { return std::getenv(name); };
    if (displayAvailable(environment, displayReachable)) return true;
    std::string named;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') continue;
        named += std::string(named.empty() ? "" : ", ") + variable + "=" + value;
    }
    err << program << ": cannot connect to the display (" << named << ")" << withoutWindow;
    return false;
}

}  // namespace corvath
