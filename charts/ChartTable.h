#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The pivoted chart data: one row per period in time order, one column per
// series. A cell without snapshot rows, or whose value is NULL, is empty.
// Date measures are held as serial day numbers (days since 1899-12-30, the
// fraction being the time of day). Display-free.
class ChartTable
{
public:
    struct Period
    {
        QDate start; // first day of the period
        QString label;
    };

    QList<Period> periods;
    QStringList series;
    QList<QList<std::optional<double>>> cells; // [period][series]

    bool isEmpty() const { return periods.isEmpty(); }
    std::optional<double> value(int period, int series) const;
    // The values of one series in period order.
    QList<std::optional<double>> column(int series) const;

    // Serial day numbers and naive wall-clock date-times, to the second.
    static QDateTime dateFromSerial(double days);
    static double serialFromDate(const QDateTime& dateTime);
};
