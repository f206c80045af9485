#pragma once

#include <string>

#include "buffered_output.h"
#include "results/scan_reader.h"

namespace corvath {

// Writes a stored scan in ncdu's JSON export format. A stored scan keeps its
// folders and largest files, not every file: each folder carries the bytes of
// the files not kept as its own size, so every folder's total is the stored
// one, and the kept files appear under their folders.
void writeStoredNcduExport(BufferedOutput& out, const ScanReader& reader, const StoredScan& scan,
                           const std::string& progver);

}  // namespace corvath
