#include "db/Database.h"
#include "db/ProjectCopy.h"
#include "db/ProjectWriter.h"
#include "db/ServerAddress.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "tests/support/FileDigest.h"
#include "tests/support/ServerDatabase.h"
#include "tests/support/TempProject.h"

#include <QtTest>

namespace {
const QString kConnection = QStringLiteral("srv");

// Alice, goal 1 with sub-goal 2, and task 1 under goal 2 assigned to Alice.
void buildSmallProject()
{
    Transaction tx(kConnection);
    QVERIFY2(tx.isActive(), qPrintable(tx.error()));
    ProjectWriter writer(kConnection);
    QString error;
    const MemberRecord alice =
        MemberRecord::withHours(QStringLiteral("Alice"), QStringLiteral("08:00"), QStringLiteral("16:00"));
    QVERIFY2(writer.addMember(alice, &error), qPrintable(error));
    GoalRecord top;
    top.shortName = QStringLiteral("Top");
    top.created = QStringLiteral("2026-01-01 00:00:00");
    QVERIFY2(writer.addGoal(top, &error), qPrintable(error));
    GoalRecord sub;
    sub.shortName = QStringLiteral("Sub");
    sub.created = QStringLiteral("2026-01-01 00:00:00");
    sub.parentId = top.id;
    QVERIFY2(writer.addGoal(sub, &error), qPrintable(error));
    TaskRecord task;
    task.shortName = QStringLiteral("Task");
    task.created = QStringLiteral("2026-01-01 00:00:00");
    task.goalId = sub.id;
    task.daysPlanned = 3;
    QVERIFY2(writer.addTask(task, &error), qPrintable(error));
    AssignmentRecord assignment;
    assignment.taskId = task.id;
    assignment.member = QStringLiteral("Alice");
    QVERIFY2(writer.addAssignment(assignment, &error), qPrintable(error));
    QVERIFY2(tx.commit(), qPrintable(tx.error()));
}
} // namespace

class TestServerProject : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        for (const QString& connection : {kConnection, QStringLiteral("old"), QStringLiteral("new")}) {
            Database::close(connection);
        }
    }
    void addresses_data();
    void addresses();
    void schemaRulesHold_data();
    void schemaRulesHold();
    void namesMatchWithoutCaseAndRenamesCascade();
    void rowVersionRisesWithEachUpdate();
    void foreignOrNewerDatabasesRefused_data();
    void foreignOrNewerDatabasesRefused();
    void readOnlyOpeningRefusesWrites();
    void olderDatabaseGetsChangeAnnouncements_data();
    void olderDatabaseGetsChangeAnnouncements();
    void copiesFromEarlierFormats_data();
    void copiesFromEarlierFormats();
};

void TestServerProject::addresses_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("shown"); // empty: refused
    QTest::addColumn<QStringList>("options");
    QTest::newRow("full") << "postgresql://ann@db.example:5433/plan?sslmode=require"
                          << "postgresql://ann@db.example:5433/plan?sslmode=require"
                          << QStringList{QStringLiteral("sslmode=require")};
    QTest::newRow("local socket keeps its empty host") << "postgresql:///plan"
                                                       << "postgresql:///plan" << QStringList{};
    QTest::newRow("socket folder as the host")
        << "postgresql://ann@%2Fvar%2Frun%2Fpostgresql:5433/plan"
        << "postgresql://ann@%2Fvar%2Frun%2Fpostgresql:5433/plan" << QStringList{};
    QTest::newRow("socket folder, password") << "postgresql://ann:secret@%2Ftmp/plan" << QString() << QStringList{};
    QTest::newRow("short scheme") << "postgres://db/plan"
                                  << "postgresql://db/plan" << QStringList{};
    QTest::newRow("password in the user part") << "postgresql://ann:secret@db/plan" << QString() << QStringList{};
    QTest::newRow("password as an option") << "postgresql://db/plan?password=secret" << QString() << QStringList{};
    QTest::newRow("no database") << "postgresql://db/" << QString() << QStringList{};
    // A space would let the value add another libpq key.
    QTest::newRow("option smuggling a key")
        << "postgresql://db/plan?sslmode=disable%20host%3Devil" << QString() << QStringList{};
}

