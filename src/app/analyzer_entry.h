#pragma once

#include <chrono>

namespace corvath {

// The whole of corvath-analyzer, from its command line to its exit status.
// stallLimit is how long a drive may stop answering before its analysis
// fails; the program passes the engine's own, tests a shorter one.
int runAnalyzer(int argc, char** argv, std::chrono::milliseconds stallLimit);

}  // namespace corvath
