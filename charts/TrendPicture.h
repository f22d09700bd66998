#pragma once

#include "charts/TrendLine.h"
#include "charts/TrendSummary.h"

#include <QList>
#include <QRectF>
#include <utility>

class QPainter;

// The trend chart painted for a file (PNG, PDF): both axes on one date scale,
// the diagonal "forecast = stamp" with the impossible area below it shaded, one
// line per node with its points, the end markers (a filled point on the diagonal
// for Completed, a cross for On Hold and Closed), the dashed trend to its
// finish, and a legend with each line's trend finish. Qt Gui only; any thread.
class TrendPicture
{
public:
    // The date range (days, TrendSummary::toDays) that both axes span: every
    // stamp and forecast, and each trend finish that lies within twice that span,
    // padded to whole days. {0, 1} when there is nothing to show.
    static std::pair<double, double> span(const QList<TrendLine>& lines, int last = TrendSummary::kDefaultLast);
    static void
    paint(QPainter& painter, const QRectF& rect, const QList<TrendLine>& lines, int last = TrendSummary::kDefaultLast);
};
