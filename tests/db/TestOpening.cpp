#include "db/Database.h"
#include "db/Schema.h"
#include "db/Sql.h"
#include "tests/support/FileDigest.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A plain SQLite file of some other program, made without our schema.
void foreignDatabase(const QString& path, const QString& extra = QString())
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE notes (x TEXT)")));
        if (!extra.isEmpty()) {
            QVERIFY(q.exec(extra));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
}
} // namespace

class TestOpening : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createThenReopen();
    void foreignFilesRefusedAndUnchanged_data();
    void foreignFilesRefusedAndUnchanged();
    void missingFileNeverCreated();
    void createRefusesExistingFile();
    void impossibleIdentifiersRefused_data();
    void impossibleIdentifiersRefused();
};

void TestOpening::createThenReopen()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.cwk"));
    QString error;
    QVERIFY2(Database::create(path, QStringLiteral("c"), &error), qPrintable(error));
    Database::close(QStringLiteral("c"));
    QVERIFY2(Database::open(path, QStringLiteral("c"), &error), qPrintable(error));
    QSqlQuery q(Sql::db(QStringLiteral("c")));
    QVERIFY(q.exec(QStringLiteral("SELECT a.application_id || ' ' || f.foreign_keys || ' ' || j.journal_mode || ' '"
                                  " || (SELECT GOAL_APP + TASK_OBJECT + NOTE FROM COUNTERS) FROM"
                                  " pragma_application_id() a, pragma_foreign_keys() f, pragma_journal_mode() j")) &&
            q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("%1 1 wal 0").arg(Schema::kApplicationId));
    q.finish();
    Database::close(QStringLiteral("c"));
}

void TestOpening::foreignFilesRefusedAndUnchanged_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text") << "text"
                          << "is not a Cairnwork database";
    QTest::newRow("other sqlite") << "sqlite"
                                  << "is not a Cairnwork database";
    QTest::newRow("our id, no tables") << "borrowed-id"
                                       << "is damaged";
    QTest::newRow("truncated project") << "truncated"
                                       << "is damaged";
    QTest::newRow("empty") << "empty"
                           << "is empty";
    QTest::newRow("newer version") << "newer"
                                   << "newer version";
}

// Whatever the file is, opening it as a project must fail clearly and change no byte.
void TestOpening::foreignFilesRefusedAndUnchanged()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.cwk"));
    if (kind == QLatin1String("text")) {
        writeFile(path, "shopping list\nmilk\n");
    } else if (kind == QLatin1String("sqlite")) {
        foreignDatabase(path);
    } else if (kind == QLatin1String("borrowed-id")) {
        foreignDatabase(path, QStringLiteral("PRAGMA application_id = %1").arg(Schema::kApplicationId));
    } else if (kind == QLatin1String("truncated") || kind == QLatin1String("newer")) {
        QString error;
        QVERIFY(Database::create(path, QStringLiteral("c"), &error));
        if (kind == QLatin1String("newer")) {
            const QString newer = QStringLiteral("PRAGMA user_version = %1").arg(Schema::kVersion + 1);
            QVERIFY(Sql::exec(QStringLiteral("c"), newer, &error));
        }
        QVERIFY(Sql::exec(QStringLiteral("c"), QStringLiteral("PRAGMA journal_mode = DELETE"), &error));
        Database::close(QStringLiteral("c"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(kind == QLatin1String("newer") || f.resize(f.size() / 2));
    } else {
        writeFile(path, QByteArray());
    }
    const QByteArray before = fileDigest(path);
    const auto filesBefore = QDir(dir.path()).entryList(QDir::Files);
    QString error;
    QVERIFY(!Database::open(path, QStringLiteral("c"), &error));
    QVERIFY2(error.contains(expected), qPrintable(error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("c")));
    QCOMPARE(fileDigest(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), filesBefore);
}

void TestOpening::missingFileNeverCreated()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.cwk"));
    QString error;
    QVERIFY(!Database::open(path, QStringLiteral("c"), &error));
    QVERIFY(error.contains(QStringLiteral("does not exist")));
    QVERIFY(!QFile::exists(path));
}