void TestServerProject::addresses()
{
    QFETCH(QString, location);
    QFETCH(QString, shown);
    QFETCH(QStringList, options);
    QVERIFY(ServerAddress::isServer(location));
    ServerAddress address;
    QString error;
    const bool ok = ServerAddress::parse(location, &address, &error);
    QCOMPARE(ok, !shown.isEmpty());
    if (ok) {
        QCOMPARE(address.shown(), shown);
        QCOMPARE(address.options, options);
    } else {
        QVERIFY(!error.isEmpty());
        QVERIFY2(!error.contains(QLatin1String("secret")), qPrintable(error));
    }
}

void TestServerProject::schemaRulesHold_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("member names unique without case") << "INSERT INTO RESOURCES (R_NAME) VALUES ('ALICE')";
    QTest::newRow("blank member name") << "INSERT INTO RESOURCES (R_NAME) VALUES ('  ')";
    QTest::newRow("time of day out of range") << "UPDATE RESOURCES SET MON_BEG = '24:00'";
    QTest::newRow("identifier below 1")
        << "INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, CREATED)"
           " VALUES (0, 'Goal', 'x', 1, 'Open', '2026-01-01 00:00:00')";
    QTest::newRow("status outside the vocabulary") << "UPDATE TASKS_OBJECTS SET STATUS = 'Done'";
    QTest::newRow("days not a number") << "UPDATE TASKS_OBJECTS SET DAYSPLANNED = 'NaN'";
    QTest::newRow("workload above 100") << "UPDATE TASK_OBJECT_RESOURCE SET PER_WORKLOAD = 101";
    QTest::newRow("goal below its own sub-goal") << "UPDATE GOALS_SW SET P_GID = 2 WHERE ID = 1";
    QTest::newRow("goal its own parent") << "UPDATE GOALS_SW SET P_GID = 2 WHERE ID = 2";
    QTest::newRow("assigned member deleted") << "DELETE FROM RESOURCES";
    QTest::newRow("second counters row") << "INSERT INTO COUNTERS VALUES (0, 0, 0)";
    QTest::newRow("counters row deleted") << "DELETE FROM COUNTERS";
}

void TestServerProject::schemaRulesHold()
{
    QFETCH(QString, sql);
    CW_PROJECT_ON_SERVER(server, kConnection, error);
    buildSmallProject();
    QVERIFY2(!Sql::exec(kConnection, sql, &error), "the server accepted a row the project forbids");
}

void TestServerProject::namesMatchWithoutCaseAndRenamesCascade()
{
    CW_PROJECT_ON_SERVER(server, kConnection, error);
    buildSmallProject();
    QVERIFY2(
        Sql::exec(kConnection, QStringLiteral("UPDATE RESOURCES SET R_NAME = 'Alicia' WHERE R_NAME = 'alice'"), &error),
        qPrintable(error));
    QCOMPARE(server.scalar(QStringLiteral("SELECT FK_R_NAME FROM TASK_OBJECT_RESOURCE")).toString(),
             QStringLiteral("Alicia"));
    QCOMPARE(server.scalar(QStringLiteral("SELECT COUNT(*) FROM qLvResource WHERE FK_R_NAME = 'ALICIA'")).toInt(), 1);
}

