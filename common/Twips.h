#pragma once

#include <cmath>

// Window layouts are given in twips (1/1440 inch) and applied at a screen's
// logical DPI. One rule for every window: a length in twips becomes the
// nearest whole pixel, halves away from zero (std::lround). Nearest keeps each
// length within half a pixel of its size at any DPI, where truncation shrinks
// every one of them; and pixels -> whole twips -> pixels gives back the same
// pixels whenever a pixel spans at least one twip (up to 1440 DPI), so sizes
// kept in twips survive being read back from the window.
// Figures shown to the user round by their own rule (Rounding).
namespace Twips {

constexpr int kPerInch = 1440;

// Whole pixels for `twips` at `dpi` logical dots per inch.
inline int toPixels(double twips, double dpi)
{
    return int(std::lround(twips * dpi / kPerInch));
}

// The exact length in twips of `pixels`, for layouts that keep fractions of a twip.
// A DPI of 0 (no screen yet) leaves the value as it is.
inline double toExactTwips(int pixels, double dpi)
{
    return dpi > 0 ? pixels * double(kPerInch) / dpi : double(pixels);
}

// The same length to the nearest whole twip, by the rule above.
inline int toTwips(int pixels, double dpi)
{
    return int(std::lround(toExactTwips(pixels, dpi)));
}

} // namespace Twips
