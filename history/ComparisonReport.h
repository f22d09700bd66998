#pragma once

#include "history/SnapshotComparison.h"
#include "reports/ReportLayout.h"

#include <memory>

// A snapshot comparison on paper: the plan's outline with both statuses and
// completion dates, the change in days and its six causes, and the flags.
class ComparisonReport : public ReportLayout
{
public:
    // The comparison (and the snapshots it reads) must outlive the report; `owner`,
    // when given, is kept as long as the report to see to that.
    explicit ComparisonReport(const SnapshotComparison& comparison, std::shared_ptr<const void> owner = {});

    QString name() const override { return QStringLiteral("rptCompare"); }
    int bodyWidth() const override { return 13920; }
    int groupCount() const override { return 1; }
    int detailCount(int) const override { return int(m_comparison.rows().size()); }
    int bandHeight(Band band) const override;
    void paintDetail(QPainter& painter, const QRectF& band, int group, int detail) const override;

protected:
    void paintPageLabels(QPainter& painter, const QRectF& row) const override;

private:
    std::shared_ptr<const void> m_owner;
    const SnapshotComparison& m_comparison;
};
