#include "charts/TimelineCsv.h"

#include "common/CsvField.h"
#include "schedule/MemberCalendar.h"

namespace {
QString line(const QString& lane,
             QLatin1String kind,
             qint64 id,
             const QString& member,
             const QString& name,
             qint64 start,
             qint64 end)
{
    return CsvField::text(lane) + QLatin1Char(',') + kind + QLatin1Char(',') + QString::number(id) + QLatin1Char(',') +
        CsvField::text(member) + QLatin1Char(',') + CsvField::text(name) + QLatin1Char(',') +
        MemberCalendar::toText(start) + QLatin1Char(',') + MemberCalendar::toText(end) + QLatin1Char('\n');
}
} // namespace

QString TimelineCsv::write(const Timeline& timeline, Timeline::View view)
{
    QString csv = QStringLiteral("Lane,Kind,ID,Member,Name,Start,End\n");
    if (view == Timeline::View::ByMember) {
        for (const Timeline::Lane& lane : timeline.lanes()) {
            for (const Timeline::Bar& bar : lane.bars) {
                csv += line(lane.member, QLatin1String("R"), bar.taskId, lane.member, bar.taskName, bar.start, bar.end);
            }
        }
        return csv;
    }
    for (const Timeline::Node& node : timeline.outline()) {
        const bool task = node.kind == Timeline::Node::Kind::Task;
        csv += line(node.outlineName(),
                    task ? QLatin1String("T") : QLatin1String("G"),
                    node.id,
                    QString(),
                    node.name,
                    node.start,
                    node.end);
    }
    return csv;
}
