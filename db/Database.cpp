#include "db/Database.h"

#include "db/FileProbe.h"
#include "db/PgHandle.h"
#include "db/Schema.h"
#include "db/ServerAddress.h"
#include "db/ServerSchema.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "db/UndoLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlRecord>
#include <QThread>
#include <QUrl>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool sameFile(const QString& a, const QString& b)
{
    struct stat sa;
    struct stat sb;
    return !a.isEmpty() && !b.isEmpty() && ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
        ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

struct Opened
{
    QString path; // plain path, whatever name the connection was given
    Database::Mode mode = Database::Mode::Normal;
    bool server = false; // a project on a team server; `path` is its address
    QString readOnlyReason; // set when the server refuses this role every write
};

// The connections made by open() and create(), by connection name.
QHash<QString, Opened>& opened()
{
    static QHash<QString, Opened> connections;
    return connections;
}

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// How messages name a project: a file by its path, a server project by its address.
QString projectNamed(const QString& location)
{
    return ServerAddress::isServer(location) ? QStringLiteral("project \"%1\"").arg(location)
                                             : QStringLiteral("project file \"%1\"").arg(shownPath(location));
}

bool writableByUs(const QString& path)
{
    // access() asks the kernel, so read-only mounts and immutable files count too.
    const QByteArray file = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    return ::access(file.constData(), W_OK) == 0 && ::access(folder.constData(), W_OK) == 0;
}

// One check of the identifiers and the goal tree: the first offending row, if any,
// becomes the message's arguments.
struct IdentifierCheck
{
    const char* sql;
    const char* cause;
};

const IdentifierCheck kIdentifierChecks[] = {
    {"SELECT ID FROM GOALS_SW WHERE ID < 1 LIMIT 1", "goal %1 has an identifier below 1"},
    {"SELECT ID, P_GID FROM GOALS_SW WHERE P_GID < 1 LIMIT 1", "goal %1 names %2 as its parent goal"},
    {"SELECT ID FROM GOALS_SW WHERE P_GID = ID LIMIT 1", "goal %1 is its own parent goal"},
    {"SELECT ID FROM TASKS_OBJECTS WHERE ID < 1 LIMIT 1", "task %1 has an identifier below 1"},
    {"SELECT ID, FK_ID FROM TASKS_OBJECTS WHERE FK_ID < 1 LIMIT 1", "task %1 names %2 as its goal"},
    {"SELECT FK_TASKID, FK_R_NAME FROM TASK_OBJECT_RESOURCE WHERE FK_TASKID < 1 LIMIT 1",
     "an assignment of %2 names %1 as its task"},
    {"SELECT NID FROM TASK_OBJECT_WORKSHEET WHERE NID < 1 LIMIT 1", "note %1 has an identifier below 1"},
    {"SELECT NID, TASKID FROM TASK_OBJECT_WORKSHEET WHERE TASKID < 1 LIMIT 1", "note %1 names %2 as its task"},
    {"SELECT GOAL_APP, TASK_OBJECT, NOTE FROM COUNTERS WHERE GOAL_APP < 0 OR TASK_OBJECT < 0 OR NOTE < 0 LIMIT 1",
     "the identifier counters (%1, %2, %3) are below 0"},
    // Goals that no walk down from the top level reaches (their parent goal exists) lie on
    // or below a cycle. UNION keeps this walk finite whatever the data.
    {"WITH RECURSIVE reach(id) AS ("
     " SELECT g.ID FROM GOALS_SW g"
     "  WHERE g.P_GID IS NULL OR NOT EXISTS (SELECT 1 FROM GOALS_SW p WHERE p.ID = g.P_GID)"
     " UNION SELECT c.ID FROM GOALS_SW c JOIN reach ON c.P_GID = reach.id)"
     " SELECT ID FROM GOALS_SW WHERE ID NOT IN (SELECT id FROM reach) LIMIT 1",
     "goal %1 lies on a cycle of parent goals"},
};

// The file's marks and tables. False either with *error set (a verdict) or with
// *error empty (the query failed: the caller describes query.lastError()).
bool judgeFile(QSqlQuery& query, const QString& path, int* version, QString* error)
{
    Sql::setError(error, QString());
    // The header may be old news: the -wal can hold a newer application_id or version.
    if (!query.exec(QStringLiteral("PRAGMA application_id")) || !query.next()) {
        return false;
    }
    if (query.value(0).toInt() != Schema::kApplicationId) {
        Sql::setError(error, FileProbe::notProjectMessage(path));
        return false;
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        return false;
    }
    *version = query.value(0).toInt();
    if (*version > Schema::kVersion) {
        Sql::setError(error, FileProbe::newerMessage(path, *version));
        return false;
    }
    // A damaged file can pass the header test; reading the schema catches most of the rest.
    int found = 0;
    if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
        return false;
    }
    const QStringList required = Schema::requiredTables();
    while (query.next()) {
        if (required.contains(query.value(0).toString())) {
            ++found;
        }
    }
    if (found != required.size()) {
        Sql::setError(error, QStringLiteral("The %1 is damaged: tables are missing").arg(projectNamed(path)));
        return false;
    }
    return true;
}

