#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// How the reports show values: in the user's locale, empty and unknown values
// (see Figure) as empty text.
class ReportFormat
{
public:
    // Two decimals, halves to the even neighbour.
    static QString twoDecimals(double value);
    // The number as it is, without a fixed number of decimals (up to 15 significant digits).
    static QString asItComes(double value);
    static QString integer(const std::optional<qint64>& value);
    // A stored date and time as the user's locale shows it.
    static QString dateTime(const QString& stored);
    // The printing date and time of the page footer ("%d %t").
    static QString printed(const QDateTime& when);
    // The page footer's page field ("%p/%P").
    static QString pageOfPages(int page, int pages);
};
