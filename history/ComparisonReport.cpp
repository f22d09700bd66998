#include "history/ComparisonReport.h"

#include "common/Stamp.h"
#include "reports/ReportFormat.h"
#include "schedule/MemberCalendar.h"

#include <QPainter>

namespace {
using Column = ReportLayout::Column;
const Column kName{0, 2600, Qt::AlignLeft};
const Column kStatusA{2630, 3330, Qt::AlignLeft};
const Column kStatusB{3360, 4060, Qt::AlignLeft};
const Column kDateA{4090, 5890, Qt::AlignLeft};
const Column kDateB{5920, 7720, Qt::AlignLeft};
const Column kChange{7720, 8420, Qt::AlignRight};
constexpr int kCauseLeft = 8420;
constexpr int kCauseWidth = 700;
const Column kFlags{12700, 13920, Qt::AlignLeft};

Column causeColumn(int cause)
{
    return {kCauseLeft + cause * kCauseWidth, kCauseLeft + (cause + 1) * kCauseWidth, Qt::AlignRight};
}

QString side(const SnapshotState& state)
{
    return state.isLive() ? QStringLiteral("now (%1)").arg(Stamp::toDisplay(MemberCalendar::toText(state.moment)))
                          : Stamp::toDisplay(state.stamp);
}

QString days(qint64 seconds)
{
    return ReportFormat::twoDecimals(double(seconds) / 86400.0);
}
} // namespace

ComparisonReport::ComparisonReport(const SnapshotComparison& comparison, std::shared_ptr<const void> owner)
    : ReportLayout(QStringLiteral("Compare Snapshots : %1 to %2").arg(side(comparison.a()), side(comparison.b())))
    , m_owner(std::move(owner))
    , m_comparison(comparison)
{
}

int ComparisonReport::bandHeight(Band band) const
{
    return outlineBandHeight(band);
}

void ComparisonReport::paintPageLabels(QPainter& painter, const QRectF& row) const
{
    drawLabel(painter, row, kStatusA, QStringLiteral("Status A"));
    drawLabel(painter, row, kStatusB, QStringLiteral("Status B"));
    drawLabel(painter, row, kDateA, QStringLiteral("Completion A"));
    drawLabel(painter, row, kDateB, QStringLiteral("Completion B"));
    drawLabel(painter, row, kChange, QStringLiteral("Change"));
    const char* const causes[] = {"Time", "Hours", "Scope", "Queue", "Re-plan", "Progress"};
    for (int c = 0; c < SnapshotComparison::kCauses; ++c) {
        drawLabel(painter, row, causeColumn(c), QLatin1String(causes[c]));
    }
    drawLabel(painter, row, kFlags, QStringLiteral("Flags"));
}

void ComparisonReport::paintDetail(QPainter& painter, const QRectF& band, int, int detail) const
{
    const SnapshotComparison::Row& r = m_comparison.rows()[std::size_t(detail)];
    const SnapshotState& a = m_comparison.a();
    const SnapshotState& b = m_comparison.b();
    drawCell(painter, band, kName, r.outlineName());
    drawCell(painter, band, kStatusA, r.a >= 0 ? a.rows[std::size_t(r.a)].statusText() : QString());
    drawCell(painter, band, kStatusB, r.b >= 0 ? b.rows[std::size_t(r.b)].statusText() : QString());
    drawCell(painter, band, kDateA, ReportFormat::dateTime(MemberCalendar::toText(r.dateA)));
    drawCell(painter, band, kDateB, ReportFormat::dateTime(MemberCalendar::toText(r.dateB)));
    if (r.datedInBoth()) {
        drawCell(painter, band, kChange, days(r.dateB - r.dateA));
    }
    if (r.explained) {
        for (int c = 0; c < SnapshotComparison::kCauses; ++c) {
            drawCell(painter, band, causeColumn(c), days(r.causes[std::size_t(c)]));
        }
    }
    drawCell(painter, band, kFlags, SnapshotComparison::flagWords(r.flags));
}