// The same for a database on a server: its format mark and tables. Always sets *error
// when it returns false.
bool judgeServer(const QString& connection, const QString& address, int* version, QString* error)
{
    QStringList tables;
    if (!ServerSchema::tables(connection, &tables, error)) {
        return false;
    }
    if (!tables.contains(QLatin1String(ServerSchema::kFormatTable))) {
        Sql::setError(error,
                      tables.isEmpty()
                          ? QStringLiteral("The database \"%1\" holds no project yet; create one there with "
                                           "cairnwork-cli init or copy.")
                                .arg(address)
                          : QStringLiteral("The database \"%1\" is not a Cairnwork project: it holds other tables.")
                                .arg(address));
        return false;
    }
    int applicationId = 0;
    if (!ServerSchema::format(connection, &applicationId, version, error)) {
        return false;
    }
    if (applicationId != Schema::kApplicationId || *version < 1) {
        Sql::setError(
            error,
            QStringLiteral("The database \"%1\" is not a Cairnwork project: its format mark is foreign.").arg(address));
        return false;
    }
    if (*version > Schema::kVersion) {
        Sql::setError(error,
                      QStringLiteral("The project \"%1\" was written by a newer version of Cairnwork (format %2; "
                                     "this version reads up to %3).")
                          .arg(address)
                          .arg(*version)
                          .arg(Schema::kVersion));
        return false;
    }
    for (const QString& table : Schema::requiredTables()) {
        if (!tables.contains(table.toLower())) {
            Sql::setError(error, QStringLiteral("The %1 is damaged: tables are missing").arg(projectNamed(address)));
            return false;
        }
    }
    QStringList denied;
    QString user;
    if (!ServerSchema::unreadable(connection, Schema::requiredTables(), &denied, &user, error)) {
        return false;
    }
    if (!denied.isEmpty()) {
        Sql::setError(error,
                      QStringLiteral("Your role \"%1\" may not read %2 \"%3\" of the project \"%4\"; whoever "
                                     "administers the database can grant it (GRANT SELECT).")
                          .arg(user,
                               denied.size() == 1 ? QStringLiteral("the table") : QStringLiteral("the tables"),
                               denied.join(QStringLiteral("\", \"")),
                               address));
        return false;
    }
    return true;
}

// How long opening waits for a file another program holds before saying it is in use.
constexpr int kOpenBusyMs = 2000;
constexpr int kBusyMs = 10000;
// How long a write waits for a row another session has locked before it is refused as
// "in use by someone else": others' saves hold their rows for milliseconds.
constexpr int kLockWaitMs = 10000;
// How often a snapshot waiting for another one asks again.
constexpr unsigned long kLockPollMs = 200;
} // namespace

Database::Mode Database::chooseMode(Access access, bool writable, bool walFormat, bool walExists)
{
    if (writable && access == Access::ReadWrite) {
        return Mode::Normal;
    }
    if (writable && !walExists) {
        return Mode::QueryOnly;
    }
    // A -wal someone left (a program that crashed, or one that runs now): a writable
    // connection closing last would fold it into the file, so a reader leaves it be.
    if (writable) {
        return Mode::ReadOnly;
    }
    // SQLite's read-only mode still creates -wal/-shm (with the file's permissions) and
    // cannot remove them: they would keep the project unwritable once it is made
    // writable again. Without a -wal nobody has a WAL-format file open, and nobody
    // can write it here.
    return walFormat && !walExists ? Mode::Immutable : Mode::ReadOnly;
}

