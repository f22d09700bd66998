#pragma once

#include "charts/ChartState.h"
#include "charts/ChartTable.h"

// The scale both value axes of the chart share. Min and Max start at 1e9 and
// -1e9 and take in every non-empty cell; then they are rounded outwards to
// whole numbers, to two decimals for the progress fraction, and kept as they
// are for dates, so no point is drawn beyond the axis. The major division is 10 for a range
// of 10 or more, 5 for a range of 1 or less (an empty chart included, whose
// range is negative), else the range rounded. Display-free.
class ChartAxis
{
public:
    static constexpr double kStartMin = 1000000000.0;
    static constexpr double kStartMax = -1000000000.0;

    double min = kStartMin;
    double max = kStartMax;
    int majorDivision = 5;
    bool hasValues = false;

    static ChartAxis compute(const ChartTable& table, ChartState::Measure measure);
    // Decimals for the labels of a scale from `min` to `max` in `divisions` steps:
    // as few as show every tick exactly (step 1 gives "1", 0.5 "0.5", 0.25 "0.25"),
    // all labels alike. A step without an exact short form (1/3) gets four
    // significant digits.
    static int labelDecimals(double min, double max, int divisions);
};
