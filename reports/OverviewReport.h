#pragma once

#include "reports/ReportLayout.h"
#include "reports/ReportRows.h"

// The overview (rptHierarchy): every row of a snapshot as an indented outline with
// its status, completion date and figures.
class OverviewReport : public ReportLayout
{
public:
    // `stamp` is the stored snapshot stamp; the title shows it in the user's locale.
    OverviewReport(QList<OverviewRow> rows, const QString& stamp);

    QString name() const override { return QStringLiteral("rptHierarchy"); }
    int bodyWidth() const override { return 13920; }
    int groupCount() const override { return 1; }
    int detailCount(int) const override { return int(m_rows.size()); }
    int bandHeight(Band band) const override;
    void paintDetail(QPainter& painter, const QRectF& band, int group, int detail) const override;

    const QList<OverviewRow>& rows() const { return m_rows; }

protected:
    void paintPageLabels(QPainter& painter, const QRectF& row) const override;

private:
    QList<OverviewRow> m_rows;
};
