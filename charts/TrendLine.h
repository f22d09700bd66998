#pragma once

#include "charts/ChartFilter.h"

#include <QDateTime>
#include <QList>
#include <QString>

// One node's forecast history: where its completion date stood in each snapshot
// (or in the last snapshot of each period) while it was Open, and how the line
// ended. Dates are the project's naive wall-clock stamps (Stamp::fromText).
// Display-free plain value.
struct TrendLine
{
    enum class End { Open, Completed, Held };
    struct Point
    {
        QDateTime stamp;
        // The forecast completion date. At a Completed end it equals the stamp (the
        // point lies on the diagonal); at a Held end there is none (invalid).
        QDateTime forecast;
    };

    ChartFilter::Term node; // Root, Goal or Task
    QString name; // as the newest snapshot row names it
    bool found = false; // some snapshot holds a row of the node
    QList<Point> points; // in time order; the end point, if any, last
    End end = End::Open;
    QString endStatus; // "Completed", "On Hold", "Closed" (as stored) when the line ended

    // The points that are forecasts of an Open node (all but the end point).
    QList<Point> forecasts() const { return end == End::Open ? points : points.mid(0, points.size() - 1); }
};
