#include "editing/GoalEditor.h"

#include "common/Clock.h"
#include "common/Stamp.h"
#include "db/Counters.h"
#include "editing/ColumnChanges.h"
#include "editing/EditSql.h"
#include "editing/EditTransaction.h"
#include "editing/ObjectChecks.h"
#include "editing/ObjectSave.h"

namespace {
void describe(EditOutcome& o, const GoalRecord& g)
{
    o.id = g.id;
    o.objectType = g.objectType;
    o.shortName = g.shortName;
    o.status = g.status;
    o.parentId = g.parentId;
}
} // namespace

bool GoalEditor::load(const QString& connection, qint64 id, GoalRecord* goal, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::runToRow(q,
                           QStringLiteral("SELECT ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, P_GID, DESCRIPTION,"
                                          " DEFAULT_RESOURCE, CREATED, LAST_EDITED FROM qPropertiesGoal WHERE ID = ?"),
                           {id},
                           QStringLiteral("The goal no longer exists."),
                           error)) {
        return false;
    }
    goal->id = q.value(0).toLongLong();
    goal->objectType = q.value(1).toString();
    goal->shortName = q.value(2).toString();
    goal->priority = q.value(3).toLongLong();
    goal->status = q.value(4).toString();
    goal->parentId = Sql::optionalId(q.value(5));
    goal->description = Sql::optionalText(q.value(6));
    goal->defaultResource = Sql::optionalText(q.value(7));
    goal->created = q.value(8).toString();
    goal->lastEdited = Sql::optionalText(q.value(9));
    return true;
}

EditOutcome GoalEditor::add(const QString& connection, const GoalRecord& goal, Prompter& prompter, const Clock& clock)
{
    return EditTransaction::run(connection, {}, [&](EditOutcome& outcome, QString* error) {
        const auto id = Counters::next(connection, Counters::Kind::Goal, error);
        if (!id) {
            return false;
        }
        GoalRecord saved = goal;
        saved.id = *id;
        saved.created = Stamp::toText(clock.now());
        saved.lastEdited.reset();
        if (!Sql::run(
                connection,
                QStringLiteral("INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS,"
                               " P_GID, DESCRIPTION, DEFAULT_RESOURCE, CREATED) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {saved.id,
                 saved.objectType,
                 saved.shortName,
                 saved.priority,
                 saved.status,
                 Sql::orNull(saved.parentId),
                 Sql::textOrNull(saved.description),
                 Sql::textOrNull(saved.defaultResource),
                 saved.created},
                error) ||
            !ObjectChecks::CheckParentStatus(connection, saved.parentId, prompter, &outcome.statusChanges, error)) {
            return false;
        }
        describe(outcome, saved);
        outcome.written = true;
        return true;
    });
}

EditOutcome GoalEditor::saveChanges(const QString& connection,
                                    const GoalRecord& stored,
                                    const GoalRecord& edited,
                                    Prompter& prompter,
                                    const Clock& clock)
{
    ColumnChanges changes;
    ObjectSave::changeCommonColumns(changes, stored, edited);
    const QString member = edited.defaultResource.value_or(QString());
    changes.change(textDiffers(stored.defaultResource, member), "DEFAULT_RESOURCE", member);

    GoalRecord saved = edited;
    saved.id = stored.id;
    saved.parentId = stored.parentId;
    EditOutcome outcome;
    describe(outcome, saved);
    return ObjectSave::write(connection,
                             QStringLiteral("GOALS_SW"),
                             stored.id,
                             stored.parentId,
                             QStringLiteral("The goal no longer exists."),
                             changes,
                             outcome,
                             prompter,
                             clock);
}

bool GoalEditor::checkStatusChange(const QString& connection,
                                   const GoalRecord& stored,
                                   const QString& selected,
                                   Prompter& prompter,
                                   StatusChangeCheck::Verdict* verdict,
                                   QString* error)
{
    int state = ObjectChecks::None;
    if (!ObjectChecks::SubObjectState(connection, stored.id, &state, error)) {
        *verdict = {false, selected};
        return false;
    }
    *verdict = StatusChangeCheck::goal(stored.status, selected, state, prompter);
    return true;
}
