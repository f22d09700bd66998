#include "db/Database.h"
#include "db/ProjectWriter.h"
#include "db/Schema.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "tests/support/CliRun.h"
#include "tests/support/TempProject.h"
#include "tests/support/WriteProtection.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

// How a project is reached when others hold it, when it may not be written, or when
// its file changed underneath: the process's own locks, other programs, read-only
// files and folders, and newer formats that only the -wal holds.
namespace {
CliRun cli(const QStringList& args)
{
    return CliRun::run(args);
}

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

ino_t inode(const QString& path)
{
    struct stat s;
    return ::stat(QFile::encodeName(path).constData(), &s) == 0 ? s.st_ino : 0;
}

// A second program that holds the project with an exclusive lock until its stdin closes.
// The test runs itself as that program (see main()).
const char* const kHoldLock = "CW_TEST_HOLD_LOCK";

int holdLock(const QString& path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        db.setDatabaseName(path);
        QSqlQuery q(db);
        if (!db.open() || !q.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE")) ||
            !q.exec(QStringLiteral("BEGIN EXCLUSIVE")) || !q.exec(QStringLiteral("COMMIT"))) {
            return 1;
        }
        std::printf("locked\n");
        std::fflush(stdout);
        while (std::getchar() != EOF) { }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    return 0;
}

GoalRecord topGoal(const QString& name)
{
    GoalRecord goal;
    goal.shortName = name;
    goal.created = QStringLiteral("2026-01-01 10:00:00");
    return goal;
}

bool addGoal(const QString& connection, const QString& name, QString* error)
{
    Transaction tx(connection);
    if (!tx.isActive()) {
        *error = tx.error();
        return false;
    }
    GoalRecord goal = topGoal(name);
    ProjectWriter writer(connection);
    if (!writer.addGoal(goal, error)) {
        return false;
    }
    if (!tx.commit()) {
        *error = tx.error();
        return false;
    }
    return true;
}
} // namespace

class TestProjectAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondConnectionKeepsTheProcessLocks();
    void formatChangedInTheWalRefused_data();
    void formatChangedInTheWalRefused();
    void lockedByAnotherProgram();
    void readOnlyProjects_data();
    void readOnlyProjects();
    void readCommandsChangeNothing_data();
    void readCommandsChangeNothing();
};

// Opening a second connection (as the team window does) used to read the file with a
// plain descriptor; closing it dropped every lock of the process, so the next program
// that closed the project deleted the -wal under us and a later save was lost.
void TestProjectAccess::secondConnectionKeepsTheProcessLocks()
{
    TempProject p(QStringLiteral("main"));
    p.goal(QStringLiteral("Opened first"));
    QString error;
    QVERIFY2(Database::open(p.path(), QStringLiteral("team"), &error), qPrintable(error));
    const QString wal = p.path() + QStringLiteral("-wal");
    const ino_t walBefore = inode(wal);
    QVERIFY(walBefore != 0);

    const CliRun list = cli({QStringLiteral("tasklist"), p.path()});
    QCOMPARE(list.exitCode, 0);
    QVERIFY2(addGoal(QStringLiteral("team"), QStringLiteral("Saved by the team window"), &error), qPrintable(error));
    QCOMPARE(inode(wal), walBefore);
    const CliRun fresh = cli({QStringLiteral("tasklist"), p.path()});
    QCOMPARE(fresh.exitCode, 0);
    QVERIFY2(fresh.out.contains(QStringLiteral("Saved by the team window")), qPrintable(fresh.out + fresh.err));
    Database::close(QStringLiteral("team"));
}

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
    const CliRun list = cli({QStringLiteral("tasklist"), p.path()});
    QCOMPARE(list.exitCode, 1);
    QVERIFY2(list.err.contains(onOpen), qPrintable(list.err));
    QSqlDatabase::database(other, false).close();
    QSqlDatabase::removeDatabase(other);
}

// Another program holding an exclusive lock used to make the file "damaged".
void TestProjectAccess::lockedByAnotherProgram()
{
    TempProject p;
    p.goal(QStringLiteral("G"));
    p.close();
    QProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kHoldLock), p.path());
    holder.setProcessEnvironment(env);
    holder.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(holder.waitForReadyRead(30000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("locked"));

    QString error;
    QVERIFY(!Database::open(p.path(), QStringLiteral("c"), &error));
    QVERIFY2(error.contains(QStringLiteral("in use by another program")) && error.contains(p.path()),
             qPrintable(error));
    const CliRun list = cli({QStringLiteral("tasklist"), p.path()});
    QCOMPARE(list.exitCode, 1);
    QVERIFY2(list.err.contains(QStringLiteral("in use by another program")), qPrintable(list.err));

    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(30000));
    QCOMPARE(holder.exitCode(), 0);
    QVERIFY2(Database::open(p.path(), QStringLiteral("c"), &error), qPrintable(error));
    Database::close(QStringLiteral("c"));
}

