#include "undo/UndoHistory.h"

#include "db/Sql.h"
#include "db/Transaction.h"
#include "db/UndoLog.h"

#include <QHash>

namespace {

struct TableShape
{
    QStringList columns;
    bool rowidIsColumn = false; // an INTEGER PRIMARY KEY names the rowid
};

bool shapeOf(const QString& connection, const QString& table, TableShape* shape, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, QStringLiteral("PRAGMA table_info(%1)").arg(table), {}, error)) {
        return false;
    }
    int keys = 0;
    bool integerKey = false;
    while (query.next()) {
        shape->columns << query.value(1).toString();
        if (query.value(5).toInt() > 0) {
            ++keys;
            integerKey = query.value(2).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        }
    }
    shape->rowidIsColumn = keys == 1 && integerKey;
    return true;
}

// Whether the row the image stands for is in the table exactly as the image has it,
// letter case included.
QString sameRowQuery(const QString& table, const TableShape& shape)
{
    QStringList equal;
    for (const QString& c : shape.columns) {
        equal << QStringLiteral("t.%1 IS i.%1 COLLATE BINARY").arg(c);
    }
    return QStringLiteral("SELECT COUNT(*) FROM %1 t JOIN %2 i ON t.rowid = i.RID"
                          " WHERE i.LOG = ? AND i.SIDE = ? AND %3")
        .arg(table, UndoLog::imageTable(table), equal.join(QStringLiteral(" AND ")));
}

bool count(const QString& connection, const QString& sql, const QVariantList& values, qint64* n, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, sql, values, error) || !query.next()) {
        Sql::setError(error, error && !error->isEmpty() ? *error : QStringLiteral("No result."));
        return false;
    }
    *n = query.value(0).toLongLong();
    return true;
}

} // namespace

