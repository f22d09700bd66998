#pragma once

#include "history/SnapshotComparison.h"

#include <QString>
#include <QStringList>
#include <functional>

// A snapshot comparison as comma-separated values: one line per row in outline
// order, with the change of each date and its six causes in days. Day figures are
// plain decimals (no exponent) that read back to the same double; dates as stored.
// Display-free.
class ComparisonCsv
{
public:
    static QString header();
    // The header line and one line per row, without line ends.
    static QStringList lines(const SnapshotComparison& comparison);
    // Hands each of those lines to `sink` in order; stops when it returns false.
    static void forEachLine(const SnapshotComparison& comparison, const std::function<bool(const QString&)>& sink);
    // Writes the lines through a save file (ExportFile): a failed export leaves an
    // earlier file as it was. *error names the path and the cause.
    static bool write(const SnapshotComparison& comparison, const QString& path, QString* error);
    // Seconds as days, e.g. 0.5 for 43200; "0" for 0.
    static QString days(qint64 seconds);
};
