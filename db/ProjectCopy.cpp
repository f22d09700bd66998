#include "db/ProjectCopy.h"

#include "db/Database.h"
#include "db/ServerSchema.h"
#include "db/Sql.h"

#include <QHash>
#include <QSqlRecord>

namespace {

// Tables in an order that satisfies every reference, each with the key that orders its rows.
struct TableOrder
{
    const char* name;
    const char* key;
};

const TableOrder kTables[] = {
    {"RESOURCES", "R_NAME"},
    {"GOALS_SW", "ID"},
    {"TASKS_OBJECTS", "ID"},
    {"TASK_OBJECT_RESOURCE", "FK_TASKID, FK_R_NAME"},
    {"TASK_OBJECT_WORKSHEET", "NID"},
    {"CompDates", "ID"},
    {"CompDatesHours", "TimeStamp, R_NAME"},
};

// Values in one statement. Rows go across in batches, but the file engine's driver looks
// each parameter's name up by a linear search, so large statements cost quadratic time.
constexpr int kMaxValues = 1000;

using Row = QVariantList;

// The columns of `table` on a connection, as the engine names them, without the server's
// row versions (a copy starts them anew).
bool columnsOf(const QString& connection, const QString& table, QStringList* columns, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!query.exec(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(table))) {
        Sql::setError(error, Sql::describe(query));
        return false;
    }
    const QSqlRecord record = query.record();
    columns->clear();
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i).compare(QLatin1String(ServerSchema::kVersionColumn), Qt::CaseInsensitive) != 0) {
            columns->append(record.fieldName(i).toLower());
        }
    }
    return true;
}

// Parents before their sub-goals: a goal may have been moved below a goal made after it.
// Iterative; rows on a cycle (which opening refuses) would be left out and the count
// check would say so.
QList<Row> treeOrder(const QList<Row>& goals, int idColumn, int parentColumn)
{
    QHash<qint64, QList<int>> children;
    QList<int> pending;
    QHash<qint64, bool> known;
    for (const Row& row : goals) {
        known.insert(row[idColumn].toLongLong(), true);
    }
    for (int i = 0; i < goals.size(); ++i) {
        const QVariant parent = goals[i][parentColumn];
        if (parent.isNull() || !known.contains(parent.toLongLong())) {
            pending.append(i);
        } else {
            children[parent.toLongLong()].append(i);
        }
    }
    QList<Row> ordered;
    ordered.reserve(goals.size());
    for (int next = 0; next < pending.size(); ++next) {
        const Row& row = goals[pending[next]];
        ordered.append(row);
        pending.append(children.value(row[idColumn].toLongLong()));
    }
    return ordered;
}

class Inserter
{
public:
    Inserter(const QString& connection, const QString& table, const QStringList& columns)
        : m_connection(connection)
        , m_table(table)
        , m_columns(columns)
        , m_batch(qMax(1, kMaxValues / int(columns.size())))
    {
    }

    bool add(Row row, QString* error)
    {
        m_rows.append(std::move(row));
        return m_rows.size() < m_batch || flush(error);
    }

    bool flush(QString* error)
    {
        if (m_rows.isEmpty()) {
            return true;
        }
        QSqlQuery& query = m_rows.size() == m_batch ? m_full : m_last;
        if (&query == &m_last || !m_prepared) {
            const QString one = QLatin1Char('(') +
                QStringList(m_columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
            const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                    .arg(m_table,
                                         m_columns.join(QLatin1Char(',')),
                                         QStringList(m_rows.size(), one).join(QLatin1Char(',')));
            query = QSqlQuery(Sql::db(m_connection));
            if (!Sql::prepare(query, sql, error)) {
                return false;
            }
            m_prepared = m_prepared || &query == &m_full;
        }
        int index = 0;
        for (const Row& row : std::as_const(m_rows)) {
            for (const QVariant& value : row) {
                query.bindValue(index++, value);
            }
        }
        m_rows.clear();
        if (!Sql::exec(query, error)) {
            return false;
        }
        query.finish();
        return true;
    }

private:
    QString m_connection;
    QString m_table;
    QStringList m_columns;
    int m_batch;
    QList<Row> m_rows;
    QSqlQuery m_full;
    QSqlQuery m_last;
    bool m_prepared = false;
};

bool copyTable(const QString& from, const QString& to, const TableOrder& table, QString* error)
{
    const QString name = QLatin1String(table.name);
    QStringList columns;
    QStringList targetColumns;
    if (!columnsOf(from, name, &columns, error) || !columnsOf(to, name, &targetColumns, error)) {
        return false;
    }
    for (const QString& column : std::as_const(columns)) {
        if (!targetColumns.contains(column)) {
            Sql::setError(error, QStringLiteral("The target has no column %1 in %2.").arg(column, name));
            return false;
        }
    }
    QSqlQuery read(Sql::db(from));
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                       .arg(columns.join(QLatin1Char(',')), name, QLatin1String(table.key)))) {
        Sql::setError(error, Sql::describe(read));
        return false;
    }
    const bool goals = name == QLatin1String("GOALS_SW");
    QList<Row> held;
    Inserter insert(to, name, columns);
    while (read.next()) {
        Row row;
        row.reserve(columns.size());
        for (int i = 0; i < columns.size(); ++i) {
            row.append(read.value(i));
        }
        if (goals) {
            held.append(std::move(row));
        } else if (!insert.add(std::move(row), error)) {
            return false;
        }
    }
    if (read.lastError().isValid()) {
        Sql::setError(error, Sql::describe(read));
        return false;
    }
    if (goals) {
        const QList<Row> ordered =
            treeOrder(held, int(columns.indexOf(QStringLiteral("id"))), int(columns.indexOf(QStringLiteral("p_gid"))));
        for (const Row& row : ordered) {
            if (!insert.add(row, error)) {
                return false;
            }
        }
    }
    return insert.flush(error);
}

