#include "tests/support/ServerDatabase.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {
int& serial()
{
    static int n = 0;
    return n;
}

QString maintenanceDatabase()
{
    const QString named = qEnvironmentVariable("PGDATABASE");
    return named.isEmpty() ? QStringLiteral("postgres") : named;
}

// An administrative connection to `database` on the environment's server.
bool connectTo(const QString& connection, const QString& database, QString* error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    if (!db.isValid()) {
        *error = QStringLiteral("the Qt PostgreSQL driver is missing (libqt6sql6-psql)");
        return false;
    }
    db.setDatabaseName(database);
    db.setConnectOptions(QStringLiteral("connect_timeout=5"));
    if (!db.open()) {
        *error = db.lastError().text();
        return false;
    }
    return true;
}

void drop(const QString& connection)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}
} // namespace

bool ServerDatabase::mustRun()
{
    return qEnvironmentVariable("CI") == QLatin1String("true");
}

bool ServerDatabase::answers(QString* reason)
{
    const QString probe = QStringLiteral("cw-server-probe");
    const bool ok = connectTo(probe, maintenanceDatabase(), reason);
    drop(probe);
    return ok;
}

ServerDatabase::ServerDatabase(const QString& ctype)
{
    const QString admin = QStringLiteral("cw-server-admin");
    if (!connectTo(admin, maintenanceDatabase(), &m_reason)) {
        drop(admin);
        return;
    }
    m_name = QStringLiteral("cw_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++serial());
    {
        QSqlQuery query(QSqlDatabase::database(admin, false));
        query.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_name));
        if (!query.exec(
                QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE '%2'")
                    .arg(m_name, ctype))) {
            m_reason = query.lastError().text();
        }
    }
    drop(admin);
    if (!m_reason.isEmpty()) {
        return;
    }
    m_connection = QStringLiteral("cw-server-%1").arg(m_name);
    m_valid = connectTo(m_connection, m_name, &m_reason);
}

ServerDatabase::~ServerDatabase()
{
    if (m_name.isEmpty()) {
        return;
    }
    if (!m_connection.isEmpty()) {
        drop(m_connection);
    }
    const QString admin = QStringLiteral("cw-server-admin");
    QString ignored;
    if (connectTo(admin, maintenanceDatabase(), &ignored)) {
        QSqlQuery query(QSqlDatabase::database(admin, false));
        query.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
    }
    drop(admin);
}

QString ServerDatabase::url() const
{
    return QStringLiteral("postgresql:///%1").arg(m_name);
}

bool ServerDatabase::exec(const QString& sql, QString* error) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (query.exec(sql)) {
        return true;
    }
    if (error) {
        *error = query.lastError().text();
    }
    return false;
}

QVariant ServerDatabase::scalar(const QString& sql) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

QVariantList ServerDatabase::scalarColumn(const QString& sql) const
{
    QVariantList values;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (query.exec(sql)) {
        while (query.next()) {
            values << query.value(0);
        }
    }
    return values;
}
