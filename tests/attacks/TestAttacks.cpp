// Attacks on a project file through the built command-line tool and the real
// windows: files another tool wrote, links, devices, locks, read-only places.
// Each case states its set-up, the command, the exit status, the cause the
// message must name and which files must stay byte for byte as they were.

#include "common/ui/MessageBox.h"
#include "db/Database.h"
#include "db/Sql.h"
#include "team/ui/TeamMemberWindow.h"
#include "tests/support/CliRun.h"
#include "tests/support/FileDigest.h"

#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// What must stay as it was after the command.
enum class Guard {
    None, // the check decides
    Project, // the project file, byte for byte, and no -wal/-shm left behind
    All, // every entry of the project's folder, byte for byte, and nothing added
    ProjectAndLog, // the project file and its -wal, byte for byte (readers mark the -shm)
};

// One folder for the project ({D}, the project {P} inside it) and one writable
// folder for outputs ({O}). Both are open to everyone so that a command can run
// as an unprivileged user when the tests run as root (root ignores permissions).
class Fixture
{
public:
    Fixture()
    {
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
        QDir(m_dir.path()).mkdir(QStringLiteral("d"));
        QDir(m_dir.path()).mkdir(QStringLiteral("o"));
        ::chmod(QFile::encodeName(folder()).constData(), 0777);
        ::chmod(QFile::encodeName(outputs()).constData(), 0777);
    }
    ~Fixture()
    {
        releaseHeld();
        // A read-only folder must become writable again for the clean-up.
        ::chmod(QFile::encodeName(folder()).constData(), 0777);
    }
    QString folder() const { return m_dir.filePath(QStringLiteral("d")); }
    QString outputs() const { return m_dir.filePath(QStringLiteral("o")); }
    QString at(const QString& name) const { return folder() + QLatin1Char('/') + name; }
    QString project() const { return at(m_projectName); }
    void setProjectName(const QString& name) { m_projectName = name; }
    QString expand(const QString& arg) const
    {
        QString s = arg;
        return s.replace(QStringLiteral("{P}"), project())
            .replace(QStringLiteral("{D}"), folder())
            .replace(QStringLiteral("{O}"), outputs());
    }
    void hold(const QString& connection) { m_held << connection; }
    void releaseHeld()
    {
        for (const QString& name : std::as_const(m_held)) {
            Database::close(name);
        }
        m_held.clear();
    }

private:
    QTemporaryDir m_dir;
    QString m_projectName = QStringLiteral("p.cwk");
    QStringList m_held;
};

// The command-line tool where an unprivileged user can run it (the build folder
// may sit below a home folder that user cannot enter).
QString loweredCli()
{
    static QTemporaryDir place;
    static const QString copy = [] {
        const QString target = place.filePath(QStringLiteral("cairnwork-cli"));
        if (!QFile::copy(CliRun::path(), target)) {
            qFatal("cannot copy the command-line tool");
        }
        ::chmod(QFile::encodeName(place.path()).constData(), 0755);
        ::chmod(QFile::encodeName(target).constData(), 0755);
        return target;
    }();
    return copy;
}

// Runs the command-line tool; `lowered` drops root's privileges first.
CliRun cli(const QStringList& args, bool lowered = false, const QString& home = QDir::tempPath())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    QStringList launcher;
    if (lowered && ::geteuid() == 0) {
        launcher = {QStringLiteral("setpriv"),
                    QStringLiteral("--reuid=65534"),
                    QStringLiteral("--regid=65534"),
                    QStringLiteral("--clear-groups"),
                    QStringLiteral("--"),
                    loweredCli()};
    }
    return CliRun::run(args, env, launcher, 60000);
}

void mustRun(const QStringList& args)
{
    const CliRun run = cli(args);
    QVERIFY2(run.exitCode == 0,
             qPrintable(QStringLiteral("set-up command %1 failed: %2").arg(args.join(QLatin1Char(' ')), run.err)));
}