bool Database::connect(const QString& path, const QString& connection, Mode mode, QString* error)
{
    close(connection);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    if (!db.isValid()) {
        Sql::setError(error, QStringLiteral("The SQLite driver is not available: %1").arg(db.lastError().text()));
        QSqlDatabase::removeDatabase(connection);
        return false;
    }
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyMs);
    if (mode == Mode::ReadOnly || mode == Mode::Immutable) {
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    }
    if (mode == Mode::Immutable) {
        options += QStringLiteral(";QSQLITE_OPEN_URI");
        db.setDatabaseName(QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded()) +
                           QStringLiteral("?immutable=1"));
    } else {
        db.setDatabaseName(path);
    }
    db.setConnectOptions(options);
    if (!db.open()) {
        Sql::setError(
            error,
            QStringLiteral("The %1 cannot be opened. %2").arg(projectNamed(path), Sql::describe(db.lastError())));
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        return false;
    }
    return true;
}

bool Database::configure(const QString& connection, Mode mode, QString* error)
{
    QList<const char*> pragmas = {
        "PRAGMA foreign_keys = ON", "PRAGMA cache_size = -32000", "PRAGMA temp_store = MEMORY"};
    if (mode == Mode::Normal) {
        // Changes the file (its journal format): only for connections that may write.
        pragmas << "PRAGMA journal_mode = WAL"
                << "PRAGMA synchronous = FULL";
    } else {
        pragmas << "PRAGMA query_only = ON";
    }
    for (const char* pragma : pragmas) {
        if (!Sql::exec(connection, QString::fromLatin1(pragma), error)) {
            return false;
        }
    }
    return true;
}

QString Database::inUseMessage(const QString& path, const QSqlError& error)
{
    // SQLITE_BUSY and SQLITE_LOCKED, with or without their extended codes.
    const int code = error.nativeErrorCode().toInt() & 0xff;
    if (code != 5 && code != 6) {
        return QString();
    }
    return QStringLiteral("The %1 is in use by another program; close it there and try again.").arg(projectNamed(path));
}

bool Database::judge(const QString& connection, bool wholeTables, int* version, QString* error)
{
    const QString path = filePath(connection);
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    const auto failed = [&](const QSqlError& sqlError) {
        const QString inUse = inUseMessage(path, sqlError);
        Sql::setError(error,
                      inUse.isEmpty()
                          ? Sql::describe(QStringLiteral("The %1 is damaged.").arg(projectNamed(path)), sqlError)
                          : inUse);
        return false;
    };
    QString verdict;
    if (isServer(connection) ? !judgeServer(connection, path, version, &verdict)
                             : !judgeFile(query, path, version, &verdict)) {
        if (verdict.isEmpty()) {
            return failed(query.lastError());
        }
        Sql::setError(error, verdict);
        return false;
    }
    if (!wholeTables) {
        return true;
    }
    // Other programs may write what ours never does; the tree walks rely on these.
    for (const IdentifierCheck& check : kIdentifierChecks) {
        if (!query.exec(QString::fromLatin1(check.sql))) {
            return failed(query.lastError());
        }
        if (query.next()) {
            QString cause = QString::fromLatin1(check.cause);
            for (int i = 0; i < query.record().count() && cause.contains(QLatin1Char('%')); ++i) {
                cause = cause.arg(query.value(i).toString());
            }
            Sql::setError(error,
                          QStringLiteral("The %1 cannot be used: %2 (identifiers start at 1 and "
                                         "goals form a tree). Another program wrote this.")
                              .arg(projectNamed(path), cause));
            return false;
        }
    }
    return true;
}

