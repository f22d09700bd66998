#pragma once

#include <QDateTime>
#include <QString>
#include <memory>

class ReportDocument;

// Reads one snapshot's rows for a report and lays the report out.
class ReportLoader
{
public:
    enum class Kind { Overview, TaskSchedule, MemberSchedule };

    // `stamp` is the stored snapshot stamp. Returns null with *error set when the rows
    // cannot be read.
    static std::unique_ptr<ReportDocument> load(const QString& connection,
                                                Kind kind,
                                                const QString& stamp,
                                                QString* error,
                                                const QDateTime& printedAt = QDateTime::currentDateTime());
    // "overview", "tasks", "members".
    static bool kindFromName(const QString& name, Kind* kind);
};
