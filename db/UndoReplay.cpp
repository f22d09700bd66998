#include "db/UndoReplay.h"

#include "db/Database.h"
#include "db/ServerSchema.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "db/UndoLog.h"

#include <QHash>

namespace {

struct TableShape
{
    QStringList columns;
    QStringList written; // what a replay writes: a server raises the row version itself
    QStringList keys; // a server's primary key; none for the table of one row
    bool rowidIsColumn = false; // a file's INTEGER PRIMARY KEY names the rowid
};

// A foreign key into a table: rows of `table` whose `column` holds the table's `target`.
struct Reference
{
    QString table;
    QString column;
    QString target;
};

struct Entry
{
    qint64 log = 0;
    QString table;
    QString kind;
    bool carried = false; // a cascade of this replay writes the row
};

// A server step that changed a key other rows refer to: the cascade carried them along.
struct KeyChange
{
    qint64 log = 0;
    Reference reference;
    QString before; // the key where the replay starts, as text
    QList<qint64> carried;
};

// The number of rows `sql` yields.
bool countRows(const QString& connection, const QString& sql, const QVariantList& values, qint64* n, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, sql, values, error)) {
        return false;
    }
    *n = 0;
    while (query.next()) {
        ++*n;
    }
    return true;
}

bool fileShape(const QString& connection, const QString& table, TableShape* shape, QString* error)
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
    shape->written = shape->columns;
    shape->rowidIsColumn = keys == 1 && integerKey;
    return true;
}

bool serverShape(const QString& connection, const QString& table, TableShape* shape, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query,
                  QStringLiteral("SELECT a.attname, coalesce(a.attnum = ANY (i.indkey), false) FROM pg_attribute a"
                                 " LEFT JOIN pg_index i ON i.indrelid = a.attrelid AND i.indisprimary"
                                 " WHERE a.attrelid = to_regclass(?) AND a.attnum > 0 AND NOT a.attisdropped"
                                 " ORDER BY a.attnum"),
                  {table.toLower()},
                  error)) {
        return false;
    }
    while (query.next()) {
        const QString column = query.value(0).toString();
        shape->columns << column;
        if (column != QLatin1String(ServerSchema::kVersionColumn)) {
            shape->written << column;
        }
        if (query.value(1).toBool()) {
            shape->keys << column;
        }
    }
    return true;
}

bool serverReferences(const QString& connection, const QString& table, QList<Reference>* references, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query,
                  QStringLiteral("SELECT c.conrelid::regclass::text, a.attname, p.attname FROM pg_constraint c"
                                 " JOIN pg_attribute a ON a.attrelid = c.conrelid AND a.attnum = c.conkey[1]"
                                 " JOIN pg_attribute p ON p.attrelid = c.confrelid AND p.attnum = c.confkey[1]"
                                 " WHERE c.contype = 'f' AND c.confrelid = to_regclass(?)"
                                 " AND cardinality(c.conkey) = 1 ORDER BY 1, 2"),
                  {table.toLower()},
                  error)) {
        return false;
    }
    while (query.next()) {
        references->append({query.value(0).toString().toUpper(), query.value(1).toString(), query.value(2).toString()});
    }
    return true;
}

// A condition on `table` (two values: LOG, SIDE) that holds for the row an image stands for.
QString locate(const QString& image, const TableShape& shape, bool server)
{
    if (!server) {
        return QStringLiteral("rowid = (SELECT RID FROM %1 WHERE LOG = ? AND SIDE = ?)").arg(image);
    }
    if (shape.keys.isEmpty()) {
        return QStringLiteral("EXISTS (SELECT 1 FROM %1 WHERE LOG = ? AND SIDE = ?)").arg(image);
    }
    const QString keys = shape.keys.join(QStringLiteral(", "));
    return QStringLiteral("(%1) = (SELECT %1 FROM %2 WHERE LOG = ? AND SIDE = ?)").arg(keys, image);
}

