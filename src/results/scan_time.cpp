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
    // Our first version wrote whole seconds ("…T10:00:00Z"); later ones add milliseconds.
    const bool withMilliseconds =
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ%n", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
                    &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &milliseconds, &consumed) == 7 &&
        static_cast<std::size_t>(consumed) == text.size();
    if (!withMilliseconds) {
        milliseconds = 0;
        consumed = 0;
        if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
                        &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &consumed) != 6 ||
            static_cast<std::size_t>(consumed) != text.size()) {
            throw ResultsError("the scans database holds a time that is not one: \"" + text + "\"");
        }
    }
    // Counted from the calendar as timegm counts (which Windows lacks), a field
    // out of its range carried into the next.
    using namespace std::chrono;
    const int monthsSinceYear0 = parts.tm_year * 12 + parts.tm_mon - 1;
    const int yearOf = monthsSinceYear0 >= 0 ? monthsSinceYear0 / 12 : (monthsSinceYear0 - 11) / 12;
    const sys_days firstOfMonth =
        year_month_day(year(yearOf), month(static_cast<unsigned>(monthsSinceYear0 - yearOf * 12 + 1)), day(1));
    return firstOfMonth + days(parts.tm_mday - 1) + hours(parts.tm_hour) + minutes(parts.tm_min) +
           seconds(parts.tm_sec) + std::chrono::milliseconds(milliseconds);
}

}  // namespace corvath