// Writes as another tool would: a plain connection, no program rules, no checks.
void rawSql(const QString& path, const QStringList& statements)
{
    const QString name = QStringLiteral("raw");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            qFatal("raw open failed: %s", qPrintable(db.lastError().text()));
        }
        QSqlQuery q(db);
        for (const QString& sql : statements) {
            if (!q.exec(sql)) {
                QTest::qFail(
                    qPrintable(QStringLiteral("set-up statement failed: %1: %2").arg(sql, q.lastError().text())),
                    __FILE__,
                    __LINE__);
                break;
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
}

// Every entry of a folder: name -> kind and content hash (or link target).
QMap<QString, QByteArray> folderState(const QString& folder)
{
    QMap<QString, QByteArray> state;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QByteArray entry;
        if (info.isSymLink()) {
            entry = "link:" + info.symLinkTarget().toUtf8();
        } else if (info.isDir()) {
            entry = "dir";
        } else if (!info.isFile()) {
            entry = "special";
        } else {
            entry = "file:" + fileDigest(path).toHex();
        }
        state.insert(info.fileName(), entry);
    }
    return state;
}

// The project with a newer format (or a foreign application id) in its -wal only,
// as a newer version that crashed or still runs leaves it.
void changeOnlyInWal(const Fixture& f, const QString& pragma)
{
    const QString staging = f.at(QStringLiteral("staging.cwk"));
    mustRun({QStringLiteral("demo"), staging});
    const QString name = QStringLiteral("walwriter");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(staging);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode = WAL")));
        QVERIFY(q.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0")));
        QVERIFY(q.exec(pragma));
        // Copy the pair while the writer still has it open, so the change stays in the -wal.
        QVERIFY(QFile::copy(staging, f.project()));
        QVERIFY(QFile::copy(staging + QStringLiteral("-wal"), f.project() + QStringLiteral("-wal")));
    }
    QSqlDatabase::removeDatabase(name);
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        QFile::remove(staging + suffix);
    }
}

using Setup = std::function<void(Fixture&)>;
using Check = std::function<QString(Fixture&, const CliRun&)>; // empty when it holds

struct Attack
{
    QString name;
    Setup setup;
    QStringList args;
    int exitCode;
    QString cause; // a pattern stderr must match; empty: not checked
    Guard guard;
    Check check = {};
    bool lowered = false; // run without root's privileges, so permissions count
};

void demo(Fixture& f)
{
    mustRun({QStringLiteral("demo"), f.project()});
}

Setup demoThen(const QStringList& statements)
{
    return [statements](Fixture& f) {
        demo(f);
        rawSql(f.project(), statements);
    };
}

