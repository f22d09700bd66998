#include "reports/TaskScheduleReport.h"

#include "common/Stamp.h"
#include "reports/ReportFormat.h"

#include <QPainter>

namespace {
using Column = ReportLayout::Column;
const Column kCounter{0, 520, Qt::AlignLeft};
const Column kName{600, 4400, Qt::AlignLeft};
const Column kMember{900, 4400, Qt::AlignLeft};
const Column kPath{4500, 9000, Qt::AlignLeft};
const Column kStatus{9100, 10300, Qt::AlignLeft};
const Column kWorkload{10300, 11500, Qt::AlignRight};
const Column kComp{11500, 12700, Qt::AlignRight};
const Column kDiff{12700, 13890, Qt::AlignRight};
constexpr int kHeaderHeight = 260;
} // namespace

TaskScheduleReport::TaskScheduleReport(QList<TaskScheduleGroup> groups, const QString& stamp)
    : ReportLayout(QStringLiteral("Task Schedule : ") + Stamp::toDisplay(stamp))
    , m_groups(std::move(groups))
{
}

int TaskScheduleReport::bandHeight(Band band) const
{
    switch (band) {
    case Band::PageHeader:
        return pageHeaderHeight(true);
    case Band::GroupHeader:
        return kHeaderHeight;
    case Band::Detail:
        return 240;
    case Band::GroupFooter:
        return 120; // empty: a little space after each task
    case Band::PageFooter:
        return 300;
    }
    return 0;
}

void TaskScheduleReport::paintPageLabels(QPainter& painter, const QRectF& row) const
{
    drawLabel(painter, row, kStatus, QStringLiteral("Status"));
    drawLabel(painter, row, kWorkload, QStringLiteral("% of Wrkld"));
    drawLabel(painter, row, kComp, QStringLiteral("% Comp"));
    drawLabel(painter, row, kDiff, QStringLiteral("+ / -"));
}

void TaskScheduleReport::paintGroupHeader(QPainter& painter, const QRectF& band, int group) const
{
    const TaskScheduleGroup& g = m_groups.at(group);
    // The share has no meaning for a whole task: a grey box stands in its column.
    const QRectF box(band.left() + kWorkload.left + 200,
                     band.top() + 40,
                     kWorkload.right - kWorkload.left - 200,
                     band.height() - 80);
    painter.fillRect(box, QColor(0xd9, 0xd9, 0xd9));
    painter.setFont(font(8, true));
    drawCell(painter, band, kCounter, ReportFormat::integer(g.counterTask));
    drawCell(painter, band, kName, g.name);
    painter.setFont(font(8));
    drawCell(painter, band, kPath, g.path);
    drawCell(painter, band, kStatus, g.status);
    drawCell(painter, band, kComp, ReportFormat::twoDecimals(g.comp));
    drawCell(painter, band, kDiff, ReportFormat::twoDecimals(g.diff));
}

void TaskScheduleReport::paintDetail(QPainter& painter, const QRectF& band, int group, int detail) const
{
    const ScheduleAssignment& a = m_groups.at(group).members.at(detail);
    drawCell(painter, band, kMember, a.res);
    drawCell(painter, band, kStatus, a.status);
    drawCell(painter, band, kWorkload, ReportFormat::twoDecimals(a.pw));
    drawCell(painter, band, kComp, ReportFormat::twoDecimals(a.comp));
    drawCell(painter, band, kDiff, ReportFormat::twoDecimals(a.diff));
}
