#include "results/scan_time.h"

#include <cstdio>
#include <ctime>

#include "results/results_error.h"

namespace corvath {

std::string utcText(std::chrono::system_clock::time_point when) {
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000);
    std::tm parts{};
    ::gmtime_r(&seconds, &parts);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    return std::string(text, length) + "." + std::to_string(1000 + milliseconds % 1000).substr(1) + "Z";
}

std::chrono::system_clock::time_point fromUtcText(const std::string& text) {
    std::tm parts{};
    int milliseconds = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ%n", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
                    &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &milliseconds, &consumed) != 7 ||
        static_cast<std::size_t>(consumed) != text.size()) {
        throw ResultsError("the scans database holds a time that is not one: \"" + text + "\"");
    }
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    return std::chrono::system_clock::from_time_t(::timegm(&parts)) + std::chrono::milliseconds(milliseconds);
}

}  // namespace corvath
