#pragma once

#include "reports/ReportLoader.h"

#include <QString>
#include <QStringList>
#include <functional>

// A report's rows as comma-separated values for other tools: one header line with the
// view's column names, then one line per detail line (a schedule's group fields are
// repeated on each of its lines). Numbers are written in full with a decimal point,
// dates as stored, text as CsvField::text() writes it; indentation of outline names is kept.
class CsvExport
{
public:
    // Writes the lines to `path` through a save file: a failed export leaves any
    // earlier file as it was. A path ExportTarget refuses (the project, a device...)
    // is not touched. *error names the path and the cause (the file system's own,
    // such as a full disk).
    static bool write(
        const QString& connection, ReportLoader::Kind kind, const QString& stamp, const QString& path, QString* error);
    // The lines (without line ends) that write() puts into the file.
    static bool
    lines(const QString& connection, ReportLoader::Kind kind, const QString& stamp, QStringList* out, QString* error);

private:
    // Hands each line to `sink` in order; stops when it returns false.
    static bool forEachLine(const QString& connection,
                            ReportLoader::Kind kind,
                            const QString& stamp,
                            QString* error,
                            const std::function<bool(const QString&)>& sink);
};
