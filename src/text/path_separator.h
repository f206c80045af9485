#pragma once

#include <string_view>

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

// A drive's root, which keeps its separator: "/", or "C:\" on Windows.
constexpr bool isRootPath(std::string_view path) {
#ifdef _WIN32
    if (path.size() == 3 && path[1] == ':' && isPathSeparator(path[2])) return true;
#endif
    return path.size() == 1 && isPathSeparator(path[0]);
}

}  // namespace corvath