QList<Attack> attacks()
{
    QList<Attack> list;

    // Exports never land on a project, a database or anything but a regular file: the
    // project's name, the output, what is put there first (a link to a name, a folder,
    // a pipe or a socket) and the cause the message names. A socket stands for devices
    // too: an attack that let an export replace /dev/full would, run as root, replace
    // the machine's /dev/full.
    struct Target
    {
        const char* name;
        const char* project;
        const char* output;
        const char* make;
        const char* cause;
    };
    const Target targets[] = {
        {"the project itself", "plan.pdf", "plan.pdf", "", "it is an open Cairnwork project"},
        {"a link to the project", "p.cwk", "link.csv", "link:p.cwk", "it is an open Cairnwork project"},
        {"a link to another database", "p.cwk", "other.pdf", "link:other.cwk", "it is a database \\(SQLite\\) file"},
        // The link dangles until the command opens the project and its log appears.
        {"a link to the project's -wal",
         "p.cwk",
         "wal.csv",
         "link:p.cwk-wal",
         "it belongs to the open Cairnwork project"},
        {"a link to another database's journal",
         "p.cwk",
         "journal.csv",
         "link:other.cwk-journal",
         "it belongs to the database"},
        {"a folder", "p.cwk", "folder.pdf", "folder", "it is a folder"},
        {"a named pipe", "p.cwk", "pipe.csv", "pipe", "it is a named pipe"},
        {"a socket", "p.cwk", "socket.csv", "socket", "it is a socket"},
        {"a link loop", "p.cwk", "loop.csv", "link:loop.csv", "too many symbolic links"},
    };
    for (const Target& t : targets) {
        const QString output = QString::fromLatin1(t.output);
        list << Attack{QStringLiteral("export onto %1").arg(QLatin1String(t.name)),
                       [t, output](Fixture& f) {
                           f.setProjectName(QString::fromLatin1(t.project));
                           demo(f);
                           mustRun({QStringLiteral("init"), f.at(QStringLiteral("other.cwk"))});
                           const QString make = QString::fromLatin1(t.make);
                           const QString target = f.at(output);
                           if (make.startsWith(QLatin1String("link:"))) {
                               QVERIFY(QFile::link(f.at(make.mid(5)), target));
                           } else if (make == QLatin1String("folder")) {
                               QVERIFY(QDir(f.folder()).mkdir(output));
                           } else if (make == QLatin1String("pipe")) {
                               QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0666), 0);
                           } else if (make == QLatin1String("socket")) {
                               sockaddr_un address{};
                               address.sun_family = AF_UNIX;
                               const QByteArray name = QFile::encodeName(target);
                               QVERIFY(size_t(name.size()) < sizeof(address.sun_path));
                               memcpy(address.sun_path, name.constData(), size_t(name.size()));
                               const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                               QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
                               ::close(fd);
                           }
                       },
                       {"report", "{P}", "--kind", "overview", "--out", QStringLiteral("{D}/") + output},
                       1,
                       QRegularExpression::escape(QStringLiteral("/") + output + QStringLiteral("\"")) +
                           QStringLiteral(".*") + QString::fromLatin1(t.cause),
                       Guard::All};
    }
    list << Attack{QStringLiteral("export through a link to an earlier export updates it"),
                   [](Fixture& f) {
                       demo(f);
                       QFile earlier(f.at(QStringLiteral("earlier.csv")));
                       QVERIFY(earlier.open(QIODevice::WriteOnly));
                       earlier.write("old\n");
                       earlier.close();
                       QFile::link(earlier.fileName(), f.at(QStringLiteral("latest.csv")));
                   },
                   {"report", "{P}", "--kind", "tasks", "--out", "{D}/latest.csv"},
                   0,
                   QString(),
                   Guard::Project,
                   [](Fixture& f, const CliRun&) {
                       const QFileInfo link(f.at(QStringLiteral("latest.csv")));
                       if (!link.isSymLink()) {
                           return QStringLiteral("the link was replaced");
                       }
                       const QByteArray text = fileBytes(f.at(QStringLiteral("earlier.csv")));
                       return text.startsWith("old") || text.isEmpty()
                           ? QStringLiteral("the linked file was not updated")
                           : QString();
                   }};

    // Charts name what exists nowhere instead of printing an empty table.
    for (const auto& [option, value] : {std::pair{QStringLiteral("--goal"), QStringLiteral("999999")},
                                        std::pair{QStringLiteral("--task"), QStringLiteral("999999")},
                                        std::pair{QStringLiteral("--member"), QStringLiteral("Nobody Known")},
                                        std::pair{QStringLiteral("--assignment"), QStringLiteral("999999:Nobody")}}) {
        list << Attack{QStringLiteral("chart of a %1 that exists nowhere").arg(option.mid(2)),
                       demo,
                       {QStringLiteral("chart"), QStringLiteral("{P}"), option, value},
                       1,
                       QRegularExpression::escape(value.section(QLatin1Char(':'), 0, 0)),
                       Guard::All};
    }

    // Formula-like names, impossible figures, deep trees and damaged or foreign files are
    // TestReportRows', TestHostileFigures', TestTreeWalks' and TestOpening's part: the
    // commands print what those build and open files as they do.

    // Files the program must judge through its connection and refuse with the real cause.
    // (TestProjectAccess refuses the same on a live connection; here the writer crashed.)
    for (const auto& [change, cause] :
         {std::pair{QStringLiteral("PRAGMA user_version = 99"), QStringLiteral("newer")},
          std::pair{QStringLiteral("PRAGMA application_id = 42"), QStringLiteral("not a Cairnwork")}}) {
        const QString pragma = change;
        list << Attack{QStringLiteral("task list after \"%1\" only in the write-ahead log").arg(pragma),
                       [pragma](Fixture& f) { changeOnlyInWal(f, pragma); },
                       {QStringLiteral("tasklist"), QStringLiteral("{P}")},
                       1,
                       QStringLiteral("(?i)") + cause,
                       Guard::All};
    }
    // What a crashed program left in its -wal is read, and left for the next writer.
    for (const QString& command : {QStringLiteral("tasklist"), QStringLiteral("chart")}) {
        list << Attack{QStringLiteral("%1 of a project a crashed program left with its -wal").arg(command),
                       [](Fixture& f) {
                           changeOnlyInWal(f,
                                           QStringLiteral("INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY,"
                                                          " STATUS, CREATED) VALUES (424242, 'Goal', 'Only in the log',"
                                                          " 50, 'Open', '2026-01-01 00:00:00')"));
                       },
                       {command, QStringLiteral("{P}"), QStringLiteral("--goal"), QStringLiteral("424242")},
                       0,
                       QString(),
                       Guard::ProjectAndLog};
    }
    list << Attack{QStringLiteral("a new project onto a named pipe"),
                   [](Fixture& f) { QCOMPARE(::mkfifo(QFile::encodeName(f.project()).constData(), 0666), 0); },
                   {QStringLiteral("init"), QStringLiteral("{P}")},
                   1,
                   QStringLiteral("is not a file"),
                   Guard::All};
    list << Attack{QStringLiteral("a file another program holds exclusively"),
                   [](Fixture& f) {
                       demo(f);
                       QString error;
                       QVERIFY2(Database::open(f.project(), QStringLiteral("holder"), &error), qPrintable(error));
                       f.hold(QStringLiteral("holder"));
                       QSqlQuery q(Sql::db(QStringLiteral("holder")));
                       QVERIFY(q.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE")));
                       QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
                       QVERIFY(q.exec(QStringLiteral("UPDATE GOALS_SW SET DESCRIPTION = 'held'")));
                   },
                   {QStringLiteral("tasklist"), QStringLiteral("{P}")},
                   1,
                   QStringLiteral("(?i)in use"),
                   Guard::None};

    // Read-only places: reads work and change nothing, writes are refused saying why.
    const auto readOnly = [](bool folder, bool rollbackJournal) -> Setup {
        return [folder, rollbackJournal](Fixture& f) {
            demo(f);
            if (rollbackJournal) {
                rawSql(f.project(), {QStringLiteral("PRAGMA journal_mode = DELETE")});
            }
            const QString place = folder ? f.folder() : f.project();
            QVERIFY(::chmod(QFile::encodeName(place).constData(), folder ? 0555 : 0444) == 0);
        };
    };
    for (const auto& [place, setup] : {std::pair{QStringLiteral("file"), readOnly(false, false)},
                                       std::pair{QStringLiteral("folder"), readOnly(true, false)},
                                       std::pair{QStringLiteral("folder, rollback journal"), readOnly(true, true)}}) {
        for (const QStringList& args : {QStringList{"tasklist", "{P}"},
                                        QStringList{"report", "{P}", "--kind", "overview", "--out", "{O}/r.pdf"},
                                        QStringList{"snapshot", "{P}"}}) {
            const bool writes = args.first() == QLatin1String("snapshot");
            list << Attack{QStringLiteral("%1 of a read-only %2").arg(args.first(), place),
                           setup,
                           args,
                           writes ? 1 : 0,
                           writes ? QStringLiteral("(?i)read-only") : QString(),
                           Guard::All,
                           {},
                           true};
        }
    }
    // Reading used to switch such a file to a write-ahead log.
    for (const QStringList& args : {QStringList{"tasklist", "{P}"},
                                    QStringList{"chart", "{P}", "--root"},
                                    QStringList{"report", "{P}", "--kind", "tasks", "--out", "{O}/r.csv"}}) {
        list << Attack{QStringLiteral("%1 of a file in rollback-journal mode").arg(args.first()),
                       demoThen({QStringLiteral("PRAGMA journal_mode = DELETE")}),
                       args,
                       0,
                       QString(),
                       Guard::All};
    }
    return list;
}

} // namespace

