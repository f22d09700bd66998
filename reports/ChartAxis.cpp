#include "reports/ChartAxis.h"

#include "common/Rounding.h"

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
