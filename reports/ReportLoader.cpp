#include "reports/ReportLoader.h"

#include "reports/OverviewReport.h"
#include "reports/ReportDocument.h"
#include "reports/TaskScheduleReport.h"
#include "reports/TeamMemberScheduleReport.h"

std::unique_ptr<ReportDocument> ReportLoader::load(
    const QString& connection, Kind kind, const QString& stamp, QString* error, const QDateTime& printedAt)
{
    std::unique_ptr<ReportLayout> layout;
    switch (kind) {
    case Kind::Overview: {
        QList<OverviewRow> rows;
        if (!ReportRows::overview(connection, stamp, &rows, error)) {
            return nullptr;
        }
        layout = std::make_unique<OverviewReport>(std::move(rows), stamp);
        break;
    }
    case Kind::TaskSchedule: {
        QList<TaskScheduleGroup> groups;
        if (!ReportRows::taskSchedule(connection, stamp, &groups, error)) {
            return nullptr;
        }
        layout = std::make_unique<TaskScheduleReport>(std::move(groups), stamp);
        break;
    }
    case Kind::MemberSchedule: {
        QList<MemberScheduleGroup> groups;
        if (!ReportRows::memberSchedule(connection, stamp, &groups, error)) {
            return nullptr;
        }
        layout = std::make_unique<TeamMemberScheduleReport>(std::move(groups), stamp);
        break;
    }
    }
    return std::make_unique<ReportDocument>(std::move(layout), printedAt);
}

bool ReportLoader::kindFromName(const QString& name, Kind* kind)
{
    if (name == QLatin1String("overview")) {
        *kind = Kind::Overview;
    } else if (name == QLatin1String("tasks")) {
        *kind = Kind::TaskSchedule;
    } else if (name == QLatin1String("members")) {
        *kind = Kind::MemberSchedule;
    } else {
        return false;
    }
    return true;
}
