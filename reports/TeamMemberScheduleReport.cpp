#include "reports/TeamMemberScheduleReport.h"

#include "common/Stamp.h"
#include "reports/ReportFormat.h"

#include <QPainter>

namespace {
using Column = ReportLayout::Column;
const Column kMemberLabel{0, 1250, Qt::AlignLeft};
const Column kMember{1300, 9000, Qt::AlignLeft};
const Column kCounter{0, 520, Qt::AlignLeft};
const Column kName{600, 4400, Qt::AlignLeft};
const Column kPath{4500, 9000, Qt::AlignLeft};
const Column kStatus{9100, 10300, Qt::AlignLeft};
const Column kWorkload{10300, 11500, Qt::AlignRight};
const Column kComp{11500, 12700, Qt::AlignRight};
const Column kDiff{12700, 13890, Qt::AlignRight};
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
