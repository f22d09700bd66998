#include "charts/ChartAxis.h"

#include "common/Rounding.h"

#include <algorithm>
#include <cmath>

namespace {
// Rounds the range outwards at `decimals`, so no value lies beyond the axis.
void widen(double& min, double& max, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double tolerance = 1e-9;
    min = std::floor(min * scale + tolerance) / scale;
    max = std::ceil(max * scale - tolerance) / scale;
}
} // namespace

int ChartAxis::labelDecimals(double min, double max, int divisions)
{
    const double step = divisions > 0 ? (max - min) / divisions : 0.0;
    if (!(step > 0) || !std::isfinite(step)) {
        return 0;
    }
    // Four significant digits of the step at most (and never below whole numbers).
    const int most = std::max(0, 3 - int(std::floor(std::log10(step))));
    for (int decimals = 0; decimals < most; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        // Relative tolerance: steps are computed and carry binary representation error.
        auto whole = [&](double v) {
            return std::abs(v * scale - std::round(v * scale)) < 1e-6 * std::max(1.0, std::abs(v * scale));
        };
        if (whole(step) && whole(min)) {
            return decimals;
        }
    }
    return most;
}

ChartAxis ChartAxis::compute(const ChartTable& table, ChartState::Measure measure)
{
    ChartAxis axis;
    for (const auto& row : table.cells) {
        for (const std::optional<double>& cell : row) {
            if (!cell) {
                continue;
            }
            axis.hasValues = true;
            if (*cell < axis.min) {
                axis.min = *cell;
            }
            if (*cell > axis.max) {
                axis.max = *cell;
            }
        }
    }
    if (axis.hasValues && measure == ChartState::Measure::Progress) {
        widen(axis.min, axis.max, 2);
    } else if (axis.hasValues && measure != ChartState::Measure::Completion_Date) {
        widen(axis.min, axis.max, 0);
    }
    const double range = axis.max - axis.min;
    if (range >= 10) {
        axis.majorDivision = 10;
    } else if (range <= 1) {
        axis.majorDivision = 5;
    } else {
        axis.majorDivision = int(Rounding::toInteger(range));
    }
    return axis;
}
