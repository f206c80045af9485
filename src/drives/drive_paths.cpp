#include "drives/drive_paths.h"

#include <algorithm>

namespace corvath {

namespace {

#ifdef _WIN32
constexpr char kBackslash = '\\';

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "C:", "C:\" or anything holding a "\": the Windows forms.
bool inWindowsForm(std::string_view path) {
    const bool letterColon = path.size() >= 2 && isLetter(path[0]) && path[1] == ':';
    return letterColon || path.find(kBackslash) != std::string_view::npos;
}
#endif

}  // namespace

std::string driveNameOfRoot(std::string_view root) {
#ifdef _WIN32
    if (inWindowsForm(root)) {
        std::string name(root);
        name.erase(std::remove(name.begin(), name.end(), kBackslash), name.end());
        return name;
    }
#endif
    if (root.size() > 1 && root.back() == '/') {
        root.remove_suffix(1);
    }
    return std::string(root);
}

std::string rootOfDriveName(std::string_view name) {
    std::string root(name);
#ifdef _WIN32
    if (inWindowsForm(name)) {
        if (root.find(kBackslash) == std::string::npos) {
            root += kBackslash;
        }
        return root;
    }
#endif
    if (root.empty() || root.back() != '/') {
        root += '/';
    }
    return root;
}

}  // namespace corvath
