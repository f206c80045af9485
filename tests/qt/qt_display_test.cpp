#include "qt/qt_display.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace corvath {
namespace {

bool availableWith(const std::map<std::string, std::string>& env) {
    return displayAvailable([&env](const char* name) -> const char* {
        const auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    });
}

TEST(DisplayAvailable, NeedsAnX11OrWaylandDisplayByDefault) {
    EXPECT_FALSE(availableWith({}));
    EXPECT_FALSE(availableWith({{"DISPLAY", ""}}));
    EXPECT_TRUE(availableWith({{"DISPLAY", ":0"}}));
    EXPECT_TRUE(availableWith({{"WAYLAND_DISPLAY", "wayland-0"}}));
}

TEST(DisplayAvailable, PlatformsThatNeedNoDisplayAreEnough) {
    EXPECT_TRUE(availableWith({{"QT_QPA_PLATFORM", "offscreen"}}));
    EXPECT_TRUE(availableWith({{"QT_QPA_PLATFORM", "minimal"}}));
    EXPECT_TRUE(availableWith({{"QT_QPA_PLATFORM", "vnc:size=800x600"}}));
}

TEST(DisplayAvailable, ANamedPlatformStillNeedsItsDisplay) {
    EXPECT_FALSE(availableWith({{"QT_QPA_PLATFORM", "xcb"}}));
    EXPECT_TRUE(availableWith({{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1"}}));
    EXPECT_FALSE(availableWith({{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}}));
    EXPECT_FALSE(availableWith({{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":1"}}));
    EXPECT_TRUE(availableWith({{"QT_QPA_PLATFORM", "wayland-egl"}, {"WAYLAND_DISPLAY", "wayland-0"}}));
    EXPECT_FALSE(availableWith({{"QT_QPA_PLATFORM", "nonsense"}, {"DISPLAY", ":1"}}));
}

TEST(DisplayAvailable, AnyUsableEntryOfAFallbackListWillDo) {
    EXPECT_TRUE(availableWith({{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":1"}}));
    EXPECT_FALSE(availableWith({{"QT_QPA_PLATFORM", "wayland;xcb"}}));
    EXPECT_TRUE(availableWith({{"QT_QPA_PLATFORM", "xcb;offscreen"}}));
}

TEST(DisplayAvailable, ANamedDisplayMustAlsoAnswer) {
    const std::map<std::string, std::string> env{{"DISPLAY", ":99"}};
    const auto lookup = [&env](const char* name) -> const char* {
        const auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    std::string asked;
    EXPECT_FALSE(displayAvailable(lookup, [&](const std::string& platform, const std::string& name) {
        asked = platform + " " + name;
        return false;
    }));
    EXPECT_EQ(asked, "xcb :99");
    EXPECT_TRUE(displayAvailable(lookup, [](const std::string&, const std::string&) { return true; }));
    // No server listens on a display whose socket does not exist.
    EXPECT_FALSE(displayReachable("xcb", ":187"));
    EXPECT_FALSE(displayReachable("wayland", "/nonexistent/wayland-0"));
}

}  // namespace
}  // namespace corvath
