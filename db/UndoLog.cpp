#include "db/UndoLog.h"

#include "db/Database.h"
#include "db/ServerSchema.h"
#include "db/Sql.h"

#include <QDateTime>
#include <QHash>

namespace {

struct ConnectionState
{
    QString name; // the caller's name for the step, empty when none
    int pauses = 0;
    qint64 openStep = 0; // the step the connection's transaction opened, 0 when none
};

bool& capturing()
{
    static bool on = false;
    return on;
}

std::function<void(const QString&)>& listener()
{
    static std::function<void(const QString&)> l;
    return l;
}

QHash<QString, ConnectionState>& states()
{
    static QHash<QString, ConnectionState> s;
    return s;
}

QStringList columnsOf(const QString& connection, const QString& table, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    QStringList columns;
    if (!Sql::run(query, QStringLiteral("PRAGMA table_info(%1)").arg(table), {}, error)) {
        return columns;
    }
    while (query.next()) {
        columns << query.value(1).toString();
    }
    return columns;
}

QStringList prefixed(const QString& prefix, const QStringList& columns)
{
    QStringList out;
    for (const QString& c : columns) {
        out << prefix + c;
    }
    return out;
}

// The images of one write: side 0 holds the row before it, side 1 the row after it.
QString imageInsert(const QString& table, const QStringList& columns, int side, const QString& row)
{
    return QStringLiteral(
               "INSERT INTO %1 (LOG, SIDE, RID, %2) VALUES ((SELECT MAX(ID) FROM UndoEntry), %3, %4.rowid, %5);")
        .arg(UndoLog::imageTable(table), columns.join(QStringLiteral(", ")))
        .arg(side)
        .arg(row, prefixed(row + QLatin1Char('.'), columns).join(QStringLiteral(", ")));
}

QStringList triggerStatements(const QString& table, const QStringList& columns)
{
    const QString head = QStringLiteral("CREATE TRIGGER %1_undo_%2 AFTER %3 ON %1"
                                        " WHEN (SELECT STEP FROM UndoCurrent) IS NOT NULL BEGIN"
                                        " INSERT INTO UndoEntry (STEP, TBL, KIND)"
                                        " VALUES ((SELECT STEP FROM UndoCurrent), '%1', '%4'); ");
    return {
        head.arg(table, QStringLiteral("insert"), QStringLiteral("INSERT"), QStringLiteral("I")) +
            imageInsert(table, columns, 1, QStringLiteral("NEW")) + QStringLiteral(" END"),
        head.arg(table, QStringLiteral("update"), QStringLiteral("UPDATE"), QStringLiteral("U")) +
            imageInsert(table, columns, 0, QStringLiteral("OLD")) + QLatin1Char(' ') +
            imageInsert(table, columns, 1, QStringLiteral("NEW")) + QStringLiteral(" END"),
        head.arg(table, QStringLiteral("delete"), QStringLiteral("DELETE"), QStringLiteral("D")) +
            imageInsert(table, columns, 0, QStringLiteral("OLD")) + QStringLiteral(" END"),
    };
}

QVariant imageValue(const QString& connection, const QString& table, qint64 log, int side, const QString& column)
{
    QSqlQuery query(Sql::db(connection));
    QString ignored;
    if (!Sql::run(
            query,
            QStringLiteral("SELECT %1 FROM %2 WHERE LOG = ? AND SIDE = ?").arg(column, UndoLog::imageTable(table)),
            {log, side},
            &ignored) ||
        !query.next()) {
        return {};
    }
    return query.value(0);
}

QString quoted(const QVariant& v)
{
    return QLatin1Char('"') + v.toString() + QLatin1Char('"');
}

QString taskWords(const QString& connection, const QVariant& taskId)
{
    QSqlQuery query(Sql::db(connection));
    QString ignored;
    if (Sql::run(query, QStringLiteral("SELECT SHORT_NAME FROM TASKS_OBJECTS WHERE ID = ?"), {taskId}, &ignored) &&
        query.next()) {
        return quoted(query.value(0));
    }
    return QStringLiteral("task %1").arg(taskId.toLongLong());
}

struct Entry
{
    qint64 log;
    QString table;
    QChar kind;
};

// The deleted row highest in the outline: the deleted goal whose parent stayed, else a
// deleted task, else the first row deleted; null when the step deleted nothing. Found from
// the rows themselves, since the engines log a cascade in opposite orders.
const Entry* topDeleted(const QString& connection, const QList<Entry>& entries)
{
    QStringList goalLogs;
    const Entry* task = nullptr;
    const Entry* other = nullptr;
    for (const Entry& e : entries) {
        if (e.kind != QLatin1Char('D')) {
            continue;
        }
        if (e.table == QLatin1String("GOALS_SW")) {
            goalLogs << QString::number(e.log);
        } else if (e.table == QLatin1String("TASKS_OBJECTS")) {
            task = task ? task : &e;
        } else {
            other = other ? other : &e;
        }
    }
    if (!goalLogs.isEmpty()) {
        // The numbers are this step's own log entries, read back as integers.
        const QString sql = QStringLiteral("SELECT LOG FROM %1 WHERE SIDE = 0 AND LOG IN (%2) AND (P_GID IS NULL OR"
                                           " P_GID NOT IN (SELECT ID FROM %1 WHERE SIDE = 0 AND LOG IN (%2)))"
                                           " ORDER BY LOG")
                                .arg(UndoLog::imageTable(QStringLiteral("GOALS_SW")), goalLogs.join(QLatin1Char(',')));
        QSqlQuery query(Sql::db(connection));
        QString ignored;
        if (Sql::run(query, sql, {}, &ignored) && query.next()) {
            const qint64 top = query.value(0).toLongLong();
            for (const Entry& e : entries) {
                if (e.log == top && e.table == QLatin1String("GOALS_SW")) {
                    return &e;
                }
            }
        }
    }
    return task ? task : other;
}

// The words for a step from the row that stands for it: a member's row when the step
// touched one (a rename carries to assignments and goals), else the deleted row highest
// in the outline, else the first row written other than the counters.
QString derivedName(const QString& connection, const QList<Entry>& entries)
{
    const Entry* principal = nullptr;
    int deleted = 0;
    for (const Entry& e : entries) {
        if (e.kind == QLatin1Char('D')) {
            ++deleted;
        }
    }
    for (const Entry& e : entries) {
        if (e.table == QLatin1String("RESOURCES")) {
            principal = &e;
            break;
        }
    }
    if (!principal) {
        principal = topDeleted(connection, entries);
    }
    for (const Entry& e : entries) {
        if (!principal && e.table != QLatin1String("COUNTERS")) {
            principal = &e;
        }
    }
    if (!principal) {
        return QStringLiteral("Change");
    }
    const int side = principal->kind == QLatin1Char('D') ? 0 : 1;
    auto value = [&](const char* column) {
        return imageValue(connection, principal->table, principal->log, side, QLatin1String(column));
    };
    const QString verb = principal->kind == QLatin1Char('I') ? QStringLiteral("Add")
        : principal->kind == QLatin1Char('U')                ? QStringLiteral("Edit")
                                                             : QStringLiteral("Delete");
    const QString& table = principal->table;
    if (table == QLatin1String("GOALS_SW") || table == QLatin1String("TASKS_OBJECTS")) {
        QString words = verb + QLatin1Char(' ') + value("OBJECT_TYPE").toString().toLower() + QLatin1Char(' ') +
            quoted(value("SHORT_NAME"));
        if (principal->kind == QLatin1Char('D') && deleted > 1) {
            words += QStringLiteral(" and everything below it");
        }
        return words;
    }
    if (table == QLatin1String("TASK_OBJECT_RESOURCE")) {
        return verb +
            QStringLiteral(" assignment of %1 on %2")
                .arg(value("FK_R_NAME").toString(), taskWords(connection, value("FK_TASKID")));
    }
    if (table == QLatin1String("TASK_OBJECT_WORKSHEET")) {
        return verb + QStringLiteral(" note on ") + taskWords(connection, value("TASKID"));
    }
    if (table == QLatin1String("RESOURCES")) {
        const QString after = value("R_NAME").toString();
        if (principal->kind == QLatin1Char('U')) {
            const QString before =
                imageValue(connection, table, principal->log, 0, QStringLiteral("R_NAME")).toString();
            if (before != after) {
                return QStringLiteral("Rename team member %1 to %2").arg(quoted(before), quoted(after));
            }
        }
        return verb + QStringLiteral(" team member ") + quoted(after);
    }
    return QStringLiteral("Change");
}

} // namespace

