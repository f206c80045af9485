#pragma once

#include <cstdint>
#include <string>

namespace corvath::test {

// Totals of an ncdu JSON export, summed the way ncdu does: a hard-linked inode
// once, excluded folders as items without size.
struct ExportTotals {
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
    std::uint64_t readErrors = 0;
    std::string progname;
    std::string rootName;
};

// Throws std::runtime_error on anything that is not a well-formed export.
ExportTotals readExportTotals(const std::string& json);

}  // namespace corvath::test
