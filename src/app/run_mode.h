#pragma once

#include <string>

namespace corvath {

// The arguments after the program's name, joined by single spaces.
std::string commandLineOf(int argc, const char* const* argv);

// "-auto" anywhere in the command line, in any case, even inside a longer word,
// asks for the unattended run.
bool commandLineAsksUnattended(const std::string& commandLine);

}  // namespace corvath
