#pragma once

#include <string>
#include <string_view>

#include "text/ascii_case.h"

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

}  // namespace corvath