bool Database::open(const QString& path, const QString& connection, QString* error, Access access)
{
    if (ServerAddress::isServer(path)) {
        return openServer(path, connection, error, access);
    }
    bool walFormat = false;
    std::optional<Mode> sharedMode;
    // A file this process has open already is not probed: the probe's descriptor would
    // drop the locks of the connection that has it open. Its mode is that connection's.
    const QStringList names = opened().keys();
    for (const QString& other : names) {
        if (other != connection && isOpen(other) && sameFile(filePath(other), path)) {
            sharedMode = opened().value(other).mode;
            break;
        }
    }
    if (!sharedMode) {
        const FileProbe::Result probe = FileProbe::probe(path);
        if (probe.kind == FileProbe::Kind::Empty) {
            Sql::setError(
                error,
                QStringLiteral("The file \"%1\" is empty; it is not a Cairnwork database yet.").arg(shownPath(path)));
            return false;
        }
        if (probe.kind != FileProbe::Kind::Project && probe.kind != FileProbe::Kind::OpenInProcess) {
            Sql::setError(error, probe.message);
            return false;
        }
        walFormat = probe.walFormat;
    }
    Mode mode;
    if (sharedMode) {
        mode = *sharedMode == Mode::Normal && access == Access::ReadOnly ? Mode::QueryOnly : *sharedMode;
    } else {
        mode = chooseMode(access, writableByUs(path), walFormat, QFileInfo::exists(path + QStringLiteral("-wal")));
    }
    if (!connect(path, connection, mode, error)) {
        return false;
    }
    opened().insert(connection, {path, mode, false, {}});
    QString failure;
    int version = 0;
    const bool ok = Sql::exec(connection, QStringLiteral("PRAGMA busy_timeout = %1").arg(kOpenBusyMs), &failure) &&
        judge(connection, !sharedMode, &version, &failure) &&
        Sql::exec(connection, QStringLiteral("PRAGMA busy_timeout = %1").arg(kBusyMs), &failure);
    if (!ok) {
        close(connection);
        Sql::setError(error, failure);
        return false;
    }
    if (!configure(connection, mode, &failure)) {
        close(connection);
        Sql::setError(error, QStringLiteral("The %1 cannot be used: %2").arg(projectNamed(path), failure));
        return false;
    }
    // A reader leaves an older file as it is (it may not write it, and a read-only command
    // changes no byte); what the older format lacks, its readers say.
    if (version < Schema::kVersion && !isReadOnly(connection)) {
        Transaction tx(connection);
        if (!tx.isActive() || !Schema::migrate(connection, version, &failure) || !tx.commit()) {
            if (failure.isEmpty()) {
                failure = tx.error();
            }
            close(connection);
            Sql::setError(
                error, QStringLiteral("The %1 could not be brought up to date: %2").arg(projectNamed(path), failure));
            return false;
        }
    }
    return true;
}

bool Database::create(const QString& path, const QString& connection, QString* error, const Fill& fill)
{
    if (ServerAddress::isServer(path)) {
        return createServer(path, connection, error, fill);
    }
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    // SQLite would try to make a database of a pipe, a device or a folder.
    if (info.exists() && !info.isFile()) {
        Sql::setError(error, QStringLiteral("\"%1\" is not a file; a new project needs a new file.").arg(shown));
        return false;
    }
    if (info.exists() && info.size() > 0) {
        Sql::setError(error,
                      QStringLiteral("The file \"%1\" already exists; a new project needs a new file.").arg(shown));
        return false;
    }
    const bool existed = info.exists();
    if (!connect(path, connection, Mode::Normal, error)) {
        return false;
    }
    QString failure;
    bool ok = Sql::exec(connection, QStringLiteral("PRAGMA foreign_keys = ON"), &failure);
    if (ok) {
        Transaction tx(connection);
        ok = tx.isActive() && Schema::create(connection, &failure) && (!fill || fill(&failure)) && tx.commit();
        if (!ok && failure.isEmpty()) {
            failure = tx.error();
        }
    }
    ok = ok && configure(connection, Mode::Normal, &failure);
    if (!ok) {
        close(connection);
        if (!existed) {
            QFile::remove(path);
        }
        Sql::setError(error, QStringLiteral("A new project cannot be created at \"%1\": %2").arg(shown, failure));
        return false;
    }
    // Registered only now: the transaction above wrote the marks that later writes check.
    opened().insert(connection, {path, Mode::Normal, false, {}});
    return true;
}

bool Database::connectServer(const ServerAddress& address, const QString& connection, Mode mode, QString* error)
{
    close(connection);
    if (!openServerConnection(address, connection, error)) {
        return false;
    }
    if (!applySessionSettings(connection, mode, error)) {
        close(connection);
        return false;
    }
    return true;
}

bool Database::applySessionSettings(const QString& connection, Mode mode, QString* error)
{
    // A row another session keeps locked (a colleague's psql left in a transaction) would
    // otherwise hold a save or an undo without end; a bound the role or database sets stays.
    QStringList settings = {QStringLiteral("SET client_min_messages = warning"),
                            QStringLiteral("SELECT set_config('lock_timeout', '%1ms', false)"
                                           " WHERE current_setting('lock_timeout') = '0'")
                                .arg(kLockWaitMs)};
    if (mode != Mode::Normal) {
        // The server itself then refuses every write of this session.
        settings << QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
    }
    for (const QString& sql : settings) {
        if (!Sql::exec(connection, sql, error)) {
            return false;
        }
    }
    return true;
}

