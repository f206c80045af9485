#include "drives/drive_paths.h"

namespace corvath {

std::string driveNameOfRoot(std::string_view root) {
    if (root.size() > 1 && root.back() == '/') {
        root.remove_suffix(1);
    }
    return std::string(root);
}

std::string rootOfDriveName(std::string_view name) {
    std::string root(name);
    if (root.empty() || root.back() != '/') {
        root += '/';
    }
    return root;
}

}  // namespace corvath