class TestAttacks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandLine_data();
    void commandLine();
    void teamWindowKeepsTheLocks();
};

void TestAttacks::commandLine_data()
{
    QTest::addColumn<int>("index");
    const QList<Attack> all = attacks();
    for (int i = 0; i < all.size(); ++i) {
        QTest::newRow(qPrintable(all.at(i).name)) << i;
    }
}

void TestAttacks::commandLine()
{
    QFETCH(int, index);
    const Attack attack = attacks().at(index);
    Fixture f;
    attack.setup(f);
    if (QTest::currentTestFailed()) {
        return;
    }
    const QMap<QString, QByteArray> before =
        attack.guard == Guard::All ? folderState(f.folder()) : QMap<QString, QByteArray>();
    // Never read the files while a connection of this process holds them: closing
    // the descriptor would drop its locks.
    const bool hashed = attack.guard == Guard::Project || attack.guard == Guard::ProjectAndLog;
    const QByteArray projectBefore = hashed ? fileDigest(f.project()) : QByteArray();
    const QByteArray logBefore = hashed ? fileDigest(f.project() + QStringLiteral("-wal")) : QByteArray();

    QStringList args;
    for (const QString& arg : attack.args) {
        args << f.expand(arg);
    }
    const CliRun run = cli(args, attack.lowered, f.outputs());
    f.releaseHeld();

    QVERIFY2(run.finished, "the command hung");
    QVERIFY2(
        run.exitCode == attack.exitCode,
        qPrintable(
            QStringLiteral("exit %1, expected %2; stderr: %3").arg(run.exitCode).arg(attack.exitCode).arg(run.err)));
    if (!attack.cause.isEmpty()) {
        QVERIFY2(QRegularExpression(attack.cause).match(run.err).hasMatch(),
                 qPrintable(QStringLiteral("the message does not name the cause: ") + run.err));
    }
    QVERIFY2(!run.err.contains(QStringLiteral("damaged")) || attack.cause.contains(QStringLiteral("damaged")),
             qPrintable(run.err));
    if (attack.guard == Guard::All) {
        const QMap<QString, QByteArray> after = folderState(f.folder());
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key() + QStringLiteral(" changed")));
        }
        for (const QString& name : after.keys()) {
            QVERIFY2(before.contains(name), qPrintable(name + QStringLiteral(" was left behind")));
        }
    } else if (attack.guard == Guard::ProjectAndLog) {
        QVERIFY2(fileDigest(f.project()) == projectBefore, "the project changed");
        QVERIFY2(fileDigest(f.project() + QStringLiteral("-wal")) == logBefore, "the -wal changed");
    } else if (attack.guard == Guard::Project) {
        QVERIFY2(fileDigest(f.project()) == projectBefore, "the project changed");
        QVERIFY(!QFile::exists(f.project() + QStringLiteral("-wal")));
        QVERIFY(!QFile::exists(f.project() + QStringLiteral("-shm")));
    }
    if (attack.check) {
        const QString failure = attack.check(f, run);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
}

