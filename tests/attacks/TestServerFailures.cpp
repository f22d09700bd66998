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
const QString kB = QStringLiteral("b"); // a colleague's
const QString kC = QStringLiteral("c"); // a file the project is copied to

// Ends `connection`'s session from the server's side, as a restart does.
bool endSession(const ServerDatabase& server, const QString& connection)
{
    QSqlQuery pid(Sql::db(connection));
    return pid.exec(QStringLiteral("SELECT pg_backend_pid()")) && pid.next() &&
        server.scalar(QStringLiteral("SELECT pg_terminate_backend(%1, 10000)").arg(pid.value(0).toLongLong())).toBool();
}

bool addGoal(const QString& connection, QString* error)
{
    Transaction tx(connection);
    GoalRecord goal;
    goal.shortName = QStringLiteral("New");
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
    void rowLockedElsewhereIsWaitedForBriefly();
    void damagedOrDeniedProjectIsToldSo_data();
    void damagedOrDeniedProjectIsToldSo();
};

void TestServerFailures::lostSessionIsMadeAgain_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("endAt"); // the progress step that ends the session; -1: before the action
    QTest::newRow("save") << "save" << -1;
    QTest::newRow("snapshot, rows half sent") << "snapshot" << 50;
    QTest::newRow("copy to a file, half read") << "copy" << 3;
}

void TestServerFailures::lostSessionIsMadeAgain()
{
    QFETCH(QString, action);
    QFETCH(int, endAt);
    CW_PROJECT_ON_SERVER(server, kA, error);
    QVERIFY2(SyntheticProject::build(kA, {40, 400, 6}, &error), qPrintable(error));
    QVERIFY2(Database::open(server.url(), kB, &error), qPrintable(error));
    ChangeListener listener(kA);
    QSignalSpy heard(&listener, &ChangeListener::changed);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("copy.cwk"));
    const auto left = [&] { // what the action leaves behind
        return action == QLatin1String("copy")
            ? qint64(QFileInfo::exists(file))
            : server.scalar(QStringLiteral("SELECT count(*) FROM ") + (action == "save" ? "GOALS_SW" : "CompDates"))
                  .toLongLong();
    };
    const qint64 before = left();
    FixedClock clock(QDateTime(QDate(2026, 3, 2), QTime(10, 0)));
    bool ended = endAt < 0 && endSession(server, kA);
    int step = 0;
    const auto progress = [&](int percent) {
        if (!ended && std::max(percent, ++step) >= endAt) {
            ended = endSession(server, kA);
        }
    };
    const auto act = [&](QString* failure) {
        failure->clear();
        QString stamp;
        if (action == QLatin1String("copy")) {
            const bool ok = Database::create(file, kC, failure, [&](QString* e) {
                return ProjectCopy::copy(kA, kC, e, [&](auto) { progress(0); });
            });
            Database::close(kC);
            return ok;
        }
        return action == QLatin1String("save")
            ? addGoal(kA, failure)
            : SnapshotGenerator::GenerateCompDates(kA, clock, &stamp, failure, false, progress);
    };
    QString failure;
    QVERIFY(!act(&failure) && ended);
    QVERIFY2(failure.contains(QStringLiteral("connection to the server was lost")), qPrintable(failure));
    QCOMPARE(left(), before);
    QSqlQuery read(Sql::db(kA)); // never an empty message for what else asks meanwhile
    QVERIFY(!Sql::firstRow(read, QStringLiteral("SELECT 1"), &failure));
    QVERIFY2(failure.contains(QStringLiteral("connection to the server was lost")), qPrintable(failure));

    // The next try connects again, works, and hears the others again.
    QVERIFY2(act(&failure), qPrintable(failure));
    QVERIFY(left() > before);
    QVERIFY2(addGoal(kB, &error), qPrintable(error));
    QTRY_VERIFY(heard.contains(QVariantList{QStringLiteral("goals_sw")}));
}

void TestServerFailures::rowLockedElsewhereIsWaitedForBriefly()
{
    CW_PROJECT_ON_SERVER(server, kA, error);
    QVERIFY2(addGoal(kA, &error) && Database::open(server.url(), kB, &error), qPrintable(error));
    QVERIFY(Sql::exec(kB, QStringLiteral("BEGIN"), &error) &&
            Sql::exec(kB, QStringLiteral("SELECT 1 FROM GOALS_SW FOR UPDATE"), &error));
    Transaction tx(kA);
    QVERIFY(!Sql::exec(kA, QStringLiteral("UPDATE GOALS_SW SET SHORT_NAME = 'Mine'"), &error));
    QVERIFY2(error.contains(QStringLiteral("in use by someone else")), qPrintable(error));
}

void TestServerFailures::damagedOrDeniedProjectIsToldSo_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("told"); // in the read-only reason, or the refusal to open
    QTest::newRow("row versions dropped") << "DROP TRIGGER goals_sw_version ON GOALS_SW"
                                          << "goals_sw_version";
    QTest::newRow("cycle guard disabled") << "ALTER TABLE GOALS_SW DISABLE TRIGGER goals_sw_no_cycle"
                                          << "goals_sw_no_cycle";
    QTest::newRow("role denied one table") << "REVOKE SELECT ON TASK_OBJECT_WORKSHEET FROM %1"
                                           << "may not read the table \"task_object_worksheet\"";
}

void TestServerFailures::damagedOrDeniedProjectIsToldSo()
{
    QFETCH(QString, sql);
    QFETCH(QString, told);
    CW_PROJECT_ON_SERVER(server, kA, error);
    const QString role = QStringLiteral("cw_partial_%1").arg(QCoreApplication::applicationPid());
    const QString password = qEnvironmentVariable("PGPASSWORD").replace(QLatin1Char('\''), QStringLiteral("''"));
    const auto dropRole = qScopeGuard([&] {
        Database::close(kB);
        server.exec(QStringLiteral("DROP OWNED BY %1").arg(role));
        server.exec(QStringLiteral("DROP ROLE %1").arg(role));
    });
    const bool denied = sql.contains(QLatin1String("%1"));
    QVERIFY(!denied ||
            (server.exec(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(role, password)) &&
             server.exec(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1").arg(role))));
    QVERIFY(server.exec(sql.arg(role)));
    if (denied) {
        QVERIFY(!Database::open(server.url() + QStringLiteral("?user=") + role, kB, &error));
        QVERIFY2(error.contains(told), qPrintable(error));
        return;
    }
    QVERIFY2(Database::open(server.url(), kB, &error), qPrintable(error));
    QVERIFY2(Database::readOnlyReason(kB).contains(told), qPrintable(Database::readOnlyReason(kB)));
    QVERIFY(!addGoal(kB, &error));
}

QTEST_MAIN(TestServerFailures)
#include "TestServerFailures.moc"
