#pragma once

#include <cstddef>
#include <filesystem>

namespace corvath::test {

// Fills root with `folders` folders (spread over sub-folders of 100) holding
// `emptyFiles` empty files each, plus one file of dataBytes in every folder, so
// that a scan has many entries to walk and bytes to count.
void fillTree(const std::filesystem::path& root, std::size_t folders, std::size_t emptyFiles, std::size_t dataBytes);

}  // namespace corvath::test
