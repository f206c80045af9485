#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace corvath {

// Seconds since 1970 as UTC in ISO 8601 ("2026-12-09T18:27:44Z"): the same
// text whatever the reader's time zone, and sortable as text. From the
// calendar arithmetic alone, so no platform's gmtime is needed.
inline std::string utcTimeText(std::int64_t seconds) {
    using namespace std::chrono;
    const sys_seconds when{std::chrono::seconds(seconds)};
    const sys_days day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss<std::chrono::seconds> time{when - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

}  // namespace corvath
