#pragma once

#include <string>

namespace corvath {

// The separator of the platform's folder paths: the status text puts it after
// the folder being scanned, as the one character the caller drops.
#ifdef _WIN32
inline constexpr char kFolderSeparator = '\\';
#else
inline constexpr char kFolderSeparator = '/';
#endif

// The folder a drive name is scanned as. A mount point ("/", "/home/") loses its
// trailing "/" ("/" stays "/").
std::string posixScanRoot(const std::string& drive);
// A Windows drive name ("C:") gets its "\" ("C:\"); a folder ("Z:\tmp\x\",
// "Z:/tmp/x") is taken with "\" between its parts and no trailing "\".
std::string windowsScanRoot(const std::string& drive);
// The platform's own of the two.
std::string scanRoot(const std::string& drive);

}  // namespace corvath
