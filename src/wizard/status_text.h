#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/split.h"

namespace corvath {

// The engine's status text split at every "|", keeping empty and extra fields.
inline std::vector<std::string> splitStatusText(std::string_view text) { return splitAt(text, '|'); }

// Field 0 without its one trailing character (a whole UTF-8 character), the
// folder being scanned.
std::string folderOfStatusField(std::string_view field0);

// Field 1 with every "scanned" removed, in any case; the rest, spaces included,
// stays as it is.
std::string countOfStatusField(std::string_view field1);

// The processed-bytes text as a count: plain decimal digits only; nothing for an
// empty text, a sign, other characters or a value past 64 bits.
std::optional<std::uint64_t> parseByteCount(std::string_view text);

}  // namespace corvath
