#include "reports/CsvExport.h"

#include "common/Figure.h"
#include "reports/ReportRows.h"

#include <QDir>
#include <QSaveFile>

namespace {

QString number(double value)
{
    return Figure::isKnown(value) ? QString::number(value, 'g', QLocale::FloatingPointShortest) : QString();
}

QString integer(const std::optional<qint64>& value)
{
    return value ? QString::number(*value) : QString();
}

QString join(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& f : fields) {
        quoted.append(CsvExport::field(f));
    }
    return quoted.join(QLatin1Char(','));
}

} // namespace

QString CsvExport::field(const QString& text)
{
    const bool needsQuotes = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text.startsWith(QLatin1Char(' ')) ||
        text.endsWith(QLatin1Char(' '));
    if (!needsQuotes) {
        return text;
    }
    QString escaped = text;
    escaped.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

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
            if (!sink(join({r.obj.isNull() ? QString() : QString(r.obj),
                            r.hName,
                            r.status,
                            r.completionDate,
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
                                g.name,
                                g.path,
                                g.status,
                                number(g.comp),
                                number(g.diff),
                                a.res,
                                a.status,
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
                if (!sink(join({g.res,
                                integer(t.counterTask),
                                t.name,
                                t.path,
                                t.status,
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
    QSaveFile file(path);
    auto failed = [&]() {
        if (error) {
            *error =
                QStringLiteral("\"%1\" cannot be written: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        }
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return failed();
    }
    bool written = true;
    const bool read = forEachLine(connection, kind, stamp, error, [&](const QString& line) {
        const QByteArray bytes = line.toUtf8() + "\r\n";
        written = file.write(bytes) == bytes.size();
        return written;
    });
    if (!read || !written) {
        file.cancelWriting();
        return read ? failed() : false;
    }
    if (!file.commit()) {
        return failed();
    }
    return true;
}
