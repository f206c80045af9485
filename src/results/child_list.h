#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

// A folder's sub-folders as stored: their node ids in ascending order, each as
// the difference from the one before in 7-bit groups. Sibling folders stored
// together have neighbouring ids, so most take one byte.
std::string encodeChildren(std::vector<std::int64_t> ids);  // sorts them
// Throws ResultsError on bytes that are not such a list.
std::vector<std::int64_t> decodeChildren(std::string_view bytes);

}  // namespace corvath
