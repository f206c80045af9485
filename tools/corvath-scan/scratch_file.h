#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/posix/unique_fd.h"

namespace corvath {

// The file the export's entries wait in until the walk is over: read and
// written by one process, and gone with it however it ends. Throws ExportError.
UniqueFd createScratchFile(const std::string& folder);

// Reads up to size bytes at offset: the count read (0 at the end), or -1 with
// the reason in reason.
long long readScratchAt(int fd, char* buffer, std::size_t size, std::uint64_t offset, std::string& reason);

}  // namespace corvath
