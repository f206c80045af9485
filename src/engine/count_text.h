#pragma once

#include <cstdint>
#include <locale>
#include <string>

namespace corvath {

// The user's locale for grouping digits ("1,234,567" or "1.234.567"); the
// classic locale when the environment names one that does not exist.
std::locale userLocale();

// "N files, M folders scanned", the numbers grouped in the given locale.
std::string countText(std::uint64_t files, std::uint64_t folders, const std::locale& locale);

}  // namespace corvath