void TestServerProject::rowVersionRisesWithEachUpdate()
{
    CW_PROJECT_ON_SERVER(server, kConnection, error);
    buildSmallProject();
    for (const char* table : {"RESOURCES", "GOALS_SW", "TASKS_OBJECTS", "TASK_OBJECT_RESOURCE"}) {
        const QString name = QLatin1String(table);
        QCOMPARE(server.scalar(QStringLiteral("SELECT MIN(row_version) FROM %1").arg(name)).toInt(), 1);
    }
    QVERIFY(Sql::exec(kConnection, QStringLiteral("UPDATE GOALS_SW SET SHORT_NAME = 'Top 2' WHERE ID = 1"), &error));
    QVERIFY(Sql::exec(kConnection, QStringLiteral("UPDATE GOALS_SW SET PRIORITY = 7 WHERE ID = 1"), &error));
    QCOMPARE(server.scalar(QStringLiteral("SELECT row_version FROM GOALS_SW WHERE ID = 1")).toInt(), 3);
    QCOMPARE(server.scalar(QStringLiteral("SELECT row_version FROM GOALS_SW WHERE ID = 2")).toInt(), 1);
}

void TestServerProject::foreignOrNewerDatabasesRefused_data()
{
    QTest::addColumn<bool>("project"); // start from a project made by init
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("another program's tables") << false << "CREATE TABLE invoices (n INTEGER)"
                                              << "other tables";
    QTest::newRow("empty database") << false << QString() << "holds no project yet";
    QTest::newRow("newer format") << true << "UPDATE cw_format SET USER_VERSION = 99"
                                  << "newer version";
    QTest::newRow("foreign mark") << true << "UPDATE cw_format SET APPLICATION_ID = 7"
                                  << "not a Cairnwork project";
}

void TestServerProject::foreignOrNewerDatabasesRefused()
{
    QFETCH(bool, project);
    QFETCH(QString, change);
    QFETCH(QString, message);
    ServerDatabase server;
    CW_REQUIRE_SERVER(server);
    QString error;
    if (project) {
        QVERIFY2(Database::create(server.url(), kConnection, &error), qPrintable(error));
        Database::close(kConnection);
    }
    if (!change.isEmpty()) {
        QVERIFY2(server.exec(change, &error), qPrintable(error));
    }
    QVERIFY(!Database::open(server.url(), kConnection, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(!Database::isOpen(kConnection));
    if (!change.isEmpty()) {
        // init needs an empty database: it leaves this one as it was.
        const QVariant tables = server.scalar(
            QStringLiteral("SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = 'public'"));
        QVERIFY(!Database::create(server.url(), kConnection, &error));
        QVERIFY2(error.contains(QLatin1String("empty database")), qPrintable(error));
        QCOMPARE(server.scalar(
                     QStringLiteral("SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = 'public'")),
                 tables);
    }
}

void TestServerProject::readOnlyOpeningRefusesWrites()
{
    CW_PROJECT_ON_SERVER(server, kConnection, error);
    Database::close(kConnection);
    QVERIFY2(Database::open(server.url(), kConnection, &error, Database::Access::ReadOnly), qPrintable(error));
    QVERIFY(Database::isReadOnly(kConnection));
    Transaction tx(kConnection);
    QVERIFY(!tx.isActive());
    QVERIFY2(tx.error().contains(QLatin1String("read-only")), qPrintable(tx.error()));
    // Past the program's own check the server still refuses.
    QVERIFY(!Sql::exec(kConnection, QStringLiteral("UPDATE COUNTERS SET NOTE = 5"), &error));
    QCOMPARE(server.scalar(QStringLiteral("SELECT NOTE FROM COUNTERS")).toInt(), 0);
}

void TestServerProject::olderDatabaseGetsChangeAnnouncements_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("made before changes were announced") << "DROP FUNCTION cw_announce_change() CASCADE";
    QTest::newRow("one announcement disabled") << "ALTER TABLE GOALS_SW DISABLE TRIGGER goals_sw_announce";
}

void TestServerProject::olderDatabaseGetsChangeAnnouncements()
{
    QFETCH(QString, sql);
    CW_PROJECT_ON_SERVER(server, kConnection, error);
    Database::close(kConnection);
    const QString count =
        QStringLiteral("SELECT COUNT(*) FROM pg_trigger WHERE tgname LIKE '%\\_announce' AND tgenabled <> 'D'");
    const int all = server.scalar(count).toInt();
    QCOMPARE(all, 7);
    QVERIFY(server.exec(sql, &error));
    QVERIFY(server.scalar(count).toInt() < all);
    QVERIFY2(Database::open(server.url(), kConnection, &error), qPrintable(error));
    QCOMPARE(server.scalar(count).toInt(), all);
}

QTEST_GUILESS_MAIN(TestServerProject)
void TestServerProject::copiesFromEarlierFormats_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("toServer");
    for (const int format : {1, 2}) {
        QTest::addRow("format %d to a file", format) << format << false;
        QTest::addRow("format %d to a server", format) << format << true;
    }
}

