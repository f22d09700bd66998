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
    static const QStringList columns = {
        QStringLiteral("TimeStamp"),
        QStringLiteral("OBJ"),
        QStringLiteral("GT_ID"),
        QStringLiteral("GT_Type"),
        QStringLiteral("GT_Name"),
        QStringLiteral("GT_Path"),
        QStringLiteral("GT_Priority"),
        QStringLiteral("GT_Status"),
        QStringLiteral("GT_Parent_ID"),
        QStringLiteral("Res"),
        QStringLiteral("Res_PerWrk"),
        QStringLiteral("Planned"),
        QStringLiteral("PerComp"),
        QStringLiteral("Needed"),
        QStringLiteral("Est"),
        QStringLiteral("Diff"),
        QStringLiteral("Progress"),
        QStringLiteral("Completion_Order"),
        QStringLiteral("Tree_Depth"),
        QStringLiteral("Calc"),
        QStringLiteral("HTreeSort"),
        QStringLiteral("HName"),
        QStringLiteral("Completion_Date"),
        QStringLiteral("CompOrderObj"),
    };
    m_insert = RowSink::open(connection, QStringLiteral("CompDates"), columns, error);
    return m_insert != nullptr;
}

void SnapshotWriter::nameRow(std::size_t index, QString* name) const
{
    const SnapshotRow& row = m_rows.rows[index];
    switch (row.kind) {
    case SnapshotRow::Kind::Root:
        *name = kRootName;
        break;
    case SnapshotRow::Kind::Goal:
        *name = m_input.goals[std::size_t(row.source)].shortName;
        break;
    case SnapshotRow::Kind::Task:
        *name = m_input.tasks[std::size_t(row.source)].shortName;
        break;
    case SnapshotRow::Kind::Assignment: {
        const AssignmentRecord& a = m_input.assignments[std::size_t(row.source)];
        name->clear();
        *name += a.member;
        *name += QStringLiteral(" (");
        *name += m_input.tasks[std::size_t(m_rows.rows[std::size_t(row.parentRow)].source)].shortName;
        *name += QLatin1Char(')');
        break;
    }
    }
}

bool SnapshotWriter::refused(qint64 failedRow, const QString& failure, QString* error) const
{
    if (failedRow < 0 || std::size_t(failedRow) >= m_rows.rows.size()) {
        Sql::setError(error, QStringLiteral("Writing the snapshot rows failed: %1").arg(failure));
        return false;
    }
    QString name;
    nameRow(std::size_t(failedRow), &name);
    Sql::setError(error,
                  QStringLiteral("Writing the snapshot row %1 of %2 (%3) failed: %4")
                      .arg(failedRow + 1)
                      .arg(m_rows.rows.size())
                      .arg(name, failure));
    return false;
}

bool SnapshotWriter::finish(QString* error)
{
    QString failure;
    qint64 failedRow = -1;
    return m_insert->finish(&failure, &failedRow) || refused(failedRow, failure, error);
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
    RowSink& s = *m_insert;
    s.bindText(TimeStamp, m_stamp);
    s.bindText(Obj, kinds[int(row.kind)]);
    s.bindInteger(GtId, row.gtId);
    const bool root = row.kind == SnapshotRow::Kind::Root;
    const QString* shown = &m_name; // what HName indents
    nameRow(index, &m_name);
    const SnapshotPath& path = row.path < 0 ? kNoPath : m_rows.paths[std::size_t(row.path)];
    qint64 parentId = 0; // GT_Parent_ID
    switch (row.kind) {
    case SnapshotRow::Kind::Root:
        s.bindNull(GtType);
        s.bindNull(GtPriority);
        s.bindNull(Res);
        s.bindNull(ResPerWrk);
        break;
    case SnapshotRow::Kind::Goal: {
        const GoalRecord& goal = m_input.goals[std::size_t(row.source)];
        parentId = goal.parentId.value_or(0);
        s.bindText(GtType, goal.objectType);
        s.bindInteger(GtPriority, goal.priority);
        s.bindNull(Res);
        s.bindNull(ResPerWrk);
        break;
    }
    case SnapshotRow::Kind::Task: {
        const SnapshotInput::Task& task = m_input.tasks[std::size_t(row.source)];
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
    qint64 failedRow = -1;
    return s.add(&failure, &failedRow) || refused(failedRow, failure, error);
}
