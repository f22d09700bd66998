#include "cli/SyntheticProject.h"
#include "common/FixedClock.h"
#include "db/ChangeListener.h"
#include "db/Database.h"
#include "db/ProjectCopy.h"
#include "db/ProjectWriter.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "schedule/SnapshotGenerator.h"
#include "tests/support/ServerDatabase.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString kA = QStringLiteral("a"); // the window whose session the server ends
const QString kB = QStringLiteral("b"); // a colleague's, untouched
const QString kC = QStringLiteral("c"); // a file the project is copied to

QVariant valueOn(const QString& connection, const QString& sql)
{
    QSqlQuery query(Sql::db(connection));
    QString error;
    return Sql::firstRow(query, sql, &error) ? query.value(0) : QVariant();
}

// Ends `connection`'s session from the server's side, as an administrator or a server
// restart does, and waits until it is gone.
bool endSession(const ServerDatabase& server, const QString& connection)
{
    const qint64 pid = valueOn(connection, QStringLiteral("SELECT pg_backend_pid()")).toLongLong();
    return pid > 0 && server.scalar(QStringLiteral("SELECT pg_terminate_backend(%1, 10000)").arg(pid)).toBool();
}

bool addGoal(const QString& connection, const QString& name, QString* error)
{
    Transaction tx(connection);
    GoalRecord goal;
    goal.shortName = name;
    goal.created = QStringLiteral("2026-01-01 00:00:00");
    const bool ok = tx.isActive() && ProjectWriter(connection).addGoal(goal, error) && tx.commit();
    if (!ok && error->isEmpty()) {
        *error = tx.error();
    }
    return ok;
}
} // namespace

class TestServerFailures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        Database::close(kA);
        Database::close(kB);
    }
    void lostSessionIsMadeAgain_data();
    void lostSessionIsMadeAgain();
    void waitsAreBoundedAndSaid_data();
    void waitsAreBoundedAndSaid();
    void missingSafeguardOpensReadOnly_data();
    void missingSafeguardOpensReadOnly();
    void roleDeniedOneTableIsToldSo();
};

void TestServerFailures::lostSessionIsMadeAgain_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("endAtStep"); // -1: before the action starts
    QTest::newRow("save") << "save" << -1;
    QTest::newRow("snapshot") << "snapshot" << -1;
    QTest::newRow("snapshot, rows half sent") << "snapshot" << 50;
    QTest::newRow("copy to a file, half read") << "copy" << 3;
}

void TestServerFailures::lostSessionIsMadeAgain()
{
    QFETCH(QString, action);
    QFETCH(int, endAtStep);
    CW_PROJECT_ON_SERVER(server, kA, error);
    SyntheticProject::Params params;
    params.goals = 40;
    params.tasks = 400;
    params.members = 6;
    QVERIFY2(SyntheticProject::build(kA, params, &error), qPrintable(error));
    QVERIFY2(Database::open(server.url(), kB, &error), qPrintable(error));
    ChangeListener listener(kA);
    QSignalSpy heard(&listener, &ChangeListener::changed);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("copy.cwk"));
    // What the action leaves: goals, snapshot rows, or the copy's file.
    const auto left = [&] {
        if (action == QLatin1String("copy")) {
            return qint64(QFileInfo::exists(file));
        }
        return server
            .scalar(action == QLatin1String("save") ? QStringLiteral("SELECT count(*) FROM GOALS_SW")
                                                    : QStringLiteral("SELECT count(*) FROM CompDates"))
            .toLongLong();
    };
    const qint64 before = left();
    FixedClock clock(QDateTime(QDate(2026, 3, 2), QTime(10, 0)));
    bool ended = false;
    int steps = 0;
    const auto endAt = [&](int step) {
        if (!ended && endAtStep >= 0 && step >= endAtStep) {
            ended = endSession(server, kA);
        }
    };
    const auto act = [&](QString* failure) {
        failure->clear();
        if (action == QLatin1String("save")) {
            return addGoal(kA, QStringLiteral("After"), failure);
        }
        if (action == QLatin1String("copy")) {
            const bool copied = Database::create(file, kC, failure, [&](QString* e) {
                return ProjectCopy::copy(kA, kC, e, [&](const QString&) { endAt(++steps); });
            });
            Database::close(kC);
            return copied;
        }
        QString stamp;
        return SnapshotGenerator::GenerateCompDates(kA, clock, &stamp, failure, false, endAt);
    };
    if (endAtStep < 0) {
        ended = endSession(server, kA);
    }
    QString failure;
    QVERIFY(!act(&failure));
    QVERIFY(ended);
    QVERIFY2(failure.contains(QStringLiteral("connection to the server was lost")), qPrintable(failure));
    QCOMPARE(left(), before);
    // Whatever else asks before the next action hears the same, never an empty message.
    QSqlQuery read(Sql::db(kA));
    QVERIFY(!Sql::firstRow(read, QStringLiteral("SELECT count(*) FROM GOALS_SW"), &failure));
    QVERIFY2(failure.contains(QStringLiteral("connection to the server was lost")), qPrintable(failure));

    // The next try connects again, works, and hears the others again.
    ended = true;
    QVERIFY2(act(&failure), qPrintable(failure));
    QVERIFY(left() > before);
    QVERIFY2(addGoal(kB, QStringLiteral("Colleague's"), &error), qPrintable(error));
    QTRY_VERIFY(heard.contains(QVariantList{QStringLiteral("goals_sw")}));
}

