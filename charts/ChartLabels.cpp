#include "charts/ChartLabels.h"

#include <algorithm>
#include <cmath>

ChartLabels ChartLabels::plan(const QList<int>& widths, int height, double slot)
{
    // Half a line of clear space between neighbours keeps them apart to the eye.
    const double gap = std::max(2, height / 2);
    ChartLabels labels;
    // Each label is centred on its period and kept within it, so it neither meets a
    // neighbour nor, at either end, reaches past the plot into the value axis labels.
    const int widest = widths.isEmpty() ? 0 : *std::max_element(widths.begin(), widths.end());
    if (widest + gap <= slot) {
        return labels;
    }
    labels.upright = true;
    if (slot > 0) {
        labels.step = std::max(1, int(std::ceil((height + gap) / slot)));
    } else {
        labels.step = std::max(1, int(widths.size()));
    }
    return labels;
}