bool UndoHistory::steps(const QString& connection, QList<Step>* steps, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, QStringLiteral("SELECT ID, NAME, CREATED, DONE FROM UndoStep ORDER BY ID"), {}, error)) {
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
    if (Transaction::isOpen(connection)) {
        Sql::setError(error, QStringLiteral("Another change is still being written."));
        return false;
    }
    const QString verb = backwards ? QStringLiteral("undo") : QStringLiteral("redo");
    const QString refusal = QStringLiteral("Cannot %1 \"%2\": ").arg(verb, step.name);
    // The images are replayed row by row exactly as logged; cascades and parent checks
    // would act a second time on rows the log restores itself. Integrity is checked as
    // a whole before the commit. The setting only changes outside a transaction.
    if (!Sql::exec(connection, QStringLiteral("PRAGMA foreign_keys = OFF"), error)) {
        return false;
    }
    bool ok = false;
    {
        UndoLog::Pause pause(connection);
        Transaction tx(connection);
        ok = tx.isActive();
        if (!ok) {
            Sql::setError(error, tx.error());
        }
        QSqlQuery entries(Sql::db(connection));
        ok = ok &&
            Sql::run(entries,
                     QStringLiteral("SELECT ID, TBL, KIND FROM UndoEntry WHERE STEP = ? ORDER BY ID %1")
                         .arg(backwards ? QStringLiteral("DESC") : QStringLiteral("ASC")),
                     {step.id},
                     error);
        struct Entry
        {
            qint64 log;
            QString table;
            QString kind;
        };
        QList<Entry> list;
        // The log is a table like any other: another program may have written it. Only the
        // tables and kinds the triggers write are replayed, so no logged text becomes SQL.
        static const QStringList kinds = {QStringLiteral("I"), QStringLiteral("U"), QStringLiteral("D")};
        const QStringList tables = UndoLog::capturedTables();
        while (ok && entries.next()) {
            const Entry e{entries.value(0).toLongLong(), entries.value(1).toString(), entries.value(2).toString()};
            if (!tables.contains(e.table) || !kinds.contains(e.kind)) {
                Sql::setError(error,
                              refusal + QStringLiteral("its record in the project is damaged (entry %1).").arg(e.log));
                ok = false;
                break;
            }
            list.append(e);
        }
        entries.finish();
        QHash<QString, TableShape> shapes;
        const int from = backwards ? 1 : 0;
        const int to = 1 - from;
        for (const Entry& e : list) {
            if (!ok) {
                break;
            }
            if (!shapes.contains(e.table) && !shapeOf(connection, e.table, &shapes[e.table], error)) {
                ok = false;
                break;
            }
            const TableShape& shape = shapes[e.table];
            // Side 0 exists for updates and deletes, side 1 for inserts and updates.
            const bool hasFrom = e.kind == QLatin1String("U") || (e.kind == QLatin1String("I")) == (from == 1);
            const bool hasTo = e.kind == QLatin1String("U") || (e.kind == QLatin1String("I")) == (to == 1);
            const QString image = UndoLog::imageTable(e.table);
            // Read only when refused: describing costs two lookups per row.
            const auto changed = [&]() -> QString {
                return refusal + UndoLog::describeRow(connection, e.table, e.log, hasFrom ? from : to) +
                    QStringLiteral(" was changed since.");
            };
            qint64 n = 0;
            if (hasFrom) {
                ok = count(connection, sameRowQuery(e.table, shape), {e.log, from}, &n, error) && n == 1;
            } else {
                ok = count(connection,
                           QStringLiteral("SELECT COUNT(*) FROM %1 WHERE rowid = (SELECT RID FROM %2 WHERE LOG = ? AND "
                                          "SIDE = ?)")
                               .arg(e.table, image),
                           {e.log, to},
                           &n,
                           error) &&
                    n == 0;
            }
            if (!ok) {
                Sql::setError(error, changed());
                break;
            }
            const QString columns = shape.columns.join(QStringLiteral(", "));
            const QString fromRow = QStringLiteral("(SELECT RID FROM %1 WHERE LOG = ? AND SIDE = ?)").arg(image);
            QString sql;
            QVariantList values;
            if (hasFrom && hasTo) {
                sql = QStringLiteral("UPDATE %1 SET (%2) = (SELECT %2 FROM %3 WHERE LOG = ? AND SIDE = ?)"
                                     " WHERE rowid = %4")
                          .arg(e.table, columns, image, fromRow);
                values = {e.log, to, e.log, from};
            } else if (hasFrom) {
                sql = QStringLiteral("DELETE FROM %1 WHERE rowid = %2").arg(e.table, fromRow);
                values = {e.log, from};
            } else {
                const QString withRowid = shape.rowidIsColumn ? columns : QStringLiteral("rowid, ") + columns;
                const QString fromImage = shape.rowidIsColumn ? columns : QStringLiteral("RID, ") + columns;
                sql = QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4 WHERE LOG = ? AND SIDE = ?")
                          .arg(e.table, withRowid, fromImage, image);
                values = {e.log, to};
            }
            QString failure;
            if (!Sql::run(connection, sql, values, &failure)) {
                // A row that collides with one written since (a member of the same name).
                Sql::setError(error, changed());
                ok = false;
            }
        }
        if (ok) {
            QSqlQuery check(Sql::db(connection));
            ok = Sql::run(check, QStringLiteral("PRAGMA foreign_key_check"), {}, error);
            if (ok && check.next()) {
                Sql::setError(
                    error,
                    refusal +
                        QStringLiteral("rows it needs (in %1) were changed since.").arg(check.value(0).toString()));
                ok = false;
            }
        }
        ok = ok &&
            Sql::run(connection,
                     QStringLiteral("UPDATE UndoStep SET DONE = ? WHERE ID = ?"),
                     {backwards ? 0 : 1, step.id},
                     error);
        if (ok && !tx.commit()) {
            Sql::setError(error, tx.error());
            ok = false;
        }
    }
    QString ignored;
    Sql::exec(connection, QStringLiteral("PRAGMA foreign_keys = ON"), &ignored);
    return ok;
}
