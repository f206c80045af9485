#pragma once

#include "text/program_version.h"

#include <ostream>
#include <string>
#include <string_view>

namespace corvath {

// The two options every program of the product takes as its first argument:
// "--help" prints the program's help, "--version" its name and version, both
// on standard output. Returns true when the command line asked for one and it
// was answered; exitStatus is then 0, or 1 when the output could not be written.
inline bool answerStandardOption(int argc, char* const* argv, std::string_view program, std::string_view help,
                                 std::ostream& out, int& exitStatus) {
    if (argc < 2 || argv[1] == nullptr) return false;
    const std::string_view first = argv[1];
    if (first == "--help") {
        out << help;
    } else if (first == "--version") {
        out << program << ' ' << kProgramVersion << '\n';
    } else {
        return false;
    }
    out.flush();
    exitStatus = out ? 0 : 1;
    return true;
}

}  // namespace corvath