void TestProjectAccess::readOnlyProjects_data()
{
    QTest::addColumn<QString>("protect"); // what the file system refuses to write: file, folder or nothing
    QTest::addColumn<QString>("journal");
    QTest::addColumn<bool>("askReadOnly");
    QTest::newRow("read-only file, WAL") << "file"
                                         << "wal" << false;
    QTest::newRow("read-only file, DELETE journal") << "file"
                                                    << "delete" << false;
    // No -wal/-shm can be made: SQLite cannot open a WAL file here unless told it is immutable.
    QTest::newRow("read-only folder, WAL") << "folder"
                                           << "wal" << false;
    QTest::newRow("read-only folder, DELETE journal") << "folder"
                                                      << "delete" << false;
    QTest::newRow("read-only access, writable WAL file") << ""
                                                         << "wal" << true;
    QTest::newRow("read-only access, writable DELETE file") << ""
                                                            << "delete" << true;
}

// A project the file system will not let us write opens read-only: reads work, every
// write is refused naming the cause, not a byte changes, and no -wal/-shm stays behind
// to keep the project unwritable once it is writable again.
void TestProjectAccess::readOnlyProjects()
{
    QFETCH(QString, protect);
    QFETCH(QString, journal);
    QFETCH(bool, askReadOnly);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("projects"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/plan.cwk");
    const QString c = QStringLiteral("ro");
    QString error;
    QVERIFY(Database::create(path, c, &error));
    QVERIFY2(addGoal(c, QStringLiteral("Browse me"), &error), qPrintable(error));
    if (journal == QLatin1String("delete")) {
        QVERIFY(Sql::exec(c, QStringLiteral("PRAGMA journal_mode = DELETE"), &error));
    }
    Database::close(c);
    const QByteArray before = digest(path);
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
    QCOMPARE(digest(path), before);
    QCOMPARE(filesIn(folder), filesBefore);

    QVERIFY2(Database::open(path, c, &error), qPrintable(error));
    QVERIFY(!Database::isReadOnly(c));
    QVERIFY2(addGoal(c, QStringLiteral("Written again"), &error), qPrintable(error));
    Database::close(c);
}

void TestProjectAccess::readCommandsChangeNothing_data()
{
    QTest::addColumn<QStringList>("args"); // FILE and OUT stand for the project and an output file
    QTest::addColumn<QString>("journal");
    QTest::addColumn<bool>("readOnlyFolder");
    const QStringList tasklist{QStringLiteral("tasklist"), QStringLiteral("FILE")};
    // tasklist used to switch a DELETE-journal file to WAL.
    QTest::newRow("tasklist, DELETE journal") << tasklist << "delete" << false;
    QTest::newRow("tasklist, WAL") << tasklist << "wal" << false;
    QTest::newRow("chart, DELETE journal") << QStringList{QStringLiteral("chart"),
                                                          QStringLiteral("FILE"),
                                                          QStringLiteral("--measure"),
                                                          QStringLiteral("Planned"),
                                                          QStringLiteral("--aggregate"),
                                                          QStringLiteral("Sum"),
                                                          QStringLiteral("--period"),
                                                          QStringLiteral("Month"),
                                                          QStringLiteral("--root")}
                                           << "delete" << false;
    QTest::newRow("report, DELETE journal") << QStringList{QStringLiteral("report"),
                                                           QStringLiteral("FILE"),
                                                           QStringLiteral("--kind"),
                                                           QStringLiteral("tasks"),
                                                           QStringLiteral("--out"),
                                                           QStringLiteral("OUT")}
                                            << "delete" << false;
    // It used to fail as "damaged".
    QTest::newRow("tasklist, read-only folder, WAL") << tasklist << "wal" << true;
    QTest::newRow("tasklist, read-only folder, DELETE journal") << tasklist << "delete" << true;
}

// A command that only reads leaves every byte of the project folder as it was.
void TestProjectAccess::readCommandsChangeNothing()
{
    QFETCH(QStringList, args);
    QFETCH(QString, journal);
    QFETCH(bool, readOnlyFolder);
    QTemporaryDir outDir;
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("Release"));
    p.assign(p.task(g, QStringLiteral("Build"), 4), QStringLiteral("Ann"), 100, 50, 2);
    p.close();
    const CliRun snapshot =
        cli({QStringLiteral("snapshot"), p.path(), QStringLiteral("--now"), QStringLiteral("2026-03-02 09:00:00")});
    QCOMPARE(snapshot.exitCode, 0);
    if (journal == QLatin1String("delete")) {
        QString error;
        QVERIFY(Database::open(p.path(), QStringLiteral("j"), &error));
        QVERIFY(Sql::exec(QStringLiteral("j"), QStringLiteral("PRAGMA journal_mode = DELETE"), &error));
        Database::close(QStringLiteral("j"));
    }
    const QByteArray before = digest(p.path());
    const QStringList filesBefore = filesIn(p.dir());
    std::optional<WriteProtection> protection;
    if (readOnlyFolder) {
        protection.emplace(p.dir());
        if (!protection->holds()) {
            QSKIP("Cannot make the folder unwritable here (running as root without chattr +i support)");
        }
    }
    args.replaceInStrings(QStringLiteral("FILE"), p.path());
    args.replaceInStrings(QStringLiteral("OUT"), outDir.filePath(QStringLiteral("tasks.csv")));
    const CliRun run = cli(args);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    if (protection) {
        protection->lift();
    }
    QCOMPARE(digest(p.path()), before);
    QCOMPARE(filesIn(p.dir()), filesBefore);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(kHoldLock)) {
        QCoreApplication app(argc, argv);
        return holdLock(qEnvironmentVariable(kHoldLock));
    }
    QCoreApplication app(argc, argv);
    TestProjectAccess test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "TestProjectAccess.moc"
