// The user's grouping on POSIX systems: the locale the environment names.
#include "engine/count_text.h"

#include <stdexcept>

namespace corvath {

DigitGrouping userDigitGrouping() {
    try {
        return digitGroupingOf(std::locale(""));
    } catch (const std::runtime_error&) {
        return {};  // a locale that does not exist: no grouping, as the classic locale
    }
}

}  // namespace corvath
