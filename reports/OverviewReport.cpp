#include "reports/OverviewReport.h"

#include "common/Stamp.h"
#include "reports/ReportFormat.h"

#include <QPainter>

namespace {
using Column = ReportLayout::Column;
const Column kName{0, 4450, Qt::AlignLeft};
const Column kObj{4480, 4740, Qt::AlignHCenter};
const Column kStatus{4780, 5860, Qt::AlignLeft};
const Column kDate{5900, 7660, Qt::AlignLeft};
const Column kPlanned{7700, 8740, Qt::AlignRight};
const Column kWorkload{8740, 9780, Qt::AlignRight};
const Column kComp{9780, 10820, Qt::AlignRight};
const Column kNeeded{10820, 11860, Qt::AlignRight};
const Column kEst{11860, 12900, Qt::AlignRight};
const Column kDiff{12900, 13920, Qt::AlignRight};
} // namespace

OverviewReport::OverviewReport(QList<OverviewRow> rows, const QString& stamp)
    : ReportLayout(QStringLiteral("Overview : ") + Stamp::toDisplay(stamp))
    , m_rows(std::move(rows))
{
}

int OverviewReport::bandHeight(Band band) const
{
    return outlineBandHeight(band);
}

void OverviewReport::paintPageLabels(QPainter& painter, const QRectF& row) const
{
    drawLabel(painter, row, kStatus, QStringLiteral("Status"));
    drawLabel(painter, row, kDate, QStringLiteral("Completion Date"));
    drawLabel(painter, row, kPlanned, QStringLiteral("Days Plan"));
    drawLabel(painter, row, kWorkload, QStringLiteral("% of Wrkld"));
    drawLabel(painter, row, kComp, QStringLiteral("% Comp"));
    drawLabel(painter, row, kNeeded, QStringLiteral("#  Days"));
    drawLabel(painter, row, kEst, QStringLiteral("New Est"));
    drawLabel(painter, row, kDiff, QStringLiteral("+ / -"));
}

void OverviewReport::paintDetail(QPainter& painter, const QRectF& band, int, int detail) const
{
    const OverviewRow& r = m_rows.at(detail);
    drawCell(painter, band, kName, r.hName);
    drawCell(painter, band, kObj, r.obj.isNull() ? QString() : QString(r.obj));
    drawCell(painter, band, kStatus, r.status);
    drawCell(painter, band, kDate, ReportFormat::dateTime(r.completionDate));
    drawCell(painter, band, kPlanned, ReportFormat::twoDecimals(r.planned));
    drawCell(painter, band, kWorkload, ReportFormat::twoDecimals(r.rWrk));
    drawCell(painter, band, kComp, ReportFormat::twoDecimals(r.perComp));
    drawCell(painter, band, kNeeded, ReportFormat::twoDecimals(r.needed));
    drawCell(painter, band, kEst, ReportFormat::twoDecimals(r.est));
    drawCell(painter, band, kDiff, ReportFormat::twoDecimals(r.diff));
}
