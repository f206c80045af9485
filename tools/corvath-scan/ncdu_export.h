#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "buffered_output.h"
#include "engine/folder_table.h"
#include "entry_spill.h"

namespace corvath {

struct ExportHeader {
    std::string progver;
    std::int64_t timestamp = 0;
    std::string rootName;        // the scanned folder as an absolute path
    std::uint64_t rootDevice = 0;
};

// Lays out a finished scan in ncdu's JSON export format (major version 1, minor
// 2), names byte for byte as ncdu writes them: one pass over the folders, depth
// first, each folder followed by its entries from the spill, then its
// sub-folders. The folders' totals must not have been summed up. Asks cancelled()
// between folders and returns false when it says so; throws ExportError.
bool writeNcduExport(BufferedOutput& out, const ExportHeader& header, const FolderTable& folders, EntrySpill& spill,
                     const std::function<bool()>& cancelled);

// A JSON string as ncdu writes one.
std::string ncduString(std::string_view text);

}  // namespace corvath
