#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvath {

// A key path as the store keeps it: components joined by "\", no leading or
// trailing separator, "" for the hive itself. One trailing "\" is accepted and
// dropped, as the registry does; a leading "\" or an empty component is not a
// key path at all.
std::optional<std::string> normalizeKeyPath(std::string_view path);

}  // namespace corvath
