#include "db/Database.h"

#include "db/FileProbe.h"
#include "db/Schema.h"
#include "db/Sql.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

bool Database::connect(const QString& path, const QString& connection, QString* error)
{
    close(connection);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    if (!db.isValid()) {
        Sql::setError(error, QStringLiteral("The SQLite driver is not available: %1").arg(db.lastError().text()));
        QSqlDatabase::removeDatabase(connection);
        return false;
    }
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!db.open()) {
        Sql::setError(error,
                      QStringLiteral("The project file \"%1\" cannot be opened: %2")
                          .arg(QDir::toNativeSeparators(path), Sql::describe(db.lastError())));
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        return false;
    }
    return true;
}

bool Database::configure(const QString& connection, QString* error)
{
    for (const char* pragma : {"PRAGMA foreign_keys = ON",
                               "PRAGMA journal_mode = WAL",
                               "PRAGMA synchronous = FULL",
                               "PRAGMA cache_size = -32000",
                               "PRAGMA temp_store = MEMORY"}) {
        if (!Sql::exec(connection, QString::fromLatin1(pragma), error)) {
            return false;
        }
    }
    return true;
}

bool Database::open(const QString& path, const QString& connection, QString* error)
{
    const FileProbe::Result probe = FileProbe::probe(path);
    if (probe.kind == FileProbe::Kind::Empty) {
        Sql::setError(error,
                      QStringLiteral("The file \"%1\" is empty; it is not a Cairnwork database yet.")
                          .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    if (probe.kind != FileProbe::Kind::Project) {
        Sql::setError(error, probe.message);
        return false;
    }
    if (!connect(path, connection, error)) {
        return false;
    }
    QString failure;
    // A damaged file can pass the header test; reading the schema catches most of the rest.
    QSqlQuery query(Sql::db(connection));
    int found = 0;
    if (query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
        const QStringList required = Schema::requiredTables();
        while (query.next()) {
            if (required.contains(query.value(0).toString())) {
                ++found;
            }
        }
    } else {
        failure = Sql::describe(query.lastError());
    }
    query.finish();
    if (failure.isEmpty() && found != Schema::requiredTables().size()) {
        failure = QStringLiteral("tables are missing");
    }
    if (!failure.isEmpty()) {
        close(connection);
        Sql::setError(
            error,
            QStringLiteral("The project file \"%1\" is damaged: %2").arg(QDir::toNativeSeparators(path), failure));
        return false;
    }
    if (!configure(connection, &failure)) {
        close(connection);
        Sql::setError(
            error,
            QStringLiteral("The project file \"%1\" cannot be used: %2").arg(QDir::toNativeSeparators(path), failure));
        return false;
    }
    if (probe.version < Schema::kVersion) {
        Transaction tx(connection);
        if (!tx.isActive() || !Schema::migrate(connection, probe.version, &failure) || !tx.commit()) {
            if (failure.isEmpty()) {
                failure = tx.error();
            }
            close(connection);
            Sql::setError(error,
                          QStringLiteral("The project file \"%1\" could not be brought up to date: %2")
                              .arg(QDir::toNativeSeparators(path), failure));
            return false;
        }
    }
    return true;
}

bool Database::create(const QString& path, const QString& connection, QString* error)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (info.exists() && info.size() > 0) {
        Sql::setError(error,
                      QStringLiteral("The file \"%1\" already exists; a new project needs a new file.").arg(shown));
        return false;
    }
    const bool existed = info.exists();
    if (!connect(path, connection, error)) {
        return false;
    }
    QString failure;
    bool ok = Sql::exec(connection, QStringLiteral("PRAGMA foreign_keys = ON"), &failure);
    if (ok) {
        Transaction tx(connection);
        ok = tx.isActive() && Schema::create(connection, &failure) && tx.commit();
        if (!ok && failure.isEmpty()) {
            failure = tx.error();
        }
    }
    ok = ok && configure(connection, &failure);
    if (!ok) {
        close(connection);
        if (!existed) {
            QFile::remove(path);
        }
        Sql::setError(error, QStringLiteral("A new project cannot be created at \"%1\": %2").arg(shown, failure));
        return false;
    }
    return true;
}

void Database::close(const QString& connection)
{
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
    return QSqlDatabase::database(connection, false).databaseName();
}

namespace {
bool sameFile(const struct stat& a, const QString& path)
{
    struct stat b;
    return ::stat(QFile::encodeName(path).constData(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
} // namespace

bool Database::isOpenInProcess(const QString& path)
{
    struct stat target;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &target) != 0) {
        return false;
    }
    const QStringList names = QSqlDatabase::connectionNames();
    for (const QString& name : names) {
        if (isOpen(name) && sameFile(target, filePath(name))) {
            return true;
        }
    }
    return false;
}
