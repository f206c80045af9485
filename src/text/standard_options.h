#pragma once

#include "text/program_version.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>

namespace corvath {

// Where a program looks for its standard options.
enum class StandardOptionPlace {
    // The first argument only: the later ones are data (a value to store, a path
    // to scan, the wizard's own), which may be spelt like an option.
    First,
    // Any argument, with "-h" for "--help": for a program whose arguments are
    // all options, or a command and its options.
    Anywhere,
};

// The two options every program of the product takes: "--help" prints the
// program's help, "--version" its name and version, both on standard output.
// Returns true when the command line asked for one and it was answered;
// exitStatus is then 0, or 1 when the output could not be written.
inline bool answerStandardOption(int argc, char* const* argv, std::string_view program, std::string_view help,
                                 std::ostream& out, int& exitStatus,
                                 StandardOptionPlace place = StandardOptionPlace::First) {
    const int last = place == StandardOptionPlace::First ? std::min(argc, 2) : argc;
    for (int i = 1; i < last && argv[i] != nullptr; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || (place == StandardOptionPlace::Anywhere && argument == "-h")) {
            out << help;
        } else if (argument == "--version") {
            out << program << ' ' << kProgramVersion << '\n';
        } else {
            continue;
        }
        out.flush();
        exitStatus = out ? 0 : 1;
        return true;
    }
    return false;
}

}  // namespace corvath
