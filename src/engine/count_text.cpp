#include "engine/count_text.h"

#include <sstream>
#include <stdexcept>

namespace corvath {

std::locale userLocale() {
    try {
        return std::locale("");
    } catch (const std::runtime_error&) {
        return std::locale::classic();
    }
}

std::string countText(std::uint64_t files, std::uint64_t folders, const std::locale& locale) {
    std::ostringstream text;
    text.imbue(locale);
    text << files << " files, " << folders << " folders scanned";
    return text.str();
}

}  // namespace corvath
