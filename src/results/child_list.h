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

// A list as the changes from another (the same folder in an earlier scan): the
// number of ids removed, the removed ids, then the added ids.
std::string encodeEdits(std::vector<std::int64_t> removed, std::vector<std::int64_t> added);
// The base list with the edits applied, in ascending order.
std::vector<std::int64_t> applyEdits(std::vector<std::int64_t> base, std::string_view edits);
// The ids an edit adds (all that it refers to besides its base's).
std::vector<std::int64_t> addedByEdits(std::string_view edits);
// The ids of its base's list that an edit takes away, ascending.
std::vector<std::int64_t> removedByEdits(std::string_view edits);

}  // namespace corvath
