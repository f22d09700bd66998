#pragma once

#include "reports/ReportLayout.h"
#include "reports/ReportRows.h"

// The team member schedule (rptTeamMemSched): for each member, that member's open
// tasks in completion order. Its title reads "Task Schedule : ", as the task
// schedule's does.
class TeamMemberScheduleReport : public ReportLayout
{
public:
    TeamMemberScheduleReport(QList<MemberScheduleGroup> groups, const QString& stamp);

    QString name() const override { return QStringLiteral("rptTeamMemSched"); }
    int bodyWidth() const override { return 13890; }
    int groupCount() const override { return int(m_groups.size()); }
    int detailCount(int group) const override { return int(m_groups.at(group).tasks.size()); }
    int bandHeight(Band band) const override;
    // The member's header carries the column labels, so a member running onto the
    // next page gets it again there.
    bool repeatsGroupHeader() const override { return true; }
    void paintGroupHeader(QPainter& painter, const QRectF& band, int group) const override;
    void paintDetail(QPainter& painter, const QRectF& band, int group, int detail) const override;
    void paintGroupFooter(QPainter& painter, const QRectF& band, int group) const override;

    const QList<MemberScheduleGroup>& groups() const { return m_groups; }

private:
    QList<MemberScheduleGroup> m_groups;
};
