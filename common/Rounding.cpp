#include "common/Rounding.h"

#include <cmath>
#include <limits>

namespace {
double roundScaledHalfEven(double x)
{
    const double floorX = std::floor(x);
    const double frac = x - floorX;
    const double tolerance = 1e-9 * std::max(1.0, std::fabs(x));
    if (std::fabs(frac - 0.5) <= tolerance) {
        return std::fmod(floorX, 2.0) == 0.0 ? floorX : floorX + 1.0;
    }
    return std::round(x);
}
} // namespace

double Rounding::halfEven(double value, int decimals)
{
    if (!std::isfinite(value)) {
        return value;
    }
    const double scale = std::pow(10.0, decimals);
    return roundScaledHalfEven(value * scale) / scale;
}

qint64 Rounding::toInteger(double value)
{
    // Converting a double outside qint64 is undefined behaviour (on x86 it gives
    // the smallest qint64 whatever the sign): saturate instead.
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = roundScaledHalfEven(value);
    if (rounded >= 9223372036854775807.0) {
        return std::numeric_limits<qint64>::max();
    }
    if (rounded <= -9223372036854775808.0) {
        return std::numeric_limits<qint64>::min();
    }
    return static_cast<qint64>(rounded);
}