QStringList UndoLog::capturedTables()
{
    return {QStringLiteral("COUNTERS"),
            QStringLiteral("RESOURCES"),
            QStringLiteral("GOALS_SW"),
            QStringLiteral("TASKS_OBJECTS"),
            QStringLiteral("TASK_OBJECT_RESOURCE"),
            QStringLiteral("TASK_OBJECT_WORKSHEET")};
}

QString UndoLog::imageTable(const QString& table)
{
    return QStringLiteral("UndoImage_") + table;
}

bool UndoLog::create(const QString& connection, QString* error)
{
    QStringList statements = {
        QStringLiteral("CREATE TABLE UndoStep ("
                       " ID INTEGER PRIMARY KEY,"
                       " NAME TEXT NOT NULL,"
                       " CREATED TEXT NOT NULL,"
                       " DONE INTEGER NOT NULL DEFAULT 1 CHECK (DONE IN (0, 1)))"),
        QStringLiteral("CREATE TABLE UndoEntry ("
                       " ID INTEGER PRIMARY KEY,"
                       " STEP INTEGER NOT NULL REFERENCES UndoStep (ID) ON DELETE CASCADE,"
                       " TBL TEXT NOT NULL,"
                       " KIND TEXT NOT NULL CHECK (KIND IN ('I', 'U', 'D')))"),
        QStringLiteral("CREATE INDEX UndoEntry_Step ON UndoEntry (STEP)"),
        // The step the running transaction writes for; NULL outside a step, so that
        // writes of the command line, migrations and the undo itself log nothing.
        QStringLiteral("CREATE TABLE UndoCurrent (STEP INTEGER)"),
        QStringLiteral("INSERT INTO UndoCurrent (STEP) VALUES (NULL)"),
    };
    for (const QString& table : capturedTables()) {
        const QStringList columns = columnsOf(connection, table, error);
        if (columns.isEmpty()) {
            Sql::setError(error, QStringLiteral("Table %1 is missing.").arg(table));
            return false;
        }
        // Columns without a type keep every value exactly as the row held it.
        statements << QStringLiteral("CREATE TABLE %1 ("
                                     " LOG INTEGER NOT NULL REFERENCES UndoEntry (ID) ON DELETE CASCADE,"
                                     " SIDE INTEGER NOT NULL, RID, %2, PRIMARY KEY (LOG, SIDE))")
                          .arg(imageTable(table), columns.join(QStringLiteral(", ")));
        statements << triggerStatements(table, columns);
    }
    for (const QString& sql : statements) {
        if (!Sql::exec(connection, sql, error)) {
            return false;
        }
    }
    return true;
}

