#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/folder_table.h"

namespace corvath {

struct ExportHeader {
    std::string progver;
    std::int64_t timestamp = 0;
    std::string rootName;        // the scanned folder as an absolute path
    std::uint64_t rootDevice = 0;
};

// Writes a scan kept with all its entries in ncdu's JSON export format (major
// version 1, minor 2), names byte for byte as ncdu writes them. The folders'
// totals must not have been summed up. Returns false on a write error.
bool writeNcduExport(std::FILE* out, const ExportHeader& header, const FolderTable& folders);

// A JSON string as ncdu writes one: control characters escaped, every other
// byte (invalid UTF-8 included) as it is.
std::string ncduString(const std::string& text);

}  // namespace corvath
