#include "engine/scan_root.h"

#include <algorithm>

namespace corvath {

std::string posixScanRoot(const std::string& drive) {
    std::string root = drive;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
}

std::string windowsScanRoot(const std::string& drive) {
    std::string root = drive;
    std::replace(root.begin(), root.end(), '/', '\\');
    const bool driveLetter = root.size() >= 2 && root[1] == ':';
    if (driveLetter && root.size() == 2) return root + '\\';
    // "C:\" is the drive's root folder, "C:" alone the current folder on that drive.
    const std::size_t least = driveLetter ? 3 : 1;
    while (root.size() > least && root.back() == '\\') root.pop_back();
    return root;
}

std::string scanRoot(const std::string& drive) {
#ifdef _WIN32
    return windowsScanRoot(drive);
#else
    return posixScanRoot(drive);
#endif
}

}  // namespace corvath
