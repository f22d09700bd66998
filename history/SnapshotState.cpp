#include "history/SnapshotState.h"

#include "common/Figure.h"
#include "common/Stamp.h"
#include "db/Sql.h"
#include "db/Statement.h"
#include "schedule/MemberCalendar.h"
#include "schedule/RollUpCompletionDates.h"
#include "schedule/ScheduleTeamMembers.h"
#include "schedule/SnapshotHours.h"
#include "schedule/SnapshotInput.h"
#include "schedule/WriteSubtreeRows.h"

#include <QHash>
#include <algorithm>
#include <deque>
#include <thread>

namespace {
const QString kRootName = QStringLiteral("Cairnwork");

// Rows point at their parents: an assignment at its task, a task at its goal, a
// goal at its parent goal or the root. Ids name rows of this snapshot only.
void linkParents(std::vector<SnapshotRow>& rows, const std::vector<qint64>& parentIds)
{
    QHash<qint64, int> goals;
    QHash<qint64, int> tasks;
    int root = -1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SnapshotRow& row = rows[i];
        if (row.kind == SnapshotRow::Kind::Root) {
            root = int(i);
        } else if (row.kind == SnapshotRow::Kind::Goal) {
            goals.insert(row.gtId, int(i));
        } else if (row.kind == SnapshotRow::Kind::Task) {
            tasks.insert(row.gtId, int(i));
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SnapshotRow& row = rows[i];
        const qint64 parentId = parentIds[i];
        switch (row.kind) {
        case SnapshotRow::Kind::Root:
            row.parentRow = -1;
            break;
        case SnapshotRow::Kind::Goal:
            row.parentRow = parentId == 0 ? root : goals.value(parentId, -1);
            break;
        case SnapshotRow::Kind::Task:
            row.parentRow = goals.value(parentId, -1);
            break;
        case SnapshotRow::Kind::Assignment:
            row.parentRow = tasks.value(parentId, -1);
            break;
        }
    }
}

} // namespace

qint64 SnapshotState::secondsOf(const QString& text)
{
    // Both stand for "no date" with the same value.
    static_assert(SnapshotRow::kNoDate == MemberCalendar::kNever);
    return MemberCalendar::fromText(text);
}

bool SnapshotState::load(const QString& connection, const QString& stamp, SnapshotState* state, QString* error)
{
    *state = SnapshotState();
    state->stamp = stamp;
    state->moment = secondsOf(stamp);
    if (state->moment == SnapshotRow::kNoDate) {
        Sql::setError(error, QStringLiteral("\"%1\" is not a snapshot stamp (YYYY-MM-DD HH:MM:SS)").arg(stamp));
        return false;
    }
    // The hot read of a comparison or a timeline: the engine's own interface where it can.
    const auto query = Statement::prepare(
        connection,
        // An assignment's name is its task's: not read twice.
        QStringLiteral("SELECT OBJ, GT_ID, CASE WHEN OBJ = 'R' THEN NULL ELSE GT_Name END, GT_Status,"
                       " GT_Parent_ID, Res, Planned, PerComp, Needed, Est, Completion_Order, Tree_Depth,"
                       " Calc, Completion_Date"
                       " FROM CompDates WHERE TimeStamp = ? ORDER BY HTreeSort, ID"),
        error);
    if (!query) {
        return false;
    }
    query->bindText(0, stamp);
    // Statuses and member names repeat on most rows: one copy of each, which the
    // rows point into and the state keeps alive.
    auto pool = std::make_shared<std::deque<QString>>();
    QHash<QString, const QString*> pooled;
    const QString* nullText = &pool->emplace_back();
    const auto intern = [&](int column) -> const QString* {
        if (query->isNull(column)) {
            return nullText;
        }
        const QString text = query->text(column);
        auto found = pooled.constFind(text);
        if (found == pooled.constEnd()) {
            found = pooled.insert(text, &pool->emplace_back(text));
        }
        return *found;
    };
    state->texts = pool;
    Statement::Step step;
    while ((step = query->step(error)) == Statement::Step::Row) {
        SnapshotRow row;
        const QString obj = query->text(0);
        row.gtId = query->integer(1);
        const bool isGoalObj = obj == QLatin1String("G");
        row.kind = obj == QLatin1String("R") ? SnapshotRow::Kind::Assignment
            : obj == QLatin1String("T")      ? SnapshotRow::Kind::Task
            : isGoalObj && query->isNull(4)  ? SnapshotRow::Kind::Root
                                             : SnapshotRow::Kind::Goal;
        row.status = intern(3);
        state->parentIds.push_back(query->integer(4));
        if (row.kind == SnapshotRow::Kind::Assignment) {
            row.member = intern(5);
        }
        row.planned = query->figure(6);
        row.perComp = query->figure(7);
        row.needed = query->figure(8);
        row.est = query->figure(9);
        state->keys.push_back(query->text(10));
        row.depth = int(query->integer(11));
        row.calc = query->isNull(12) ? -1 : int(query->integer(12));
        row.completion = secondsOf(query->text(13));
        state->names.push_back(row.kind == SnapshotRow::Kind::Root ? kRootName : query->text(2));
        state->rows.push_back(std::move(row));
    }
    if (step == Statement::Step::Failed) {
        return false;
    }
    if (state->rows.empty()) {
        Sql::setError(error, QStringLiteral("there is no snapshot with the stamp \"%1\"").arg(stamp));
        return false;
    }
    linkParents(state->rows, state->parentIds);
    // Each side's own key order; a replay ranks both sides' keys together.
    std::vector<int> byKey(state->rows.size());
    for (std::size_t i = 0; i < byKey.size(); ++i) {
        byKey[i] = int(i);
    }
    std::sort(byKey.begin(), byKey.end(), [state](int x, int y) {
        return state->keys[std::size_t(x)] < state->keys[std::size_t(y)];
    });
    int rank = 0;
    for (std::size_t k = 0; k < byKey.size(); ++k) {
        if (k > 0 && state->keys[std::size_t(byKey[k])] != state->keys[std::size_t(byKey[k - 1])]) {
            ++rank;
        }
        state->rows[std::size_t(byKey[k])].order = rank;
    }
    // An assignment row's GT_Name joins member and task: the task's own row names it.
    for (std::size_t i = 0; i < state->rows.size(); ++i) {
        const SnapshotRow& row = state->rows[i];
        if (row.kind == SnapshotRow::Kind::Assignment && row.parentRow >= 0) {
            state->names[i] = state->names[std::size_t(row.parentRow)];
        }
    }
    if (!SnapshotHours::read(connection, stamp, &state->members, &state->hoursStored, error)) {
        return false;
    }
    return state->hoursStored || SnapshotHours::team(connection, &state->members, error);
}