void TestOpening::createRefusesExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.cwk"));
    writeFile(path, "keep me");
    QString error;
    QVERIFY(!Database::create(path, QStringLiteral("c"), &error));
    QCOMPARE(fileDigest(path), QCryptographicHash::hash("keep me", QCryptographicHash::Sha256));
    // An empty file may become a project.
    const QString empty = dir.filePath(QStringLiteral("empty.cwk"));
    writeFile(empty, QByteArray());
    QVERIFY2(Database::create(empty, QStringLiteral("c"), &error), qPrintable(error));
    Database::close(QStringLiteral("c"));
}

void TestOpening::impossibleIdentifiersRefused_data()
{
    QTest::addColumn<QStringList>("rows"); // written by "another program", without our guards
    QTest::addColumn<QString>("cause");
    const QString goal = QStringLiteral("INSERT INTO GOALS_SW (ID, P_GID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, "
                                        "CREATED) VALUES (%1, %2, 'Goal', 'g', 1, 'Open', '2026-01-01 00:00:00')");
    const QString task = QStringLiteral("INSERT INTO TASKS_OBJECTS (ID, FK_ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, "
                                        "STATUS, DAYSPLANNED, CREATED) VALUES (%1, %2, 'Task', 't', 1, 'Open', 1, "
                                        "'2026-01-01 00:00:00')");
    // Goal 0 was taken as its own child: the snapshot recursed until memory ran out.
    QTest::newRow("goal 0") << QStringList{goal.arg(0).arg(QStringLiteral("NULL"))}
                            << "goal 0 has an identifier below 1";
    QTest::newRow("negative goal") << QStringList{goal.arg(-4).arg(QStringLiteral("NULL"))}
                                   << "goal -4 has an identifier below 1";
    QTest::newRow("own parent") << QStringList{goal.arg(5).arg(5)} << "goal 5 is its own parent goal";
    QTest::newRow("cycle of two") << QStringList{goal.arg(1).arg(2), goal.arg(2).arg(1)}
                                  << "lies on a cycle of parent goals";
    QTest::newRow("parent 0") << QStringList{goal.arg(3).arg(0)} << "goal 3 names 0 as its parent goal";
    QTest::newRow("task 0") << QStringList{goal.arg(1).arg(QStringLiteral("NULL")), task.arg(0).arg(1)}
                            << "task 0 has an identifier below 1";
    QTest::newRow("note of task 0")
        << QStringList{QStringLiteral(
               "INSERT INTO TASK_OBJECT_WORKSHEET (NID, TASKID, TIMESTAMP) VALUES (1, 0, '2026-01-01 00:00:00')")}
        << "note 1 names 0 as its task";
}

// Data our program never writes but another tool may: refused at open, naming the
// file and the cause, and the file stays as it was.
void TestOpening::impossibleIdentifiersRefused()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.cwk"));
    QString error;
    QVERIFY(Database::create(path, QStringLiteral("c"), &error));
    const QString c = QStringLiteral("c");
    QVERIFY(Sql::exec(c, QStringLiteral("PRAGMA foreign_keys = OFF"), &error));
    QVERIFY(Sql::exec(c, QStringLiteral("PRAGMA ignore_check_constraints = ON"), &error));
    QVERIFY(Sql::exec(c, QStringLiteral("DROP TRIGGER GOALS_SW_no_cycle_insert"), &error));
    for (const QString& row : rows) {
        QVERIFY2(Sql::exec(c, row, &error), qPrintable(error));
    }
    QVERIFY(Sql::exec(c, QStringLiteral("PRAGMA journal_mode = DELETE"), &error));
    Database::close(c);
    const QByteArray before = fileDigest(path);
    QVERIFY(!Database::open(path, c, &error));
    QVERIFY2(error.contains(cause), qPrintable(error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QCOMPARE(fileDigest(path), before);
}

QTEST_GUILESS_MAIN(TestOpening)
#include "TestOpening.moc"
