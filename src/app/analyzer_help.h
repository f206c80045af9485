#pragma once

#include <string>
#include <string_view>

namespace corvath {

// corvath-analyzer's --help; each platform adds its exit statuses and where it
// keeps the settings and the results.
inline std::string analyzerHelp(std::string_view exitStatus, std::string_view storage) {
    std::string help =
        "Usage: corvath-analyzer [-auto]\n"
        "Analyzes how the space on your drives is used.\n"
        "\n"
        "Without arguments it opens the wizard: tick the drives to analyze and press\n"
        "Next; the progress of each drive shows until the analysis is done.\n"
        "\n"
        "  -auto      analyze the remembered drives (or every fixed drive) without a\n"
        "             window, as the weekly timer does\n"
        "  --help     show this help and exit\n"
        "  --version  show the version and exit\n"
        "\n";
    help.append(exitStatus).append(storage);
    return help;
}

}  // namespace corvath