bool SnapshotState::live(const QString& connection, qint64 moment, SnapshotState* state, QString* error)
{
    *state = SnapshotState();
    state->moment = moment;
    // The rows point into the input's texts: the state keeps it.
    const auto shared = std::make_shared<SnapshotInput>();
    state->texts = shared;
    SnapshotInput& input = *shared;
    if (!input.load(connection, error)) {
        return false;
    }
    // The generation's own steps, so "now" is what a snapshot taken now would hold.
    SnapshotRows made = WriteSubtreeRows(input).run();
    state->rows = std::move(made.rows);
    state->keys.reserve(state->rows.size());
    state->parentIds.reserve(state->rows.size());
    for (const SnapshotRow& row : state->rows) {
        state->keys.push_back(made.keys.text(row.order));
        const SnapshotRow* parent = row.parentRow >= 0 ? &state->rows[std::size_t(row.parentRow)] : nullptr;
        state->parentIds.push_back(parent ? parent->gtId : 0);
    }
    if (!ScheduleTeamMembers::run(state->rows, input.members, moment, error)) {
        return false;
    }
    RollUpCompletionDates::run(state->rows);
    state->names.reserve(state->rows.size());
    for (const SnapshotRow& row : state->rows) {
        switch (row.kind) {
        case SnapshotRow::Kind::Root:
            state->names.push_back(kRootName);
            break;
        case SnapshotRow::Kind::Goal:
            state->names.push_back(input.goals[std::size_t(row.source)].shortName);
            break;
        case SnapshotRow::Kind::Task:
            state->names.push_back(input.tasks[std::size_t(row.source)].shortName);
            break;
        case SnapshotRow::Kind::Assignment:
            state->names.push_back(input.tasks[std::size_t(state->rows[std::size_t(row.parentRow)].source)].shortName);
            break;
        }
    }
    state->members = input.members;
    state->hoursStored = true;
    return true;
}

bool SnapshotState::loadPair(const QString& connection,
                             const QString& stampA,
                             const QString& stampB,
                             qint64 liveMoment,
                             SnapshotState* a,
                             SnapshotState* b,
                             QString* error)
{
    QString errorA;
    bool okA = false;
    std::thread reader([&] {
        const QString name = connection + QStringLiteral("-compare-a");
        {
            QSqlDatabase db = QSqlDatabase::cloneDatabase(connection, name);
            if (!db.open()) {
                errorA = Sql::describe(db.lastError());
            } else {
                okA = load(name, stampA, a, &errorA);
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    });
    const bool okB = stampB.isEmpty() ? live(connection, liveMoment, b, error) : load(connection, stampB, b, error);
    reader.join();
    if (!okA) {
        Sql::setError(error, errorA);
    }
    return okA && okB;
}

bool SnapshotState::stamps(const QString& connection, QStringList* stamps, QString* error)
{
    stamps->clear();
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, QStringLiteral("SELECT DISTINCT TimeStamp FROM CompDates ORDER BY TimeStamp"), {}, error)) {
        return false;
    }
    while (query.next()) {
        stamps->append(query.value(0).toString());
    }
    return true;
}
