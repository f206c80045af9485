#pragma once

#include <windows.h>

#include <string>

namespace corvath {

// Shortens a path with "..." in its middle so that it fits widthPixels in font,
// as the system's path ellipsis does (DrawTextA; nothing is drawn).
std::string compactPathWithFont(const std::string& path, int widthPixels, HFONT font);

}  // namespace corvath
