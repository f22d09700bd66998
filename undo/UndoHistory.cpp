#include "undo/UndoHistory.h"

#include "db/Sql.h"
#include "db/UndoLog.h"
#include "db/UndoReplay.h"

bool UndoHistory::steps(const QString& connection, QList<Step>* steps, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query,
                  QStringLiteral("SELECT ID, NAME, CREATED, DONE FROM UndoStep WHERE %1 ORDER BY ID")
                      .arg(UndoLog::ownSteps(connection)),
                  {},
                  error)) {
        return false;
    }
    steps->clear();
    while (query.next()) {
        steps->append({query.value(0).toLongLong(),
                       query.value(1).toString(),
                       query.value(2).toString(),
                       query.value(3).toInt() != 0});
    }
    return true;
}

bool UndoHistory::undo(const QString& connection, QString* error)
{
    QList<Step> all;
    if (!steps(connection, &all, error)) {
        return false;
    }
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if (it->done) {
            return apply(connection, *it, true, error);
        }
    }
    Sql::setError(error, QStringLiteral("There is nothing to undo."));
    return false;
}

bool UndoHistory::redo(const QString& connection, QString* error)
{
    QList<Step> all;
    if (!steps(connection, &all, error)) {
        return false;
    }
    for (const Step& s : all) {
        if (!s.done) {
            return apply(connection, s, false, error);
        }
    }
    Sql::setError(error, QStringLiteral("There is nothing to redo."));
    return false;
}

bool UndoHistory::goTo(const QString& connection, qint64 lastDone, QString* error)
{
    QList<Step> all;
    if (!steps(connection, &all, error)) {
        return false;
    }
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if (it->done && it->id > lastDone && !apply(connection, *it, true, error)) {
            return false;
        }
    }
    for (const Step& s : all) {
        if (!s.done && s.id <= lastDone && !apply(connection, s, false, error)) {
            return false;
        }
    }
    return true;
}

bool UndoHistory::apply(const QString& connection, const Step& step, bool backwards, QString* error)
{
    return UndoReplay::apply(connection, step.id, step.name, backwards, error);
}