bool Database::reconnectIfLost(const QString& connection, QString* error)
{
    const auto it = opened().constFind(connection);
    // Never inside a transaction: what it did went with the session, and carrying on in a
    // new one would keep only its second half.
    if (it == opened().constEnd() || !it->server || Transaction::isOpen(connection)) {
        return true;
    }
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (db.isOpen() && !PgHandle::isLost(connection)) {
        return true;
    }
    // The same address and options again; the session's settings and the announcements it
    // listened to went with it.
    const QStringList channels = db.driver()->subscribedToNotifications();
    db.close();
    QString failure;
    if (!db.open()) {
        failure = db.lastError().databaseText().trimmed();
    } else if (!applySessionSettings(connection, it->mode, &failure)) {
        db.close();
    }
    if (!db.isOpen()) {
        Sql::setError(error,
                      QStringLiteral("The connection to the server of the project \"%1\" was lost and cannot be "
                                     "made again: %2")
                          .arg(it->path, failure));
        return false;
    }
    for (const QString& channel : channels) {
        db.driver()->subscribeToNotification(channel);
    }
    return true;
}

bool Database::openServerConnection(const ServerAddress& address, const QString& connection, QString* error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    if (!db.isValid()) {
        Sql::setError(error,
                      QStringLiteral("The PostgreSQL driver is not available (on Debian: the package "
                                     "libqt6sql6-psql): %1")
                          .arg(db.lastError().text()));
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        return false;
    }
    // Left-out parts stay unset, so libpq takes them (and the password) from its own
    // environment and files.
    if (!address.host.isEmpty()) {
        db.setHostName(address.host);
    }
    if (address.port > 0) {
        db.setPort(address.port);
    }
    if (!address.user.isEmpty()) {
        db.setUserName(address.user);
    }
    db.setDatabaseName(address.database);
    QStringList options = address.options;
    if (options.filter(QRegularExpression(QStringLiteral("^connect_timeout="))).isEmpty()) {
        options << QStringLiteral("connect_timeout=10");
    }
    options << QStringLiteral("application_name=cairnwork");
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open()) {
        Sql::setError(error,
                      QStringLiteral("The project \"%1\" cannot be opened: %2")
                          .arg(address.shown(), db.lastError().databaseText().trimmed()));
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        return false;
    }
    return true;
}

