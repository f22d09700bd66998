#pragma once

#include "reports/ReportLayout.h"
#include "reports/ReportRows.h"

// The task schedule (rptTaskSched): the open tasks in completion order, each followed
// by the team members working on it.
class TaskScheduleReport : public ReportLayout
{
public:
    TaskScheduleReport(QList<TaskScheduleGroup> groups, const QString& stamp);

    QString name() const override { return QStringLiteral("rptTaskSched"); }
    int bodyWidth() const override { return 13890; }
    int groupCount() const override { return int(m_groups.size()); }
    int detailCount(int group) const override { return int(m_groups.at(group).members.size()); }
    int bandHeight(Band band) const override;
    bool repeatsGroupHeader() const override { return true; }
    void paintGroupHeader(QPainter& painter, const QRectF& band, int group) const override;
    void paintDetail(QPainter& painter, const QRectF& band, int group, int detail) const override;

    const QList<TaskScheduleGroup>& groups() const { return m_groups; }

protected:
    void paintPageLabels(QPainter& painter, const QRectF& row) const override;

private:
    QList<TaskScheduleGroup> m_groups;
};