// A file of an earlier format is read as it is (opened read-only, so never migrated): the
// copy takes the tables it has, and the file keeps every byte.
void TestServerProject::copiesFromEarlierFormats()
{
    QFETCH(int, format);
    QFETCH(bool, toServer);
    std::optional<ServerDatabase> server;
    if (toServer) {
        server.emplace();
        CW_REQUIRE_SERVER(*server);
    }
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("old.cwk"));
    if (format == 1) {
        QVERIFY(QFile::copy(QStringLiteral(CW_FORMAT1_FILE), old));
        QVERIFY(QFile::setPermissions(old, QFile::ReadOwner | QFile::WriteOwner));
    } else {
        // Format 2 is today's without the undo log.
        TempProject p;
        p.member(QStringLiteral("Ann"));
        p.task(p.goal(QStringLiteral("G")), QStringLiteral("T"), 2);
        QString error;
        QSqlQuery objects(Sql::db(p.connection()));
        QVERIFY(objects.exec(
            QStringLiteral("SELECT type, name FROM sqlite_master WHERE (name LIKE 'Undo%'"
                           " OR name LIKE '%_undo_%') AND name NOT LIKE 'sqlite_%' ORDER BY type = 'table'")));
        QStringList statements; // the log goes, a snapshot row comes
        while (objects.next()) {
            statements
                << QStringLiteral("DROP %1 %2").arg(objects.value(0).toString().toUpper(), objects.value(1).toString());
        }
        QVERIFY(!statements.isEmpty());
        statements << QStringLiteral("INSERT INTO CompDates (TimeStamp, OBJ) VALUES ('2026-01-05 09:00:00', 'G')")
                   << QStringLiteral("PRAGMA user_version = 2");
        for (const QString& statement : std::as_const(statements)) {
            QVERIFY2(Sql::exec(p.connection(), statement, &error), qPrintable(error));
        }
        p.close();
        QVERIFY(QFile::copy(p.path(), old));
    }
    const QByteArray before = fileDigest(old);
    const QString target = toServer ? server->url() : dir.filePath(QStringLiteral("new.cwk"));
    QString error;
    QVERIFY2(Database::open(old, QStringLiteral("old"), &error, Database::Access::ReadOnly), qPrintable(error));
    const bool copied = Database::create(target, QStringLiteral("new"), &error, [](QString* failure) {
        return ProjectCopy::copy(QStringLiteral("old"), QStringLiteral("new"), failure);
    });
    QVERIFY2(copied, qPrintable(error));
    for (const char* table : {"RESOURCES", "GOALS_SW", "TASKS_OBJECTS", "CompDates"}) {
        const QString count = QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table));
        QSqlQuery a(Sql::db(QStringLiteral("old")));
        QSqlQuery b(Sql::db(QStringLiteral("new")));
        QVERIFY(a.exec(count) && a.next() && b.exec(count) && b.next());
        QVERIFY2(a.value(0).toInt() > 0, table);
        QCOMPARE(b.value(0).toInt(), a.value(0).toInt());
    }
    Database::close(QStringLiteral("new"));
    Database::close(QStringLiteral("old"));
    QCOMPARE(fileDigest(old), before);
}

#include "TestServerProject.moc"
