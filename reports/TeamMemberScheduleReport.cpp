#include "reports/TeamMemberScheduleReport.h"

#include "common/Stamp.h"
#include "reports/ReportFormat.h"

#include <QPainter>

namespace {
using Column = ReportLayout::Column;
const Column kMemberLabel{0, 1250, Qt::AlignLeft};
const Column kMember{1300, 9000, Qt::AlignLeft};
const Column kCounter{0, 450, Qt::AlignLeft};
const Column kName{500, 3900, Qt::AlignLeft};
const Column kPath{4000, 7600, Qt::AlignLeft};
const Column kStatus{7700, 8500, Qt::AlignLeft};
// Numbers come with up to 15 significant digits: their columns are wide enough for all.
const Column kWorkload{8500, 10200, Qt::AlignRight};
const Column kComp{10200, 11900, Qt::AlignRight};
const Column kDiff{11900, 13890, Qt::AlignRight};
constexpr int kHeaderGap = 120;
constexpr int kHeaderLine = 280;
} // namespace

TeamMemberScheduleReport::TeamMemberScheduleReport(QList<MemberScheduleGroup> groups, const QString& stamp)
    : ReportLayout(QStringLiteral("Task Schedule : ") + Stamp::toDisplay(stamp))
    , m_groups(std::move(groups))
{
}

int TeamMemberScheduleReport::bandHeight(Band band) const
{
    switch (band) {
    case Band::PageHeader:
        return pageHeaderHeight(false);
    case Band::GroupHeader:
        return kHeaderGap + kHeaderLine;
    case Band::Detail:
        return 240;
    case Band::GroupFooter:
        return 160;
    case Band::PageFooter:
        return 300;
    }
    return 0;
}

void TeamMemberScheduleReport::paintGroupHeader(QPainter& painter, const QRectF& band, int group) const
{
    const QRectF line(band.left(), band.top() + kHeaderGap, band.width(), kHeaderLine);
    drawLabel(painter, line, kMemberLabel, QStringLiteral("Team Member:"));
    painter.setFont(font(9, true));
    drawCell(painter, line, kMember, m_groups.at(group).res);
    drawLabel(painter, line, kStatus, QStringLiteral("Status"));
    drawLabel(painter, line, kWorkload, QStringLiteral("% of Wrkld"));
    drawLabel(painter, line, kComp, QStringLiteral("% Comp"));
    drawLabel(painter, line, kDiff, QStringLiteral("+ / -"));
}

void TeamMemberScheduleReport::paintDetail(QPainter& painter, const QRectF& band, int group, int detail) const
{
    const MemberScheduleLine& t = m_groups.at(group).tasks.at(detail);
    drawCell(painter, band, kCounter, ReportFormat::integer(t.counterTask));
    drawCell(painter, band, kName, t.name);
    drawCell(painter, band, kPath, t.path);
    drawCell(painter, band, kStatus, t.status);
    drawCell(painter, band, kWorkload, ReportFormat::asItComes(t.pw));
    drawCell(painter, band, kComp, ReportFormat::asItComes(t.comp));
    drawCell(painter, band, kDiff, ReportFormat::asItComes(t.diff));
}

void TeamMemberScheduleReport::paintGroupFooter(QPainter& painter, const QRectF& band, int) const
{
    painter.setPen(QPen(Qt::black, 10));
    const qreal y = band.top() + band.height() / 2;
    painter.drawLine(QPointF(band.left(), y), QPointF(band.right(), y));
}
