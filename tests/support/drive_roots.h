#pragma once

#include <string>
#include <vector>

namespace corvath::test {

// The roots of a NUL-separated, NUL-closed root list, in order.
inline std::vector<std::string> splitDriveRoots(const std::string& roots) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < roots.size()) {
        const std::size_t end = roots.find('\0', start);
        if (end == start || end == std::string::npos) break;
        out.push_back(roots.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

}  // namespace corvath::test
