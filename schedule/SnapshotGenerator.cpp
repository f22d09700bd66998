#include "schedule/SnapshotGenerator.h"

#include "common/Figure.h"
#include "common/Stamp.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "schedule/MemberCalendar.h"
#include "schedule/NumberCompletionOrder.h"
#include "schedule/RollUpCompletionDates.h"
#include "schedule/ScheduleTeamMembers.h"
#include "schedule/SnapshotHours.h"
#include "schedule/SnapshotInput.h"
#include "schedule/WriteSubtreeRows.h"

#include <QElapsedTimer>

namespace {
const QString kRootName = QStringLiteral("Cairnwork");

// A figure the snapshot cannot know (see Figure) is stored as NULL, never as NaN or ±Inf.
QVariant figureOrNull(double value)
{
    return Figure::isKnown(value) ? QVariant(value) : Sql::nullReal();
}

// Finds the stamp this run writes under: `wanted`, or when that is taken and an
// exact stamp is not required, the next free second.
bool freeStamp(const QString& connection, const QDateTime& wanted, bool exact, QString* stamp, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::prepare(query, QStringLiteral("SELECT 1 FROM CompDates WHERE TimeStamp = ? LIMIT 1"), error)) {
        return false;
    }
    QDateTime candidate = Stamp::fromText(Stamp::toText(wanted));
    if (!candidate.isValid()) {
        Sql::setError(error, QStringLiteral("The current time is not a valid date."));
        return false;
    }
    while (true) {
        const QString text = Stamp::toText(candidate);
        query.bindValue(0, text);
        if (!Sql::exec(query, error)) {
            return false;
        }
        const bool taken = query.next();
        query.finish();
        if (!taken) {
            *stamp = text;
            return true;
        }
        if (exact) {
            Sql::setError(error, QStringLiteral("A snapshot with the stamp %1 exists already.").arg(text));
            return false;
        }
        candidate = candidate.addSecs(1);
    }
}
} // namespace

SnapshotGenerator::SnapshotGenerator(const QString& connection)
    : m_connection(connection)
{
}

bool SnapshotGenerator::GenerateCompDates(const QString& connection,
                                          const Clock& clock,
                                          QString* stamp,
                                          QString* error,
                                          bool exactStamp,
                                          const Progress& progress)
{
    SnapshotGenerator generator(connection);
    generator.setProgress(progress);
    return generator.run(clock, exactStamp, stamp, error);
}

void SnapshotGenerator::report(int percent) const
{
    if (m_progress) {
        m_progress(percent);
    }
}