bool Database::openServer(const QString& location, const QString& connection, QString* error, Access access)
{
    ServerAddress address;
    if (!ServerAddress::parse(location, &address, error)) {
        return false;
    }
    const Mode mode = access == Access::ReadOnly ? Mode::ReadOnly : Mode::Normal;
    if (!connectServer(address, connection, mode, error)) {
        return false;
    }
    opened().insert(connection, {address.shown(), mode, true, {}});
    int version = 0;
    QString failure;
    if (!judge(connection, true, &version, &failure)) {
        close(connection);
        Sql::setError(error, failure);
        return false;
    }
    if (mode != Mode::Normal) {
        return true;
    }
    bool writable = false;
    QString user;
    QStringList missing;
    bool ok = ServerSchema::mayWrite(connection, &writable, &user, &failure) &&
        ServerSchema::missingGuards(connection, &missing, &failure);
    if (ok && writable && !missing.isEmpty()) {
        // Without them a save would silently overwrite a colleague's, or a move make a cycle.
        ok = Sql::exec(connection, QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"), &failure);
        opened()[connection].mode = Mode::ReadOnly;
        opened()[connection].readOnlyReason =
            QStringLiteral("The project \"%1\" is open read-only: another program has removed or disabled its "
                           "safeguard %2 %3, without which saves could overwrite each other. Whoever administers "
                           "the database can restore it.")
                .arg(address.shown(),
                     missing.size() == 1 ? QStringLiteral("trigger") : QStringLiteral("triggers"),
                     missing.join(QStringLiteral(", ")));
    } else if (ok && !writable) {
        // Told once here rather than by the first refused save, half-way through an edit.
        ok = Sql::exec(connection, QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"), &failure);
        opened()[connection].mode = Mode::ReadOnly;
        opened()[connection].readOnlyReason =
            QStringLiteral("Your role \"%1\" may only read the project \"%2\".").arg(user, address.shown());
    } else if (ok) {
        // Databases made before changes were announced, or before steps could be undone,
        // get their triggers and log from the first writer that owns the tables; for
        // other roles the project works unannounced, or without undo.
        UndoLog::Pause pause(connection);
        for (const auto ensure : {&ServerSchema::ensureNotifications, &ServerSchema::ensureUndoLog}) {
            Transaction tx(connection);
            QString ignored;
            if (tx.isActive() && ensure(connection, &ignored)) {
                tx.commit();
            }
        }
    }
    if (!ok) {
        close(connection);
        Sql::setError(error, QStringLiteral("The project \"%1\" cannot be used: %2").arg(address.shown(), failure));
        return false;
    }
    return true;
}

bool Database::createServer(const QString& location, const QString& connection, QString* error, const Fill& fill)
{
    ServerAddress address;
    if (!ServerAddress::parse(location, &address, error)) {
        return false;
    }
    if (!connectServer(address, connection, Mode::Normal, error)) {
        return false;
    }
    const QString shown = address.shown();
    QStringList tables;
    QString failure;
    bool ok = ServerSchema::tables(connection, &tables, &failure);
    if (ok && !tables.isEmpty()) {
        failure = QStringLiteral("the database holds tables already (%1); a new project needs an empty database.")
                      .arg(tables.mid(0, 5).join(QStringLiteral(", ")) +
                           (tables.size() > 5 ? QStringLiteral(", …") : QString()));
        ok = false;
    }
    bool ascii = true;
    QString ctype;
    ok = ok && ServerSchema::foldsAsciiOnly(connection, &ascii, &ctype, &failure);
    if (ok && !ascii) {
        failure = QStringLiteral("its character type is \"%1\", under which the server would take member names"
                                 " that differ only in the case of a non-English letter (\"Émile\", \"émile\") for"
                                 " one, unlike a project file. Create the database with the C character type,"
                                 " for example: createdb --locale=C --encoding=UTF8 --template=template0 NAME")
                      .arg(ctype);
        ok = false;
    }
    if (ok) {
        Transaction tx(connection);
        ok = tx.isActive() && ServerSchema::create(connection, &failure) && (!fill || fill(&failure)) && tx.commit();
        if (!ok && failure.isEmpty()) {
            failure = tx.error();
        }
    }
    if (!ok) {
        close(connection);
        Sql::setError(error, QStringLiteral("A new project cannot be created in \"%1\": %2").arg(shown, failure));
        return false;
    }
    opened().insert(connection, {shown, Mode::Normal, true, {}});
    return true;
}

bool Database::isServer(const QString& connection)
{
    const auto it = opened().constFind(connection);
    if (it != opened().constEnd()) {
        return it->server;
    }
    return QSqlDatabase::database(connection, false).driverName() == QLatin1String("QPSQL");
}

bool Database::lockSnapshots(const QString& connection, const Waiting& waiting, QString* error)
{
    if (!isServer(connection)) {
        return true; // the file's write lock, held from BEGIN IMMEDIATE to the end, does it
    }
    if (!reconnectIfLost(connection, error)) {
        return false;
    }
    // A session lock, taken before the transaction: a repeatable-read transaction sees the
    // state of its first statement, which must come after the previous snapshot's commit.
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    const QString tryLock = QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(Schema::kApplicationId);
    const QString holder = QStringLiteral("SELECT a.usename FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid"
                                          " WHERE l.locktype = 'advisory' AND l.granted AND l.objid::bigint = %1"
                                          " AND l.database = (SELECT oid FROM pg_database"
                                          "  WHERE datname = current_database()) AND l.pid <> pg_backend_pid()")
                               .arg(Schema::kApplicationId);
    for (;;) {
        if (!Sql::firstRow(query, tryLock, error)) {
            return false;
        }
        if (query.value(0).toBool()) {
            return true;
        }
        QString who;
        if (query.exec(holder) && query.next()) {
            who = query.value(0).toString();
        }
        const QString message = who.isEmpty()
            ? QStringLiteral("Another snapshot is being taken; waiting for it to finish…")
            : QStringLiteral("Another snapshot is being taken by %1; waiting for it to finish…").arg(who);
        if (!waiting || !waiting(message)) {
            Sql::setError(error,
                          who.isEmpty() ? QStringLiteral("Another snapshot is being taken; try again when it is done.")
                                        : QStringLiteral("Another snapshot is being taken by %1; try again when "
                                                         "it is done.")
                                              .arg(who));
            return false;
        }
        QThread::msleep(kLockPollMs);
    }
}

void Database::unlockSnapshots(const QString& connection)
{
    if (isServer(connection) && isOpen(connection)) {
        QString ignored; // a lost connection has dropped the lock with it
        Sql::exec(connection, QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(Schema::kApplicationId), &ignored);
    }
}

QString Database::beginConsistentStatement(const QString& connection)
{
    return isServer(connection) ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ")
                                : QStringLiteral("BEGIN IMMEDIATE");
}

QString Database::beginReadStatement(const QString& connection)
{
    return isServer(connection) ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                                : QStringLiteral("BEGIN");
}

QString Database::beginStatement(const QString& connection)
{
    // A file's writer takes the write lock at once, so a second connection waits instead
    // of deadlocking; a server locks row by row.
    return isServer(connection) ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE");
}

void Database::close(const QString& connection)
{
    opened().remove(connection);
    if (!QSqlDatabase::contains(connection)) {
        return;
    }
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

bool Database::isOpen(const QString& connection)
{
    return QSqlDatabase::contains(connection) && QSqlDatabase::database(connection, false).isOpen();
}

QString Database::filePath(const QString& connection)
{
    const auto it = opened().constFind(connection);
    return it != opened().constEnd() ? it->path : QSqlDatabase::database(connection, false).databaseName();
}

bool Database::isOpenInProcess(const QString& path)
{
    if (path.isEmpty()) {
        return false;
    }
    const QStringList names = QSqlDatabase::connectionNames();
    for (const QString& name : names) {
        if (isOpen(name) && sameFile(filePath(name), path)) {
            return true;
        }
    }
    return false;
}

bool Database::isReadOnly(const QString& connection)
{
    const auto it = opened().constFind(connection);
    return it != opened().constEnd() && it->mode != Mode::Normal;
}

QString Database::readOnlyReason(const QString& connection)
{
    if (!isReadOnly(connection)) {
        return QString();
    }
    const QString reason = opened().value(connection).readOnlyReason;
    return reason.isEmpty() ? QStringLiteral("The %1 is read-only.").arg(projectNamed(filePath(connection))) : reason;
}

bool Database::writableCheck(const QString& connection, QString* error)
{
    if (!isReadOnly(connection)) {
        return true;
    }
    // A role's refusal is news to someone who just pressed OK; a read-only file is in the title.
    const bool roleRefuses = !opened().value(connection).readOnlyReason.isEmpty();
    Sql::setError(error,
                  roleRefuses ? QStringLiteral("Nothing was saved: ") + readOnlyReason(connection)
                              : readOnlyReason(connection));
    return false;
}

bool Database::formatCheck(const QString& connection, QString* error)
{
    if (!opened().contains(connection)) {
        return true;
    }
    const QString path = filePath(connection);
    if (isServer(connection)) {
        int applicationId = 0;
        int version = 0;
        if (!ServerSchema::format(connection, &applicationId, &version, error)) {
            return false;
        }
        if (applicationId != Schema::kApplicationId || version > Schema::kVersion) {
            Sql::setError(error,
                          QStringLiteral("Nothing was saved: the format of the project \"%1\" has changed since "
                                         "it was opened (a newer version of Cairnwork or another program wrote it).")
                              .arg(path));
            return false;
        }
        return true;
    }
    QSqlQuery query(Sql::db(connection));
    if (!Sql::firstRow(query, QStringLiteral("PRAGMA application_id"), error)) {
        return false;
    }
    if (query.value(0).toInt() != Schema::kApplicationId) {
        Sql::setError(error,
                      QStringLiteral("Nothing was saved: another program has changed the %1; it is "
                                     "no longer a Cairnwork database.")
                          .arg(projectNamed(path)));
        return false;
    }
    if (!Sql::firstRow(query, QStringLiteral("PRAGMA user_version"), error)) {
        return false;
    }
    const int version = query.value(0).toInt();
    if (version > Schema::kVersion) {
        Sql::setError(error, QStringLiteral("Nothing was saved: %1").arg(FileProbe::newerMessage(path, version)));
        return false;
    }
    return true;
}
