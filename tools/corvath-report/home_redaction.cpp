#include "home_redaction.h"

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "text/paths.h"

namespace corvath {

namespace {

// FNV-1a: fixed by its definition, so the pseudonym never changes with the
// build or the platform.
std::string pseudonym(std::string_view name) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    char text[16];
    std::snprintf(text, sizeof text, "user-%08x", static_cast<unsigned>((hash >> 32) ^ hash));
    return text;
}

struct Part {
    std::size_t start, length;
};

std::vector<Part> partsOf(std::string_view path) {
    std::vector<Part> parts;
    for (std::size_t at = 0; at < path.size();) {
        if (isPathSeparator(path[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < path.size() && !isPathSeparator(path[end])) ++end;
        parts.push_back({at, end - at});
        at = end;
    }
    return parts;
}

bool partIs(std::string_view path, const Part& part, std::string_view name) {
    return samePath(path.substr(part.start, part.length), name);
}

// Which part of path names a user, or -1.
int userPart(std::string_view path, std::size_t mountParts) {
    const std::vector<Part> parts = partsOf(path);
#ifdef _WIN32
    if (parts.size() >= 3 && inWindowsDriveForm(path) && partIs(path, parts[1], "Users")) return 2;
#endif
    if (parts.size() >= 2 && partIs(path, parts[0], "home")) return 1;
    // udisks's /media/USER/LABEL: only on a drive mounted that deep, so that
    // a drive of its own at /media/usb keeps its name.
    if (mountParts >= 3 && partIs(path, parts[0], "media")) return 1;
    if (mountParts >= 4 && partIs(path, parts[0], "run") && partIs(path, parts[1], "media")) return 2;
    return -1;
}

}  // namespace

std::string redactedHomePath(const std::string& path, const std::string& mountPoint) {
    const int user = userPart(path, partsOf(mountPoint).size());
    if (user < 0) return path;
    const Part part = partsOf(path)[static_cast<std::size_t>(user)];
    return path.substr(0, part.start) + pseudonym(std::string_view(path).substr(part.start, part.length)) +
           path.substr(part.start + part.length);
}

}  // namespace corvath
