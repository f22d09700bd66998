#include "reports/CsvExport.h"

#include "common/CsvField.h"
#include "common/Figure.h"
#include "reports/ExportFile.h"
#include "reports/ReportRows.h"

namespace {

QString number(double value)
{
    return Figure::isKnown(value) ? QString::number(value, 'g', QLocale::FloatingPointShortest) : QString();
}

QString integer(const std::optional<qint64>& value)
{
    return value ? QString::number(*value) : QString();
}

// Text fields come through CsvField::text(); number() and integer() never need quotes.
QString join(const QStringList& fields)
{
    return fields.join(QLatin1Char(','));
}

QString text(const QString& value)
{
    return CsvField::text(value);
}

} // namespace

bool CsvExport::lines(
    const QString& connection, ReportLoader::Kind kind, const QString& stamp, QStringList* out, QString* error)
{
    out->clear();
    return forEachLine(connection, kind, stamp, error, [out](const QString& line) {
        out->append(line);
        return true;
    });
}

bool CsvExport::forEachLine(const QString& connection,
                            ReportLoader::Kind kind,
                            const QString& stamp,
                            QString* error,
                            const std::function<bool(const QString&)>& sink)
{
    switch (kind) {
    case ReportLoader::Kind::Overview: {
        QList<OverviewRow> rows;
        if (!ReportRows::overview(connection, stamp, &rows, error)) {
            return false;
        }
        sink(QStringLiteral("OBJ,HName,GT_Status,Completion_Date,Planned,RWrk,PerComp,Needed,Est,Diff"));
        for (const OverviewRow& r : rows) {
            if (!sink(join({text(r.obj.isNull() ? QString() : QString(r.obj)),
                            text(r.hName),
                            text(r.status),
                            text(r.completionDate),
                            number(r.planned),
                            number(r.rWrk),
                            number(r.perComp),
                            number(r.needed),
                            number(r.est),
                            number(r.diff)}))) {
                return true;
            }
        }
        return true;
    }
    case ReportLoader::Kind::TaskSchedule: {
        QList<TaskScheduleGroup> groups;
        if (!ReportRows::taskSchedule(connection, stamp, &groups, error)) {
            return false;
        }
        sink(QStringLiteral("T_CounterTask,T_NAME,T_PATH,T_STATUS,T_COMP,T_DIFF,R_RES,R_STATUS,R_PW,R_COMP,R_DIFF"));
        for (const TaskScheduleGroup& g : groups) {
            for (const ScheduleAssignment& a : g.members) {
                if (!sink(join({integer(g.counterTask),
                                text(g.name),
                                text(g.path),
                                text(g.status),
                                number(g.comp),
                                number(g.diff),
                                text(a.res),
                                text(a.status),
                                number(a.pw),
                                number(a.comp),
                                number(a.diff)}))) {
                    return true;
                }
            }
        }
        return true;
    }
    case ReportLoader::Kind::MemberSchedule: {
        QList<MemberScheduleGroup> groups;
        if (!ReportRows::memberSchedule(connection, stamp, &groups, error)) {
            return false;
        }
        sink(QStringLiteral("R_RES,CounterTask,T_NAME,T_PATH,R_STATUS,R_PW,R_COMP,R_DIFF"));
        for (const MemberScheduleGroup& g : groups) {
            for (const MemberScheduleLine& t : g.tasks) {
                if (!sink(join({text(g.res),
                                integer(t.counterTask),
                                text(t.name),
                                text(t.path),
                                text(t.status),
                                number(t.pw),
                                number(t.comp),
                                number(t.diff)}))) {
                    return true;
                }
            }
        }
        return true;
    }
    }
    return false;
}

bool CsvExport::write(
    const QString& connection, ReportLoader::Kind kind, const QString& stamp, const QString& path, QString* error)
{
    ExportFile file(path);
    if (!file.open(error)) {
        return false;
    }
    bool written = true;
    const bool read = forEachLine(connection, kind, stamp, error, [&](const QString& line) {
        const QByteArray bytes = line.toUtf8() + "\r\n";
        written = file.write(bytes) == bytes.size();
        return written;
    });
    if (!read) {
        file.cancel();
        return false;
    }
    // A failed write is reported by commit(), with its cause.
    return file.commit(error);
}
