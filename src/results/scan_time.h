#pragma once

#include <chrono>
#include <string>

namespace corvath {

// Times in the database: UTC, "YYYY-MM-DDTHH:MM:SS.mmmZ", so that they sort as text.
// Reading also takes whole seconds ("YYYY-MM-DDTHH:MM:SSZ"), as our first version wrote them.
std::string utcText(std::chrono::system_clock::time_point when);
// Throws ResultsError on text not in that form.
std::chrono::system_clock::time_point fromUtcText(const std::string& text);

}  // namespace corvath
