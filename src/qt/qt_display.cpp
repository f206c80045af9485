#include "qt/qt_display.h"

#include <array>
#include <cstdlib>
#include <string_view>

namespace corvath {
namespace {

bool isSet(const EnvironmentLookup& lookup, const char* name) {
    const char* value = lookup(name);
    return value != nullptr && *value != '\0';
}

bool platformUsable(std::string_view platform, const EnvironmentLookup& lookup) {
    constexpr std::array<std::string_view, 7> kNeedNoDisplay{"offscreen",  "minimal", "minimalegl", "vnc",
                                                             "linuxfb", "eglfs",   "vkkhrdisplay"};
    for (const auto name : kNeedNoDisplay) {
        if (platform == name) return true;
    }
    if (platform == "xcb") return isSet(lookup, "DISPLAY");
    if (platform.substr(0, 7) == "wayland") return isSet(lookup, "WAYLAND_DISPLAY");
    return false;
}

}  // namespace

bool displayAvailable(const EnvironmentLookup& lookup) {
    const char* requested = lookup("QT_QPA_PLATFORM");
    if (requested == nullptr || *requested == '\0') {
        return isSet(lookup, "DISPLAY") || isSet(lookup, "WAYLAND_DISPLAY");
    }
    std::string_view list(requested);
    while (!list.empty()) {
        const auto end = list.find(';');
        std::string_view entry = list.substr(0, end);
        entry = entry.substr(0, entry.find(':'));
        if (platformUsable(entry, lookup)) return true;
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return false;
}

bool displayAvailable() {
    return displayAvailable([](const char* name) -> const char* { return std::getenv(name); });
}

}  // namespace corvath