void TestServerFailures::waitsAreBoundedAndSaid_data()
{
    QTest::addColumn<QString>("hindrance");
    QTest::addColumn<QString>("told");
    QTest::newRow("a row another session keeps locked") << "lock"
                                                        << "in use by someone else";
    QTest::newRow("the role's time limit for one request") << "statement_timeout"
                                                           << "took longer than the server";
}

void TestServerFailures::waitsAreBoundedAndSaid()
{
    QFETCH(QString, hindrance);
    QFETCH(QString, told);
    CW_PROJECT_ON_SERVER(server, kA, error);
    QVERIFY2(addGoal(kA, QStringLiteral("Held"), &error), qPrintable(error));
    QVERIFY2(Database::open(server.url(), kB, &error), qPrintable(error));
    const qint64 goal = valueOn(kA, QStringLiteral("SELECT max(ID) FROM GOALS_SW")).toLongLong();
    QString failure;
    bool done = false;
    if (hindrance == QLatin1String("lock")) {
        QVERIFY(Sql::exec(kB, QStringLiteral("BEGIN"), &error));
        QVERIFY2(Sql::run(kB, QStringLiteral("SELECT 1 FROM GOALS_SW WHERE ID = ? FOR UPDATE"), {goal}, &error),
                 qPrintable(error));
        Transaction tx(kA);
        done = tx.isActive() &&
            Sql::run(kA, QStringLiteral("UPDATE GOALS_SW SET SHORT_NAME = 'Mine' WHERE ID = ?"), {goal}, &failure) &&
            tx.commit();
        QVERIFY(Sql::exec(kB, QStringLiteral("ROLLBACK"), &error));
    } else {
        SyntheticProject::Params params;
        params.tasks = 2000;
        QVERIFY2(SyntheticProject::build(kA, params, &error), qPrintable(error));
        // As ALTER ROLE … SET statement_timeout leaves it for every session of the role.
        QVERIFY(Sql::exec(kA, QStringLiteral("SET statement_timeout = 1"), &error));
        FixedClock clock(QDateTime(QDate(2026, 3, 2), QTime(10, 0)));
        QString stamp;
        done = SnapshotGenerator::GenerateCompDates(kA, clock, &stamp, &failure);
    }
    QVERIFY(!done);
    QVERIFY2(failure.contains(told), qPrintable(failure));
    QCOMPARE(server.scalar(QStringLiteral("SELECT count(*) FROM CompDates")).toLongLong(), 0);
    QCOMPARE(server.scalar(QStringLiteral("SELECT SHORT_NAME FROM GOALS_SW WHERE ID = %1").arg(goal)).toString(),
             QStringLiteral("Held"));
}

void TestServerFailures::missingSafeguardOpensReadOnly_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("named");
    QTest::newRow("row versions dropped") << "DROP TRIGGER goals_sw_version ON GOALS_SW"
                                          << "goals_sw_version";
    QTest::newRow("cycle guard disabled") << "ALTER TABLE GOALS_SW DISABLE TRIGGER goals_sw_no_cycle"
                                          << "goals_sw_no_cycle";
}

void TestServerFailures::missingSafeguardOpensReadOnly()
{
    QFETCH(QString, sql);
    QFETCH(QString, named);
    CW_PROJECT_ON_SERVER(server, kA, error);
    QVERIFY(server.exec(sql));
    QVERIFY2(Database::open(server.url(), kB, &error), qPrintable(error));
    QVERIFY(Database::isReadOnly(kB));
    QVERIFY2(Database::readOnlyReason(kB).contains(named), qPrintable(Database::readOnlyReason(kB)));
    QVERIFY(!addGoal(kB, QStringLiteral("Unguarded"), &error));
}

void TestServerFailures::roleDeniedOneTableIsToldSo()
{
    CW_PROJECT_ON_SERVER(server, kA, error);
    const QString role = QStringLiteral("cw_partial_%1").arg(QCoreApplication::applicationPid());
    const QString password = qEnvironmentVariable("PGPASSWORD").replace(QLatin1Char('\''), QStringLiteral("''"));
    const auto dropRole = qScopeGuard([&] {
        Database::close(kB);
        server.exec(QStringLiteral("DROP OWNED BY %1").arg(role));
        server.exec(QStringLiteral("DROP ROLE %1").arg(role));
    });
    QVERIFY2(server.exec(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(role, password), &error) &&
                 server.exec(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1").arg(role), &error) &&
                 server.exec(QStringLiteral("REVOKE SELECT ON TASK_OBJECT_WORKSHEET FROM %1").arg(role), &error),
             qPrintable(error));
    QVERIFY(!Database::open(server.url() + QStringLiteral("?user=") + role, kB, &error));
    QVERIFY2(error.contains(QStringLiteral("\"%1\" may not read the table \"task_object_worksheet\"").arg(role)),
             qPrintable(error));
}

QTEST_MAIN(TestServerFailures)
#include "TestServerFailures.moc"
