#pragma once

namespace corvath {

// The results window's name: its title, its desktop entry and its boxes' titles.
inline constexpr const char* kResultsName = "Corvath Results";

// What the window says when there is nothing to show yet.
inline constexpr const char* kNoScansTitle = "No scans yet";
inline constexpr const char* kNoScansHelp =
    "Analyze a drive first: start Corvath Analyzer and choose the drives to analyze, or run "
    "\"corvath-analyzer -auto\" to analyze the remembered drives without a window. "
    "The results appear here.";

}  // namespace corvath
