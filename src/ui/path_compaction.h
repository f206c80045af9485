#pragma once

#include <functional>
#include <string>

namespace corvath {

// Width in pixels of a UTF-8 text in the font the caller measures with.
using TextWidth = std::function<int(const std::string&)>;

// Shortens a path to fit widthPixels by putting "..." in its middle:
// - a path that fits comes back unchanged;
// - otherwise the tail from the last separator on stays whole, and in front of
//   "..." goes the longest beginning of the path that still fits;
// - a text with no separator keeps its longest beginning that fits, then "...";
// - when even "..." and the tail do not fit, the tail loses characters from its
//   front instead, so the end of the path stays readable.
// The result always fits (it is empty when not even "." fits). Characters are
// dropped whole, never in the middle of a UTF-8 sequence.
std::string compactPath(const std::string& text, int widthPixels, const TextWidth& measure,
                        char separator = '/');

}  // namespace corvath
