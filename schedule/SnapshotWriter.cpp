#include "schedule/SnapshotWriter.h"

#include "common/Figure.h"
#include "db/Sql.h"
#include "schedule/MemberCalendar.h"
#include "schedule/SnapshotPath.h"

#include <algorithm>

namespace {
const QString kRootName = QStringLiteral("Cairnwork");
const SnapshotPath kNoPath;

// Columns in the order of the insert below.
enum Column {
    TimeStamp,
    Obj,
    GtId,
    GtType,
    GtName,
    GtPath,
    GtPriority,
    GtStatus,
    GtParentId,
    Res,
    ResPerWrk,
    Planned,
    PerComp,
    Needed,
    Est,
    Diff,
    Progress,
    CompletionOrder,
    TreeDepth,
    Calc,
    HTreeSort,
    HName,
    CompletionDate,
    CompOrderObj,
};
} // namespace

SnapshotWriter::SnapshotWriter(const SnapshotInput& input, const SnapshotRows& rows, const QString& stamp)
    : m_input(input)
    , m_rows(rows)
    , m_stamp(stamp)
{
}

bool SnapshotWriter::prepare(const QString& connection, QString* error)
{
    m_insert = Statement::prepare(
        connection,
        QStringLiteral("INSERT INTO CompDates (TimeStamp, OBJ, GT_ID, GT_Type, GT_Name, GT_Path,"
                       " GT_Priority, GT_Status, GT_Parent_ID, Res, Res_PerWrk, Planned, PerComp,"
                       " Needed, Est, Diff, Progress, Completion_Order, Tree_Depth, Calc, HTreeSort,"
                       " HName, Completion_Date, CompOrderObj)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        error);
    return m_insert != nullptr;
}

// A figure the snapshot cannot know (see Figure) is stored as NULL, never as NaN or ±Inf.
void SnapshotWriter::bindFigure(int column, double value)
{
    if (Figure::isKnown(value)) {
        m_insert->bindReal(column, value);
    } else {
        m_insert->bindNull(column);
    }
}

bool SnapshotWriter::write(std::size_t index, QString* error)
{
    const std::vector<SnapshotRow>& rows = m_rows.rows;
    static const QString kinds[] = {QStringLiteral("G"), QStringLiteral("G"), QStringLiteral("T"), QStringLiteral("R")};
    const SnapshotRow& row = rows[index];
    Statement& s = *m_insert;
    s.bindText(TimeStamp, m_stamp);
    s.bindText(Obj, kinds[int(row.kind)]);
    s.bindInteger(GtId, row.gtId);
    const bool root = row.kind == SnapshotRow::Kind::Root;
    const QString* shown = &m_name; // what HName indents
    const SnapshotPath& path = row.path < 0 ? kNoPath : m_rows.paths[std::size_t(row.path)];
    qint64 parentId = 0; // GT_Parent_ID
    switch (row.kind) {
    case SnapshotRow::Kind::Root:
        m_name = kRootName;
        s.bindNull(GtType);
        s.bindNull(GtPriority);
        s.bindNull(Res);
        s.bindNull(ResPerWrk);
        break;
    case SnapshotRow::Kind::Goal: {
        const GoalRecord& goal = m_input.goals[std::size_t(row.source)];
        m_name = goal.shortName;
        parentId = goal.parentId.value_or(0);
        s.bindText(GtType, goal.objectType);
        s.bindInteger(GtPriority, goal.priority);
        s.bindNull(Res);
        s.bindNull(ResPerWrk);
        break;
    }
    case SnapshotRow::Kind::Task: {
        const SnapshotInput::Task& task = m_input.tasks[std::size_t(row.source)];
        m_name = task.shortName;
        parentId = task.goalId;
        s.bindText(GtType, task.objectType);
        s.bindInteger(GtPriority, task.priority);
        s.bindNull(Res);
        s.bindNull(ResPerWrk);
        break;
    }
    case SnapshotRow::Kind::Assignment: {
        const AssignmentRecord& a = m_input.assignments[std::size_t(row.source)];
        const SnapshotInput::Task& task = m_input.tasks[std::size_t(rows[std::size_t(row.parentRow)].source)];
        parentId = task.id;
        m_name.clear();
        m_name += a.member;
        m_name += QStringLiteral(" (");
        m_name += task.shortName;
        m_name += QLatin1Char(')');
        s.bindNull(GtType);
        s.bindNull(GtPriority);
        s.bindText(Res, a.member);
        bindFigure(ResPerWrk, a.perWorkload);
        shown = &a.member;
        m_path = path.child(task.shortName).text;
        break;
    }
    }
    s.bindText(GtName, m_name);
    if (row.kind != SnapshotRow::Kind::Assignment) {
        m_path = path.text;
    }
    s.bindText(GtPath, m_path.isEmpty() ? QString() : m_path);
    s.bindText(GtStatus, row.status && !row.status->isEmpty() ? *row.status : QString());
    if (root) {
        s.bindNull(GtParentId);
    } else {
        s.bindInteger(GtParentId, parentId);
    }
    bindFigure(Planned, row.planned);
    bindFigure(PerComp, row.perComp);
    bindFigure(Needed, row.needed);
    bindFigure(Est, row.est);
    bindFigure(Diff, row.diff);
    if (root || row.kind == SnapshotRow::Kind::Goal) {
        bindFigure(Progress, row.progress);
    } else {
        s.bindNull(Progress);
    }
    s.bindText(CompletionOrder, m_rows.keys.text(row.order));
    s.bindInteger(TreeDepth, row.depth);
    if (row.calc < 0) {
        s.bindNull(Calc);
    } else {
        s.bindInteger(Calc, row.calc);
    }
    const qint64 treeSort = qint64(index) + 1;
    s.bindInteger(HTreeSort, treeSort);
    if (root) {
        m_hname = kRootName;
    } else {
        const int level = row.kind == SnapshotRow::Kind::Assignment ? row.depth + 1 : row.depth;
        const int indent = 4 * std::min(level, SnapshotRow::kIndentLevels);
        m_hname.fill(QLatin1Char(' '), indent);
        m_hname += *shown;
    }
    s.bindText(HName, m_hname);
    const QString date = MemberCalendar::toText(row.completion);
    s.bindText(CompletionDate, date.isEmpty() ? QString() : date);
    if (row.compOrder > 0) {
        s.bindInteger(CompOrderObj, row.compOrder);
    } else {
        s.bindNull(CompOrderObj);
    }
    QString failure;
    if (!s.run(&failure)) {
        Sql::setError(error,
                      QStringLiteral("Writing the snapshot row %1 of %2 (%3) failed: %4")
                          .arg(treeSort)
                          .arg(rows.size())
                          .arg(m_name, failure));
        return false;
    }
    return true;
}
