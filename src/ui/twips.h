#pragma once

namespace corvath {

// Rounds to the nearest 32-bit integer, halves to the even neighbour, saturating
// at the ends of the range.
int roundHalfEven(double value);

// Twips to pixels the way the window layer converts them: the value and the factor
// are each rounded half to even first, then divided with truncation toward zero.
// A factor that rounds below 1 counts as 1, so no conversion divides by zero.
int twipsToPixels(double twips, double twipsPerPixel);

// Twips per pixel at a screen's logical dots per inch (1440 / dpi); 15, the
// factor at 96 dpi, when the screen reports none.
double twipsPerPixelAt(double dpi);

}  // namespace corvath