// A member saved in the team window while another program opens and closes the
// project must still be in the file: the window's connection may not drop the
// process's locks, or that program deletes the -wal the window writes into.
void TestAttacks::teamWindowKeepsTheLocks()
{
    MessageBox::setAutoAnswer(true);
    Fixture f;
    demo(f);
    QString error;
    QVERIFY2(Database::open(f.project(), QStringLiteral("main"), &error), qPrintable(error));
    f.hold(QStringLiteral("main"));
    {
        TeamMemberWindow window(f.project());
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
        const CliRun other = cli({QStringLiteral("tasklist"), f.project()});
        QCOMPARE(other.exitCode, 0);
        QVERIFY2(QFile::exists(f.project() + QStringLiteral("-wal")), "another program deleted the -wal");

        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdAdd")), Qt::LeftButton);
        QTest::keyClicks(window.findChild<QLineEdit*>(QStringLiteral("txtFields_0")), QStringLiteral("Night Owl"));
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdUpdate")), Qt::LeftButton);
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }
    f.releaseHeld();
    // Nothing of this process holds the file now; a fresh look must find the member.
    QVERIFY2(Database::open(f.project(), QStringLiteral("fresh"), &error), qPrintable(error));
    QSqlQuery q(Sql::db(QStringLiteral("fresh")));
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM RESOURCES WHERE R_NAME = 'Night Owl'")) && q.next());
    const int found = q.value(0).toInt();
    q.finish();
    Database::close(QStringLiteral("fresh"));
    QCOMPARE(found, 1);
    MessageBox::setAutoAnswer(false);
}

QTEST_MAIN(TestAttacks)
#include "TestAttacks.moc"
