#include "db/Database.h"
#include "db/ProjectWriter.h"
#include "db/Schema.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "tests/support/FileDigest.h"
#include "tests/support/TempProject.h"
#include "tests/support/WriteProtection.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

// How a project is reached when it may not be written or when its file changed
// underneath: read-only files and folders, and newer formats that only the -wal
// holds. What other programs see of it is the attack suite's part.
namespace {
QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Adds a top goal as the editors do: in a transaction through the writer.
bool addGoal(const QString& connection, const QString& name, QString* error)
{
    Transaction tx(connection);
    GoalRecord goal;
    goal.shortName = name;
    goal.created = QStringLiteral("2026-01-01 10:00:00");
    if (tx.isActive() && ProjectWriter(connection).addGoal(goal, error) && tx.commit()) {
        return true;
    }
    *error += tx.error();
    return false;
}
} // namespace

class TestProjectAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatChangedInTheWalRefused_data();
    void formatChangedInTheWalRefused();
    void readOnlyProjects_data();
    void readOnlyProjects();
};

void TestProjectAccess::formatChangedInTheWalRefused_data()
{
    QTest::addColumn<QString>("pragma");
    QTest::addColumn<QString>("onWrite");
    QTest::addColumn<QString>("onOpen");
    QTest::newRow("newer version") << QStringLiteral("PRAGMA user_version = %1").arg(Schema::kVersion + 1)
                                   << "newer version"
                                   << "newer version";
    QTest::newRow("foreign application id")
        << QStringLiteral("PRAGMA application_id = 7") << "no longer a Cairnwork database"
        << "is not a Cairnwork database";
}

// A newer version (or another program) still running, its change only in the -wal: the
// file's header says nothing of it, the connection does. Writes and opens refuse.
void TestProjectAccess::formatChangedInTheWalRefused()
{
    QFETCH(QString, pragma);
    QFETCH(QString, onWrite);
    QFETCH(QString, onOpen);
    TempProject p(QStringLiteral("c"));
    p.goal(QStringLiteral("G"));
    const QString other = QStringLiteral("newer program");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), other);
        db.setDatabaseName(p.path());
        QVERIFY(db.open());
        QString error;
        QVERIFY(Sql::exec(other, QStringLiteral("PRAGMA wal_autocheckpoint = 0"), &error));
        QVERIFY2(Sql::exec(other, pragma, &error), qPrintable(error));
    }
    Transaction tx(p.connection());
    QVERIFY(!tx.isActive());
    QVERIFY2(tx.error().contains(onWrite) && tx.error().contains(p.path()), qPrintable(tx.error()));
    QVERIFY(!Transaction::isOpen(p.connection()));

    QString error;
    QVERIFY(!Database::open(p.path(), QStringLiteral("d"), &error));
    QVERIFY2(error.contains(onOpen), qPrintable(error));
    QSqlDatabase::database(other, false).close();
    QSqlDatabase::removeDatabase(other);
}

void TestProjectAccess::readOnlyProjects_data()
{
    QTest::addColumn<QString>("protect"); // what the file system refuses to write: file, folder or nothing
    QTest::addColumn<bool>("wal"); // else a rollback journal
    QTest::addColumn<bool>("askReadOnly");
    QTest::newRow("read-only file, WAL") << "file" << true << false;
    QTest::newRow("read-only file, DELETE journal") << "file" << false << false;
    // No -wal/-shm can be made: SQLite cannot open a WAL file here unless told it is immutable.
    QTest::newRow("read-only folder, WAL") << "folder" << true << false;
    QTest::newRow("read-only folder, DELETE journal") << "folder" << false << false;
    QTest::newRow("read-only access, writable WAL file") << "" << true << true;
    QTest::newRow("read-only access, writable DELETE file") << "" << false << true;
}

// A project the file system will not let us write opens read-only: reads work, every
// write is refused naming the cause, not a byte changes, and no -wal/-shm stays behind
// to keep the project unwritable once it is writable again.
void TestProjectAccess::readOnlyProjects()
{
    QFETCH(QString, protect);
    QFETCH(bool, wal);
    QFETCH(bool, askReadOnly);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("projects"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/plan.cwk");
    const QString c = QStringLiteral("ro");
    QString error;
    QVERIFY(Database::create(path, c, &error));
    QVERIFY2(addGoal(c, QStringLiteral("Browse me"), &error), qPrintable(error));
    if (!wal) {
        QVERIFY(Sql::exec(c, QStringLiteral("PRAGMA journal_mode = DELETE"), &error));
    }
    Database::close(c);
    const QByteArray before = fileDigest(path);
    const QStringList filesBefore = filesIn(folder);

    std::optional<WriteProtection> protection;
    if (!protect.isEmpty()) {
        protection.emplace(protect == QLatin1String("file") ? path : folder);
        if (!protection->holds()) {
            QSKIP("Cannot make the project unwritable here (running as root without chattr +i support)");
        }
    }
    QVERIFY2(Database::open(path, c, &error, askReadOnly ? Database::Access::ReadOnly : Database::Access::ReadWrite),
             qPrintable(error));
    QVERIFY(Database::isReadOnly(c));
    QCOMPARE(Database::filePath(c), path);
    {
        QSqlQuery q(Sql::db(c));
        QVERIFY(q.exec(QStringLiteral("SELECT SHORT_NAME FROM GOALS_SW")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("Browse me"));
    }
    {
        Transaction tx(c);
        QVERIFY(!tx.isActive());
        QCOMPARE(tx.error(), QStringLiteral("The project file \"%1\" is read-only.").arg(path));
    }
    // Below the Transaction too, SQLite itself refuses.
    QVERIFY(!Sql::exec(c, QStringLiteral("DELETE FROM GOALS_SW"), &error));
    Database::close(c);
    if (protection) {
        protection->lift();
    }
    QCOMPARE(fileDigest(path), before);
    QCOMPARE(filesIn(folder), filesBefore);

    QVERIFY2(Database::open(path, c, &error), qPrintable(error));
    QVERIFY(!Database::isReadOnly(c));
    QVERIFY2(addGoal(c, QStringLiteral("Written again"), &error), qPrintable(error));
    Database::close(c);
}

QTEST_GUILESS_MAIN(TestProjectAccess)
#include "TestProjectAccess.moc"
