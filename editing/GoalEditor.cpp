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

bool GoalEditor::load(const QString& connection, qint64 id, GoalRecord* goal, RowImage* image, QString* error)
{
    RowImage row;
    if (!ObjectSave::loadRow(connection,
                             QStringLiteral("qPropertiesGoal"),
                             {QStringLiteral("ID")},
                             {id},
                             QStringLiteral("The goal no longer exists."),
                             &row,
                             error)) {
        return false;
    }
    ObjectSave::readCommonColumns(row, goal);
    goal->parentId = Sql::optionalId(row.value(QStringLiteral("P_GID")));
    goal->defaultResource = Sql::optionalText(row.value(QStringLiteral("DEFAULT_RESOURCE")));
    if (image) {
        *image = row;
    }
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
                                    const RowImage& loaded,
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
                             loaded,
                             ObjectSave::describedAs(stored),
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