// Rows (0 or 1) of `table` that are as the image has them, letter case included. A
// server holds the row until the transaction ends.
QString sameRow(const QString& table, const QString& image, const TableShape& shape, bool server)
{
    QStringList equal;
    for (const QString& c : shape.written) {
        equal << (server ? QStringLiteral("t.%1::text IS NOT DISTINCT FROM i.%1::text")
                         : QStringLiteral("t.%1 IS i.%1 COLLATE BINARY"))
                     .arg(c);
    }
    if (!server) {
        return QStringLiteral("SELECT 1 FROM %1 t JOIN %2 i ON t.rowid = i.RID WHERE i.LOG = ? AND i.SIDE = ? AND %3")
            .arg(table, image, equal.join(QStringLiteral(" AND ")));
    }
    QStringList join;
    for (const QString& k : shape.keys) {
        join << QStringLiteral("t.%1 = i.%1").arg(k);
    }
    return QStringLiteral("SELECT 1 FROM %1 t JOIN %2 i ON %3 WHERE i.LOG = ? AND i.SIDE = ? AND %4 FOR UPDATE OF t")
        .arg(table,
             image,
             join.isEmpty() ? QStringLiteral("TRUE") : join.join(QStringLiteral(" AND ")),
             equal.join(QStringLiteral(" AND ")));
}

// The value of `column` in both images of an update, as text.
bool sides(const QString& connection,
           const QString& table,
           const QString& column,
           qint64 log,
           int from,
           QString* before,
           QString* after,
           QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query,
                  QStringLiteral("SELECT f.%1::text, t.%1::text FROM %2 f JOIN %2 t ON t.LOG = f.LOG"
                                 " WHERE f.LOG = ? AND f.SIDE = ? AND t.SIDE = ?")
                      .arg(column, UndoLog::imageTable(table)),
                  {log, from, 1 - from},
                  error)) {
        return false;
    }
    if (query.next()) {
        *before = query.value(0).toString();
        *after = query.value(1).toString();
    }
    return true;
}

// The key changes of a server step in replay order, each with the logged rows its
// cascade carries; each key change moves ahead of the first row it carries, since
// the cascade writes them when the key changes.
bool keyChanges(const QString& connection,
                QList<Entry>* list,
                const QHash<QString, QList<Reference>>& references,
                int from,
                QList<KeyChange>* changes,
                QString* error)
{
    for (const Entry& e : std::as_const(*list)) {
        if (e.kind != QLatin1String("U")) {
            continue;
        }
        for (const Reference& r : references.value(e.table)) {
            QString before, after;
            if (!sides(connection, e.table, r.target, e.log, from, &before, &after, error)) {
                return false;
            }
            if (before != after) {
                changes->append({e.log, r, before, {}});
                for (const Entry& c : std::as_const(*list)) {
                    if (c.table != r.table || c.kind != QLatin1String("U") || c.log == e.log) {
                        continue;
                    }
                    QString cBefore, cAfter;
                    if (!sides(connection, c.table, r.column, c.log, from, &cBefore, &cAfter, error)) {
                        return false;
                    }
                    if (cBefore == before && cAfter == after) {
                        changes->last().carried << c.log;
                    }
                }
            }
        }
    }
    auto indexOf = [&](qint64 log) {
        for (int i = 0; i < list->size(); ++i) {
            if (list->at(i).log == log) {
                return i;
            }
        }
        return -1;
    };
    for (const KeyChange& k : std::as_const(*changes)) {
        int first = indexOf(k.log);
        for (qint64 c : k.carried) {
            first = std::min(first, indexOf(c));
            (*list)[indexOf(c)].carried = true;
        }
        list->move(indexOf(k.log), first);
    }
    return true;
}

} // namespace

