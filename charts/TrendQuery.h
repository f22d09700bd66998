#pragma once

#include "charts/ChartState.h"
#include "charts/TrendLine.h"

#include <QList>
#include <QString>
#include <optional>

// Reads the forecast history of the root, goals and tasks from the snapshots
// (CompDates). Display-free; every value bound.
class TrendQuery
{
public:
    // One line per Root, Goal or Task term of `filter`, in term order (other
    // terms are skipped; a node named twice gives one line). A point per
    // snapshot in which the node is Open with a forecast, or with `period` only
    // the last such snapshot of each period (ChartPeriod's periods). The line ends
    // at the first snapshot in which the node is not Open: Completed puts a point
    // on the diagonal there, any other status a Held end without a forecast; later
    // snapshots are not read into it. Snapshots whose stamp is not a stored stamp
    // and forecasts that are not dates are left out. False with *error on a
    // database error.
    static bool load(const QString& connection,
                     const ChartFilter& filter,
                     std::optional<ChartState::Grouping> period,
                     QList<TrendLine>* lines,
                     QString* error);
};
