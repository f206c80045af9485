#pragma once

#include <string>

#include "text/paths.h"

namespace corvath {

// The folder a drive name is scanned as. A mount point ("/", "/home/") loses its
// trailing "/" ("/" stays "/").
std::string posixScanRoot(const std::string& drive);
// A Windows drive name ("C:") gets its "\" ("C:\"); a folder ("Z:\tmp\x\",
// "Z:/tmp/x") is taken with "\" between its parts and no trailing "\".
std::string windowsScanRoot(const std::string& drive);
// The platform's own of the two.
std::string scanRoot(const std::string& drive);

}  // namespace corvath