bool SnapshotGenerator::run(const Clock& clock, bool exactStamp, QString* stamp, QString* error)
{
    m_times = {};
    m_rowCount = 0;
    QString failure;
    auto fail = [&](const QString& what) {
        Sql::setError(error, what.isEmpty() ? failure : what + QStringLiteral(": ") + failure);
        return false;
    };
    QElapsedTimer timer;
    timer.start();
    report(0);
    Transaction tx(m_connection);
    if (!tx.isActive()) {
        failure = tx.error();
        return fail(QStringLiteral("The snapshot could not be started"));
    }
    QString snapshotStamp;
    if (!freeStamp(m_connection, clock.now(), exactStamp, &snapshotStamp, &failure)) {
        return fail(QString());
    }
    SnapshotInput input;
    if (!input.load(m_connection, &failure)) {
        return fail(QString());
    }
    m_times.load = timer.restart();
    report(10);

    // Task keys are lengthened to this snapshot's own deepest level: what older
    // snapshots hold (or another tool wrote into them) never shapes a new one.
    std::vector<SnapshotRow> rows = WriteSubtreeRows(input).run();
    m_times.writeSubtreeRows = timer.restart();
    report(20);

    const qint64 start = MemberCalendar::toSeconds(Stamp::fromText(snapshotStamp));
    if (!ScheduleTeamMembers::run(rows, input.members, start, &failure)) {
        return fail(QString());
    }
    m_times.scheduleTeamMembers = timer.restart();
    RollUpCompletionDates::run(rows);
    m_times.rollUpCompletionDates = timer.restart();
    NumberCompletionOrder::run(rows);
    m_times.numberCompletionOrder = timer.restart();
    report(30);

    QSqlQuery insert(Sql::db(m_connection));
    if (!Sql::prepare(
            insert,
            QStringLiteral("INSERT INTO CompDates (TimeStamp, OBJ, GT_ID, GT_Type, GT_Name, GT_Path,"
                           " GT_Priority, GT_Status, GT_Parent_ID, Res, Res_PerWrk, Planned, PerComp,"
                           " Needed, Est, Diff, Progress, Completion_Order, Tree_Depth, Calc, HTreeSort,"
                           " HName, Completion_Date, CompOrderObj)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            &failure)) {
        return fail(QStringLiteral("Writing the snapshot failed"));
    }
    const QVariant stampValue(snapshotStamp);
    const QVariant kinds[] = {QStringLiteral("G"), QStringLiteral("G"), QStringLiteral("T"), QStringLiteral("R")};
    const std::size_t total = rows.size();
    const std::size_t step = std::max<std::size_t>(1, total / 70);
    for (std::size_t i = 0; i < total; ++i) {
        const SnapshotRow& row = rows[i];
        QVariant type = Sql::nullText();
        QString name;
        QVariant priority = Sql::nullInteger();
        QVariant res = Sql::nullText();
        QVariant resShare = Sql::nullReal();
        switch (row.kind) {
        case SnapshotRow::Kind::Root:
            name = kRootName;
            break;
        case SnapshotRow::Kind::Goal:
        case SnapshotRow::Kind::Task: {
            const std::size_t source = std::size_t(row.source);
            const ObjectRecord& object = row.kind == SnapshotRow::Kind::Goal
                ? static_cast<const ObjectRecord&>(input.goals[source])
                : input.tasks[source];
            type = object.objectType;
            name = object.shortName;
            priority = object.priority;
            break;
        }
        case SnapshotRow::Kind::Assignment: {
            const AssignmentRecord& a = input.assignments[std::size_t(row.source)];
            const TaskRecord& task = input.tasks[std::size_t(rows[std::size_t(row.parentRow)].source)];
            name = a.member + QStringLiteral(" (") + task.shortName + QLatin1Char(')');
            res = a.member;
            resShare = figureOrNull(a.perWorkload);
            break;
        }
        }
        const bool root = row.kind == SnapshotRow::Kind::Root;
        const bool summary = root || row.kind == SnapshotRow::Kind::Goal;
        QString hname;
        if (root) {
            hname = kRootName;
        } else {
            const int level = row.kind == SnapshotRow::Kind::Assignment ? row.depth + 1 : row.depth;
            const int indent = 4 * std::min(level, SnapshotRow::kIndentLevels);
            const QString& shown = row.kind == SnapshotRow::Kind::Assignment ? row.member : name;
            hname.reserve(indent + shown.size());
            hname.fill(QLatin1Char(' '), indent);
            hname += shown;
        }
        insert.bindValue(0, stampValue);
        insert.bindValue(1, kinds[int(row.kind)]);
        insert.bindValue(2, row.gtId);
        insert.bindValue(3, type);
        insert.bindValue(4, name);
        insert.bindValue(5, Sql::textOrNull(row.path));
        insert.bindValue(6, priority);
        insert.bindValue(7, Sql::textOrNull(row.status));
        insert.bindValue(8, root ? Sql::nullInteger() : QVariant(row.parentId));
        insert.bindValue(9, res);
        insert.bindValue(10, resShare);
        insert.bindValue(11, figureOrNull(row.planned));
        insert.bindValue(12, figureOrNull(row.perComp));
        insert.bindValue(13, figureOrNull(row.needed));
        insert.bindValue(14, figureOrNull(row.est));
        insert.bindValue(15, figureOrNull(row.diff));
        insert.bindValue(16, summary ? figureOrNull(row.progress) : Sql::nullReal());
        insert.bindValue(17, row.key);
        insert.bindValue(18, row.depth);
        insert.bindValue(19, row.calc < 0 ? Sql::nullInteger() : QVariant(row.calc));
        insert.bindValue(20, row.treeSort);
        insert.bindValue(21, hname);
        insert.bindValue(22, Sql::textOrNull(MemberCalendar::toText(row.completion)));
        insert.bindValue(23, row.compOrder > 0 ? QVariant(row.compOrder) : Sql::nullInteger());
        if (!Sql::exec(insert, &failure)) {
            return fail(
                QStringLiteral("Writing the snapshot row %1 of %2 (%3) failed").arg(row.treeSort).arg(total).arg(name));
        }
        if (i % step == 0) {
            report(30 + int(69.0 * double(i) / double(total)));
        }
    }
    insert.finish();
    // The hours the dates came from, so that the snapshot can be replayed later.
    if (!SnapshotHours::write(m_connection, snapshotStamp, input.members, &failure)) {
        return fail(QStringLiteral("Writing the snapshot's working hours failed"));
    }
    if (!tx.commit()) {
        failure = tx.error();
        return fail(QStringLiteral("Saving the snapshot failed"));
    }
    m_times.insert = timer.elapsed();
    m_rowCount = qint64(total);
    *stamp = snapshotStamp;
    report(100);
    return true;
}
