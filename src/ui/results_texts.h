#pragma once

namespace corvath {

// The results window's name: its title, its desktop entry and its boxes' titles.
inline constexpr const char* kResultsName = "Corvath Results";

}  // namespace corvath
