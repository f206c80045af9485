#pragma once

#include <QString>

#include <chrono>
#include <cstdint>

namespace corvath {

// The one way the results window writes a moment: local time, year first to
// the second ("2026-12-09 18:27:44"), as corvath-report writes it, so that
// dates sort as text and read alike in every language.
QString whenText(std::chrono::system_clock::time_point time);
QString whenText(std::int64_t secondsSinceEpoch);

}  // namespace corvath
