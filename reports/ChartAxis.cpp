#include "reports/ChartAxis.h"

#include "common/Rounding.h"

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
    if (measure == ChartState::Measure::Progress) {
        axis.min = Rounding::halfEven(axis.min, 2);
        axis.max = Rounding::halfEven(axis.max, 2);
    } else if (measure != ChartState::Measure::Completion_Date) {
        axis.min = Rounding::halfEven(axis.min, 0);
        axis.max = Rounding::halfEven(axis.max, 0);
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
