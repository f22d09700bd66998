#pragma once

#include <QList>

// How the chart writes its period labels under the plot so that none is cut
// short or runs into another: across when every label fits its period's width,
// else upright (turned a quarter), and then only every step-th label when even
// upright ones are too close (the first period is always labelled). Sizes in
// pixels. Display-free.
class ChartLabels
{
public:
    bool upright = false;
    int step = 1;

    // `widths`: each label's width across; `height`: the text height; `slot`: the
    // plot's width per period.
    static ChartLabels plan(const QList<int>& widths, int height, double slot);
    bool shows(int period) const { return period % step == 0; }

    bool operator==(const ChartLabels&) const = default;
};