void UndoLog::setCapturing(bool on)
{
    capturing() = on;
}

bool UndoLog::isCapturing()
{
    return capturing();
}

void UndoLog::setListener(std::function<void(const QString& connection)> l)
{
    listener() = std::move(l);
}

UndoLog::Naming::Naming(const QString& connection, const QString& name)
    : m_connection(connection)
{
    states()[connection].name = name;
}

UndoLog::Naming::~Naming()
{
    states()[m_connection].name.clear();
}

UndoLog::Pause::Pause(const QString& connection)
    : m_connection(connection)
{
    ++states()[connection].pauses;
}

UndoLog::Pause::~Pause()
{
    --states()[m_connection].pauses;
}

bool UndoLog::openStep(const QString& connection, QString* error)
{
    ConnectionState& state = states()[connection];
    state.openStep = 0;
    if (!capturing() || state.pauses > 0) {
        return true;
    }
    const bool server = Database::isServer(connection);
    QSqlQuery query(Sql::db(connection));
    // A project not yet brought up to date (a file's migration runs in this very
    // transaction, a server's owner has not opened it yet) has no log; nor has a server
    // role the log's tables were not granted to.
    if (server) {
        bool present = false;
        if (!ServerSchema::hasUndoLog(connection, &present, error)) {
            return false;
        }
        if (!present) {
            return true;
        }
    } else {
        if (!Sql::run(query,
                      QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'UndoCurrent'"),
                      {},
                      error)) {
            return false;
        }
        if (!query.next()) {
            return true;
        }
    }
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    qint64 step = 0;
    if (server) {
        // The setting lives as long as the transaction: only this transaction's writes log.
        if (!Sql::run(query,
                      QStringLiteral("WITH s AS (INSERT INTO UndoStep (NAME, CREATED, DONE) VALUES ('Change', ?, 1)"
                                     " RETURNING ID) SELECT ID, set_config('%1', ID::text, true) FROM s")
                          .arg(QLatin1String(ServerSchema::kUndoStepSetting)),
                      {now},
                      error) ||
            !query.next()) {
            Sql::setError(error, error && !error->isEmpty() ? *error : QStringLiteral("No step was opened."));
            return false;
        }
        step = query.value(0).toLongLong();
    } else {
        if (!Sql::run(query,
                      QStringLiteral("INSERT INTO UndoStep (NAME, CREATED, DONE) VALUES ('Change', ?, 1)"),
                      {now},
                      error)) {
            return false;
        }
        step = query.lastInsertId().toLongLong();
        if (!Sql::run(connection, QStringLiteral("UPDATE UndoCurrent SET STEP = ?"), {step}, error)) {
            return false;
        }
    }
    state.openStep = step;
    return true;
}