bool UndoReplay::apply(const QString& connection, qint64 step, const QString& name, bool backwards, QString* error)
{
    if (Transaction::isOpen(connection)) {
        Sql::setError(error, QStringLiteral("Another change is still being written."));
        return false;
    }
    const bool server = Database::isServer(connection);
    const QString verb = backwards ? QStringLiteral("undo") : QStringLiteral("redo");
    const QString refusal = QStringLiteral("Cannot %1 \"%2\": ").arg(verb, name);
    const auto needed = [&](const QString& table) {
        return refusal + QStringLiteral("rows it needs (in %1) were changed since.").arg(table);
    };
    // A file's images are replayed row by row exactly as logged; cascades and parent
    // checks would act a second time on rows the log restores itself. Integrity is
    // checked as a whole before the commit. The setting only changes outside a transaction.
    if (!server && !Sql::exec(connection, QStringLiteral("PRAGMA foreign_keys = OFF"), error)) {
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
                     {step},
                     error);
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
        // Only the tables the step wrote: each costs a catalog read per replay.
        QStringList written;
        for (const Entry& e : std::as_const(list)) {
            if (!written.contains(e.table)) {
                written << e.table;
            }
        }
        QHash<QString, TableShape> shapes;
        QHash<QString, QList<Reference>> references;
        for (const QString& table : std::as_const(written)) {
            ok = ok &&
                (server ? serverShape(connection, table, &shapes[table], error) &&
                         serverReferences(connection, table, &references[table], error)
                        : fileShape(connection, table, &shapes[table], error));
        }
        const int from = backwards ? 1 : 0;
        const int to = 1 - from;
        QList<KeyChange> changes;
        ok = ok && (!server || keyChanges(connection, &list, references, from, &changes, error));
        enum class Outcome { Done, Waits, Refused };
        // Replays one entry; *refusal gets the words when it is refused, or when it waits
        // and waits in vain. Only a server's entries wait: a delete for the rows below it,
        // an insert for the row above it (a cascade logs the row above first).
        const auto replay = [&](const Entry& e, QString* words) -> Outcome {
            const TableShape& shape = shapes[e.table];
            // Side 0 exists for updates and deletes, side 1 for inserts and updates.
            const bool hasFrom = e.kind == QLatin1String("U") || (e.kind == QLatin1String("I")) == (from == 1);
            const bool hasTo = e.kind == QLatin1String("U") || (e.kind == QLatin1String("I")) == (to == 1);
            const QString image = UndoLog::imageTable(e.table);
            const QString where = locate(image, shape, server);
            // Read only when refused: describing costs two lookups per row.
            const auto changed = [&]() {
                *words = refusal + UndoLog::describeRow(connection, e.table, e.log, hasFrom ? from : to) +
                    QStringLiteral(" was changed since.");
                return Outcome::Refused;
            };
            qint64 n = 0;
            if (e.carried) {
                // Written by the cascade of a key changed before: it must now be as logged.
                const bool same =
                    countRows(connection, sameRow(e.table, image, shape, server), {e.log, to}, &n, words) && n == 1;
                return same ? Outcome::Done : changed();
            }
            if (hasFrom
                    ? !countRows(connection, sameRow(e.table, image, shape, server), {e.log, from}, &n, words) || n != 1
                    : !countRows(connection,
                                 QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(e.table, where),
                                 {e.log, to},
                                 &n,
                                 words) ||
                        n != 0) {
                return changed();
            }
            // A server's cascades stay on: they may carry only what the step logged, and
            // remove nothing.
            for (const Reference& r : references.value(e.table)) {
                if (!hasTo) {
                    if (!countRows(connection,
                                   QStringLiteral("SELECT 1 FROM %1 WHERE %2 = (SELECT %3 FROM %4"
                                                  " WHERE LOG = ? AND SIDE = ?)")
                                       .arg(r.table, r.column, r.target, image),
                                   {e.log, from},
                                   &n,
                                   words)) {
                        return Outcome::Refused;
                    }
                    if (n > 0) {
                        *words = needed(r.table);
                        return Outcome::Waits;
                    }
                }
                for (const KeyChange& k : std::as_const(changes)) {
                    if (hasTo && k.log == e.log && k.reference.table == r.table && k.reference.column == r.column &&
                        (!countRows(connection,
                                    QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(r.table, r.column),
                                    {k.before},
                                    &n,
                                    words) ||
                         n != k.carried.size())) {
                        *words = needed(r.table);
                        return Outcome::Refused;
                    }
                }
            }
            const QString columns = shape.written.join(QStringLiteral(", "));
            QString sql;
            QVariantList values;
            if (hasFrom && hasTo) {
                sql = QStringLiteral("UPDATE %1 SET (%2) = (SELECT %2 FROM %3 WHERE LOG = ? AND SIDE = ?) WHERE %4")
                          .arg(e.table, columns, image, where);
                values = {e.log, to, e.log, from};
            } else if (hasFrom) {
                sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(e.table, where);
                values = {e.log, from};
            } else {
                // A row put back keeps its logged version: it is the row others last saw.
                const QString all = shape.columns.join(QStringLiteral(", "));
                const bool rowid = !server && !shape.rowidIsColumn;
                sql = QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4 WHERE LOG = ? AND SIDE = ?")
                          .arg(e.table,
                               rowid ? QStringLiteral("rowid, ") + all : all,
                               rowid ? QStringLiteral("RID, ") + all : all,
                               image);
                values = {e.log, to};
            }
            // On a server a failed statement spoils its transaction: the savepoint keeps
            // it usable.
            Transaction statement(connection);
            QString failure;
            if (statement.isActive() && Sql::run(connection, sql, values, &failure) && statement.commit()) {
                return Outcome::Done;
            }
            statement.rollback();
            // A row that collides with one written since (a member of the same name), or
            // one whose row above is not back yet.
            changed();
            return server && !hasFrom ? Outcome::Waits : Outcome::Refused;
        };
        QList<QPair<Entry, QString>> waiting;
        // Retries the waiting entries until none of them goes through any more.
        const auto retry = [&]() {
            for (int i = 0; ok && i < waiting.size();) {
                const Outcome o = replay(waiting[i].first, &waiting[i].second);
                if (o == Outcome::Done) {
                    waiting.removeAt(i);
                    i = 0;
                } else if (o == Outcome::Refused) {
                    Sql::setError(error, waiting[i].second);
                    ok = false;
                } else {
                    ++i;
                }
            }
        };
        for (const Entry& e : std::as_const(list)) {
            if (!ok) {
                break;
            }
            QString words;
            const Outcome o = replay(e, &words);
            if (o == Outcome::Refused) {
                Sql::setError(error, words);
                ok = false;
                break;
            }
            if (o == Outcome::Waits) {
                waiting.append({e, words});
            } else {
                retry();
            }
        }
        if (ok) {
            retry();
        }
        if (ok && !waiting.isEmpty()) {
            Sql::setError(error, waiting.first().second);
            ok = false;
        }
        if (ok && !server) {
            QSqlQuery check(Sql::db(connection));
            ok = Sql::run(check, QStringLiteral("PRAGMA foreign_key_check"), {}, error);
            if (ok && check.next()) {
                Sql::setError(error, needed(check.value(0).toString()));
                ok = false;
            }
        }
        ok = ok &&
            Sql::run(connection,
                     QStringLiteral("UPDATE UndoStep SET DONE = ? WHERE ID = ?"),
                     {backwards ? 0 : 1, step},
                     error);
        if (ok && !tx.commit()) {
            Sql::setError(error, tx.error());
            ok = false;
        }
    }
    if (!server) {
        QString ignored;
        Sql::exec(connection, QStringLiteral("PRAGMA foreign_keys = ON"), &ignored);
    }
    return ok;
}
