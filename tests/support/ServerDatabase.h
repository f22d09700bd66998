#pragma once

#include <QString>
#include <QtTest>

// A throwaway database on the PostgreSQL server the environment names (PGHOST, PGPORT,
// PGUSER, as pg_virtualenv sets them), created empty for one test and dropped after it.
// When no server answers, isValid() is false and reason() says why.
class ServerDatabase
{
public:
    // `ctype` is the database's character type; projects need C (see Database::create).
    explicit ServerDatabase(const QString& ctype = QStringLiteral("C"));
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    bool isValid() const { return m_valid; }
    const QString& reason() const { return m_reason; }
    // The project address of the database (no password: libpq's environment supplies it).
    QString url() const;
    // Runs `sql` on an administrative connection to this database; false (and a test
    // failure message in *error) when it fails.
    bool exec(const QString& sql, QString* error = nullptr) const;
    // The first value of the first row of `sql`, or an invalid QVariant.
    QVariant scalar(const QString& sql) const;
    // The first value of every row of `sql`.
    QVariantList scalarColumn(const QString& sql) const;

    // True when the environment's server accepts a connection; *reason says why not.
    static bool answers(QString* reason);
    // Server tests skip without a server, except in CI (CI=true), where they must run.
    static bool mustRun();

private:
    QString m_name;
    QString m_connection;
    bool m_valid = false;
    QString m_reason;
};

// Skips (or, in CI, fails) the test when `database` has no server behind it.
#define CW_REQUIRE_SERVER(database)                                                                                    \
    do {                                                                                                               \
        if (!(database).isValid()) {                                                                                   \
            if (ServerDatabase::mustRun()) {                                                                           \
                QFAIL(qPrintable(QStringLiteral("No PostgreSQL server in CI: ") + (database).reason()));               \
            }                                                                                                          \
            QSKIP(                                                                                                     \
                qPrintable(QStringLiteral("No PostgreSQL server (run under pg_virtualenv): ") + (database).reason())); \
        }                                                                                                              \
    } while (false)

// Declares `database` and `error`, requires the server as CW_REQUIRE_SERVER does, and
// creates a project in the fresh database, open on `connection`.
#define CW_PROJECT_ON_SERVER(database, connection, error)                                                              \
    ServerDatabase database;                                                                                           \
    CW_REQUIRE_SERVER(database);                                                                                       \
    QString error;                                                                                                     \
    QVERIFY2(Database::create((database).url(), connection, &error), qPrintable(error))
