#include "editing/GoalEditor.h"

#include "common/Clock.h"
#include "common/Stamp.h"
#include "db/Counters.h"
#include "db/Transaction.h"
#include "editing/EditSql.h"
#include "editing/ObjectChecks.h"

namespace {
std::optional<QString> nonEmpty(const std::optional<QString>& text)
{
    return text && !text->isEmpty() ? text : std::nullopt;
}

void describe(EditOutcome& o, const GoalProperties& g)
{
    o.id = g.id;
    o.objectType = g.objectType;
    o.shortName = g.shortName;
    o.status = g.status;
    o.parentId = g.parentId;
}
} // namespace

bool GoalEditor::load(const QString& connection, qint64 id, GoalProperties* goal, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::run(q,
                      QStringLiteral("SELECT ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, P_GID, DESCRIPTION,"
                                     " DEFAULT_RESOURCE, CREATED, LAST_EDITED FROM qPropertiesGoal WHERE ID = ?"),
                      {id},
                      error)) {
        return false;
    }
    if (!q.next()) {
        Sql::setError(error, QStringLiteral("The goal no longer exists."));
        return false;
    }
    goal->id = q.value(0).toLongLong();
    goal->objectType = q.value(1).toString();
    goal->shortName = q.value(2).toString();
    goal->priority = q.value(3).toLongLong();
    goal->status = q.value(4).toString();
    goal->parentId = EditSql::optionalId(q.value(5));
    goal->description = EditSql::optionalText(q.value(6));
    goal->defaultResource = EditSql::optionalText(q.value(7));
    goal->created = q.value(8).toString();
    goal->lastEdited = q.value(9).toString();
    return true;
}

EditOutcome
GoalEditor::add(const QString& connection, const GoalProperties& goal, Prompter& prompter, const Clock& clock)
{
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    QString error;
    const auto id = Counters::next(connection, Counters::Kind::Goal, &error);
    if (!id) {
        return EditOutcome::failure(error);
    }
    GoalProperties saved = goal;
    saved.id = *id;
    saved.description = nonEmpty(goal.description);
    saved.defaultResource = nonEmpty(goal.defaultResource);
    saved.created = Stamp::toText(clock.now());
    saved.lastEdited.clear();
    EditOutcome outcome;
    if (!EditSql::run(
            connection,
            QStringLiteral("INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS,"
                           " P_GID, DESCRIPTION, DEFAULT_RESOURCE, CREATED) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {saved.id,
             saved.objectType,
             saved.shortName,
             saved.priority,
             saved.status,
             EditSql::orNull(saved.parentId),
             EditSql::orNull(saved.description),
             EditSql::orNull(saved.defaultResource),
             saved.created},
            &error) ||
        !ObjectChecks::CheckParentStatus(connection, saved.parentId, prompter, &outcome.statusChanges, &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    describe(outcome, saved);
    outcome.ok = true;
    outcome.written = true;
    return outcome;
}

EditOutcome GoalEditor::saveChanges(const QString& connection,
                                    const GoalProperties& stored,
                                    const GoalProperties& edited,
                                    Prompter& prompter,
                                    const Clock& clock)
{
    QStringList columns;
    QVariantList values;
    auto change = [&](bool differs, const char* column, const QVariant& value) {
        if (differs) {
            columns << QLatin1String(column) + QStringLiteral(" = ?");
            values << value;
        }
    };
    const QString description = edited.description.value_or(QString());
    const QString member = edited.defaultResource.value_or(QString());
    change(edited.objectType != stored.objectType, "OBJECT_TYPE", edited.objectType);
    change(edited.shortName != stored.shortName, "SHORT_NAME", edited.shortName);
    change(edited.priority != stored.priority, "PRIORITY", edited.priority);
    change(edited.status != stored.status, "STATUS", edited.status);
    change(textDiffers(stored.description, description), "DESCRIPTION", description);
    change(textDiffers(stored.defaultResource, member), "DEFAULT_RESOURCE", member);

    EditOutcome outcome;
    describe(outcome, stored);
    if (columns.isEmpty()) {
        outcome.ok = true;
        return outcome;
    }
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    const QString now = Stamp::toText(clock.now());
    columns << QStringLiteral("LAST_EDITED = ?");
    values << now << stored.id;
    QString error;
    QSqlQuery update(Sql::db(connection));
    if (!EditSql::run(update,
                      QStringLiteral("UPDATE GOALS_SW SET ") + columns.join(QStringLiteral(", ")) +
                          QStringLiteral(" WHERE ID = ?"),
                      values,
                      &error)) {
        return EditOutcome::failure(error);
    }
    if (update.numRowsAffected() != 1) {
        return EditOutcome::failure(QStringLiteral("The goal no longer exists."));
    }
    if (!ObjectChecks::CheckParentStatus(connection, stored.parentId, prompter, &outcome.statusChanges, &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    GoalProperties saved = edited;
    saved.id = stored.id;
    saved.parentId = stored.parentId;
    describe(outcome, saved);
    outcome.ok = true;
    outcome.written = true;
    return outcome;
}

bool GoalEditor::checkStatusChange(const QString& connection,
                                   const GoalProperties& stored,
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