bool UndoLog::closeStep(const QString& connection, QString* error)
{
    ConnectionState& state = states()[connection];
    const qint64 step = state.openStep;
    state.openStep = 0;
    if (step == 0) {
        return true;
    }
    const QString stopLogging = Database::isServer(connection)
        ? QStringLiteral("SELECT set_config('%1', '', true)").arg(QLatin1String(ServerSchema::kUndoStepSetting))
        : QStringLiteral("UPDATE UndoCurrent SET STEP = NULL");
    if (!Sql::run(connection, stopLogging, {}, error)) {
        return false;
    }
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(
            query, QStringLiteral("SELECT ID, TBL, KIND FROM UndoEntry WHERE STEP = ? ORDER BY ID"), {step}, error)) {
        return false;
    }
    QList<Entry> entries;
    while (query.next()) {
        entries.append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString().at(0)});
    }
    query.finish();
    if (entries.isEmpty()) {
        return Sql::run(connection, QStringLiteral("DELETE FROM UndoStep WHERE ID = ?"), {step}, error);
    }
    const QString name = state.name.isEmpty() ? derivedName(connection, entries) : state.name;
    const QString own = ownSteps(connection);
    // A new step after undos drops the steps that could have been redone.
    const bool ok =
        Sql::run(connection, QStringLiteral("UPDATE UndoStep SET NAME = ? WHERE ID = ?"), {name, step}, error) &&
        Sql::run(connection, QStringLiteral("DELETE FROM UndoStep WHERE DONE = 0 AND %1").arg(own), {}, error) &&
        Sql::run(connection,
                 QStringLiteral("DELETE FROM UndoStep WHERE %1 AND ID <= "
                                "(SELECT ID FROM UndoStep WHERE %1 ORDER BY ID DESC LIMIT 1 OFFSET ?)")
                     .arg(own),
                 {kMaxSteps},
                 error);
    if (ok && listener()) {
        listener()(connection);
    }
    return ok;
}

QString UndoLog::ownSteps(const QString& connection)
{
    // A file's steps are everybody's who opens it, as the file is; on a server each
    // role undoes its own.
    return Database::isServer(connection) ? QStringLiteral("OWNER = current_user") : QStringLiteral("1 = 1");
}

QString UndoLog::describeRow(const QString& connection, const QString& table, qint64 log, int side)
{
    auto value = [&](const char* column) { return imageValue(connection, table, log, side, QLatin1String(column)); };
    if (table == QLatin1String("GOALS_SW") || table == QLatin1String("TASKS_OBJECTS")) {
        return value("OBJECT_TYPE").toString().toLower() + QLatin1Char(' ') + quoted(value("SHORT_NAME"));
    }
    if (table == QLatin1String("TASK_OBJECT_RESOURCE")) {
        return QStringLiteral("the assignment of %1 on task %2")
            .arg(value("FK_R_NAME").toString())
            .arg(value("FK_TASKID").toLongLong());
    }
    if (table == QLatin1String("TASK_OBJECT_WORKSHEET")) {
        return QStringLiteral("note %1").arg(value("NID").toLongLong());
    }
    if (table == QLatin1String("RESOURCES")) {
        return QStringLiteral("team member ") + quoted(value("R_NAME"));
    }
    return QStringLiteral("the identifier counters");
}