bool scalar(const QString& connection, const QString& sql, QVariant* value, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    if (!query.exec(sql)) {
        Sql::setError(error, Sql::describe(query));
        return false;
    }
    *value = query.next() ? query.value(0) : QVariant();
    return true;
}

bool copyCounters(const QString& from, const QString& to, QString* error)
{
    QSqlQuery read(Sql::db(from));
    if (!read.exec(QStringLiteral("SELECT GOAL_APP, TASK_OBJECT, NOTE FROM COUNTERS")) || !read.next()) {
        Sql::setError(
            error, read.lastError().isValid() ? Sql::describe(read) : QStringLiteral("The table COUNTERS has no row."));
        return false;
    }
    return Sql::run(to,
                    QStringLiteral("UPDATE COUNTERS SET GOAL_APP = ?, TASK_OBJECT = ?, NOTE = ?"),
                    {read.value(0), read.value(1), read.value(2)},
                    error);
}

// The tables of a project, in lower case. A project of an earlier format lacks the tables
// added since: it is read as it is, since migrating it would write to it.
QStringList tablesOf(const QString& connection)
{
    QStringList names = Sql::db(connection).tables(QSql::Tables);
    for (QString& name : names) {
        name = name.toLower();
    }
    return names;
}

bool hasTable(const QStringList& tables, const TableOrder& table)
{
    return tables.contains(QString::fromLatin1(table.name).toLower());
}

// Row counts by table and the counters of one side; a table the side lacks counts 0.
QString countsStatement(const QStringList& tables)
{
    QStringList sums;
    for (const TableOrder& table : kTables) {
        sums << (hasTable(tables, table) ? QStringLiteral("(SELECT COUNT(*) FROM %1)").arg(QLatin1String(table.name))
                                         : QStringLiteral("0"));
    }
    const QString counters = QStringLiteral(" || ' ' || ");
    return QStringLiteral("SELECT CAST(%1 AS TEXT), (SELECT CAST(GOAL_APP AS TEXT)%2CAST(TASK_OBJECT AS TEXT)%2"
                          "CAST(NOTE AS TEXT) FROM COUNTERS)")
        .arg(sums.join(QStringLiteral(" || ' ' || ")), counters);
}

bool checkCounts(const QString& from, const QString& to, const QStringList& sourceTables, QString* error)
{
    QSqlQuery a(Sql::db(from));
    QSqlQuery b(Sql::db(to));
    for (QSqlQuery* q : {&a, &b}) {
        if (!q->exec(countsStatement(q == &a ? sourceTables : tablesOf(to))) || !q->next()) {
            Sql::setError(error, Sql::describe(*q));
            return false;
        }
    }
    if (a.value(0).toString() != b.value(0).toString() || a.value(1).toString() != b.value(1).toString()) {
        Sql::setError(
            error,
            QStringLiteral("The copy does not match its source (rows by table: %1 against %2; counters: "
                           "%3 against %4).")
                .arg(a.value(0).toString(), b.value(0).toString(), a.value(1).toString(), b.value(1).toString()));
        return false;
    }
    return true;
}

} // namespace

bool ProjectCopy::copy(const QString& from, const QString& to, QString* error, const Progress& progress)
{
    // One consistent state of the source, however long the copy takes.
    if (!Database::reconnectIfLost(from, error) || !Sql::exec(from, Database::beginReadStatement(from), error)) {
        return false;
    }
    const QStringList sourceTables = tablesOf(from);
    bool ok = true;
    for (const TableOrder& table : kTables) {
        if (!hasTable(sourceTables, table)) {
            continue; // its rows stay what the earlier format had: none
        }
        if (progress) {
            progress(QLatin1String(table.name));
        }
        if (!copyTable(from, to, table, error)) {
            ok = false;
            break;
        }
    }
    ok = ok && copyCounters(from, to, error);
    if (ok && Database::isServer(to)) {
        // Snapshot rows came with their numbers: the server numbers the next ones after them.
        QVariant ignored;
        ok = scalar(to,
                    QStringLiteral("SELECT setval(pg_get_serial_sequence('compdates', 'id'),"
                                   " COALESCE(MAX(ID), 0) + 1, false) FROM CompDates"),
                    &ignored,
                    error);
    }
    ok = ok && checkCounts(from, to, sourceTables, error);
    QString ignored;
    Sql::exec(from, QStringLiteral("ROLLBACK"), &ignored);
    return ok;
}
