#pragma once

#include "charts/TrendLine.h"
#include "charts/TrendSummary.h"

#include <QList>
#include <QString>

// The trend as CSV text: the points ("Node,ID,Stamp,Forecast,Status"), a blank
// line, then one row of figures per line. Node is the node's name, ID its goal or
// task number (0 for the root); dates are stored stamps, days with two decimals.
// Display-free.
class TrendCsv
{
public:
    static QString write(const QList<TrendLine>& lines,
                         int last = TrendSummary::kDefaultLast,
                         double threshold = TrendSummary::kDefaultThreshold);
};
