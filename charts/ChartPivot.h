#pragma once

#include "charts/ChartState.h"
#include "charts/ChartTable.h"

#include <QLocale>
#include <QString>
#include <QVariant>

// Runs the chart statement and pivots its rows into a ChartTable: periods in
// time order, series sorted by name (ignoring case first). On the member tree
// names that differ only in case are one member. Display-free.
class ChartPivot
{
public:
    struct Row
    {
        QString periodStart; // "YYYY-MM-DD"
        QString series;
        QVariant value; // null for NULL
    };

    // Reads the rows for `state` on `connection` (forward-only) and pivots them.
    // An empty filter gives an empty table without touching the database.
    // False with *error on a database error; *table is then empty.
    static bool run(const QString& connection,
                    const ChartState& state,
                    ChartTable* table,
                    QString* error,
                    const QLocale& locale = QLocale());

    // What tells series apart: on the member tree names that differ only in case
    // are one member, on the goal tree names are taken as they are.
    static QString seriesKey(ChartSource source, const QString& name);

    static ChartTable
    pivot(const QList<Row>& rows, ChartState::Grouping grouping, ChartSource source, const QLocale& locale = QLocale());
};
