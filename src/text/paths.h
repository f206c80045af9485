#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/ascii_case.h"

// Paths as each platform writes them: joining a folder and a name, comparing,
// and the drive's root and name. Paths are bytes; nothing here touches a disk.

namespace corvath {

// How the platform writes paths. Windows writes "\" but takes "/" as well, so
// the Windows build reads both.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
constexpr bool isPathSeparator(char c) { return c == '\\' || c == '/'; }
// "C:\Users", "C:", "\\server\share" or "\Users".
constexpr bool isAbsolutePath(std::string_view path) {
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && isPathSeparator(path[0]));
}
#else
inline constexpr char kPathSeparator = '/';
constexpr bool isPathSeparator(char c) { return c == '/'; }
constexpr bool isAbsolutePath(std::string_view path) { return !path.empty() && path[0] == '/'; }
#endif

constexpr bool endsWithSeparator(std::string_view path) { return !path.empty() && isPathSeparator(path.back()); }

// Makes path the path of its child name, in place ("" and a root take no
// separator of their own).
inline void appendChild(std::string& path, std::string_view name) {
    if (!path.empty() && !endsWithSeparator(path)) path += kPathSeparator;
    path += name;
}

// The full path of a child of the folder at parent.
inline std::string childPath(std::string parent, std::string_view name) {
    appendChild(parent, name);
    return parent;
}

// A drive's root, which keeps its separator: "/", or "C:\" on Windows.
constexpr bool isRootPath(std::string_view path) {
#ifdef _WIN32
    if (path.size() == 3 && path[1] == ':' && isPathSeparator(path[2])) return true;
#endif
    return path.size() == 1 && isPathSeparator(path[0]);
}

// Whether two paths, or two names in one, are the same: Windows tells neither
// the case of letters nor its two separators apart.
inline bool samePath(std::string_view a, std::string_view b) {
#ifdef _WIN32
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const bool bothSeparators = isPathSeparator(a[i]) && isPathSeparator(b[i]);
        if (!bothSeparators && asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
#else
    return a == b;
#endif
}

// The path without its trailing separators; a root keeps its own.
inline std::string withoutTrailingSeparator(std::string path) {
    while (endsWithSeparator(path) && !isRootPath(path)) path.pop_back();
    return path;
}

// Whether path is folder or lies below it ("/data2" is not below "/data").
inline bool isAtOrBelow(std::string_view path, std::string_view folder) {
    if (path.size() < folder.size() || !samePath(path.substr(0, folder.size()), folder)) return false;
    return path.size() == folder.size() || endsWithSeparator(folder) || isPathSeparator(path[folder.size()]);
}

// The names on the way from root down to path (empty for root itself), or
// nullopt when path does not lie at or below root.
inline std::optional<std::vector<std::string>> partsBelow(std::string_view root, std::string_view path) {
    if (!isAtOrBelow(path, root)) return std::nullopt;
    const std::string_view rest = path.substr(root.size());
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !isPathSeparator(rest[end])) ++end;
        if (end > start) parts.emplace_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// A path that names a drive by its letter alone ("T:") stands for the drive's
// root ("T:\") where a user names a drive; every other path stays as it is.
inline std::string driveLetterAsRoot(std::string path) {
#ifdef _WIN32
    const bool letter = path.size() == 2 && path[1] == ':' &&
                        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (letter) path += kPathSeparator;
#endif
    return path;
}

// A drive root is its mount point with a trailing "/" ("/" stays "/"); a drive
// name is the mount point without it ("/", "/home"). Lists, the selection, the
// settings and the engine carry names; the platform lists roots.
//
// On Windows a root is a drive letter, a colon and a backslash ("C:\") and its
// name is the root with every "\" removed ("C:"); a name without a "\" gets one
// appended to be a root. Texts in the mount-point form keep the rule above there
// too, so the drive logic treats them alike on both systems.
#ifdef _WIN32
// "C:", "C:\" or anything holding a "\": the Windows forms.
constexpr bool inWindowsDriveForm(std::string_view path) {
    const bool letter = !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return (letter && path.size() >= 2 && path[1] == ':') || path.find('\\') != std::string_view::npos;
}
#endif

inline std::string driveNameOfRoot(std::string_view root) {
#ifdef _WIN32
    if (inWindowsDriveForm(root)) {
        std::string name(root);
        name.erase(std::remove(name.begin(), name.end(), '\\'), name.end());
        return name;
    }
#endif
    if (root.size() > 1 && root.back() == '/') root.remove_suffix(1);
    return std::string(root);
}

inline std::string rootOfDriveName(std::string_view name) {
    std::string root(name);
#ifdef _WIN32
    if (inWindowsDriveForm(name)) {
        if (root.find('\\') == std::string::npos) root += '\\';
        return root;
    }
#endif
    if (root.empty() || root.back() != '/') root += '/';
    return root;
}

}  // namespace corvath
