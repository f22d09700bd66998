#include "tests/reports/ReportFixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
struct Run
{
    int exitCode = -1;
    QString err;
    QByteArray out;
};

// The command-line program of the same build tree.
QString cliPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../../cli/cairnwork-cli");
}

Run cli(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(cliPath(), args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError()), p.readAllStandardOutput()};
}

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every entry of a folder, links not followed: name, kind, inode, link target and the
// hash of a regular file's bytes, so that a replaced, added or removed file shows.
// -wal and -shm files come and go with connections and are left out.
QByteArray fingerprint(const QString& dir)
{
    QByteArray all;
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& e : entries) {
        if (e.fileName().endsWith(QLatin1String("-wal")) || e.fileName().endsWith(QLatin1String("-shm"))) {
            continue;
        }
        struct stat st;
        if (::lstat(QFile::encodeName(e.filePath()).constData(), &st) != 0) {
            continue;
        }
        all += e.fileName().toUtf8() + ' ' + QByteArray::number(st.st_mode & S_IFMT) + ' ' +
            QByteArray::number(qulonglong(st.st_ino)) + ' ' + e.symLinkTarget().toUtf8() + ' ';
        if (S_ISREG(st.st_mode)) {
            all += QCryptographicHash::hash(read(e.filePath()), QCryptographicHash::Sha256).toHex();
        }
        all += '\n';
    }
    return all;
}

// Writes every row of snapshot `from` again under the stamp `to`, as another tool might.
void copySnapshot(const TempProject& p, const QString& from, const QString& to)
{
    QSqlQuery q(Sql::db(p.connection()));
    QStringList columns;
    QVERIFY(q.exec(
        QStringLiteral("SELECT name FROM pragma_table_info('CompDates') WHERE name NOT IN ('ID', 'TimeStamp')")));
    while (q.next()) {
        columns << q.value(0).toString();
    }
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO CompDates (TimeStamp, %1) SELECT ?, %1 FROM CompDates WHERE "
                                     "TimeStamp = ?")
                          .arg(columns.join(QLatin1Char(',')))));
    q.addBindValue(to);
    q.addBindValue(from);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
}
} // namespace

class TestReportCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void exportsNewestOrChosenSnapshot();
    void pdfWithoutDisplay();
    void refusesWhatItCannotDo_data();
    void refusesWhatItCannotDo();
    void neverReplacesWhatIsNotAnExport_data();
    void neverReplacesWhatIsNotAnExport();
    void updatesAnEarlierExportThroughItsLink();
    void chartNamesWhatIsMissing_data();
    void chartNamesWhatIsMissing();
    void unplaceableSnapshotChangesNothing_data();
    void unplaceableSnapshotChangesNothing();
    void chartOfThousandsOfNodes();
};

void TestReportCommand::initTestCase()
{
    if (!QFileInfo::exists(cliPath())) {
        QSKIP("cairnwork-cli is not built");
    }
}

void TestReportCommand::exportsNewestOrChosenSnapshot()
{
    TempProject p;
    ReportFixture::build(p);
    p.close();
    const QString csv = p.dir() + QStringLiteral("/members.csv");
    Run run = cli({QStringLiteral("report"), p.path(), "--kind", "members", "--out", csv});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    // The newest snapshot: Amy has two open tasks there.
    QCOMPARE(read(csv).count("\r\nAmy,"), 2);

    run = cli({"report", p.path(), "--kind", "members", "--stamp", ReportFixture::kOld, "--out", csv});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(read(csv),
             QByteArray("R_RES,CounterTask,T_NAME,T_PATH,R_STATUS,R_PW,R_COMP,R_DIFF\r\n"
                        "Amy,1,Build,\\Alpha,Open,100,5,0\r\n"));
}

void TestReportCommand::pdfWithoutDisplay()
{
    TempProject p;
    ReportFixture::build(p);
    p.close();
    const QString pdf = p.dir() + QStringLiteral("/overview.pdf");
    const Run run = cli({"report", p.path(), "--kind", "overview", "--out", pdf});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    const QString text = QString::fromLatin1(read(pdf));
    QVERIFY(text.startsWith(QStringLiteral("%PDF")));
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))), 1);
}

void TestReportCommand::refusesWhatItCannotDo_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("withSnapshots");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("no snapshot") << QStringList{"--kind", "tasks", "--out", "x.pdf"} << false << 1 << "no snapshot";
    QTest::newRow("unknown stamp") << QStringList{"--kind", "tasks", "--stamp", "2026-03-09 09:00:01", "--out", "x.csv"}
                                   << true << 1 << "no snapshot with the stamp \"2026-03-09 09:00:01\"";
    QTest::newRow("unknown kind") << QStringList{"--kind", "gantt", "--out", "x.csv"} << true << 2 << "--kind";
    QTest::newRow("no kind") << QStringList{"--out", "x.csv"} << true << 2 << "--kind";
    QTest::newRow("other format") << QStringList{"--kind", "tasks", "--out", "x.txt"} << true << 2 << "--out";
    QTest::newRow("no output") << QStringList{"--kind", "tasks"} << true << 2 << "--out";
}

void TestReportCommand::refusesWhatItCannotDo()
{
    QFETCH(QStringList, options);
    QFETCH(bool, withSnapshots);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    TempProject p;
    if (withSnapshots) {
        ReportFixture::build(p);
    }
    p.close();
    QStringList args{QStringLiteral("report"), p.path()};
    for (const QString& o : options) {
        args << (o.startsWith(QLatin1String("x.")) ? p.dir() + QLatin1Char('/') + o : o);
    }
    const Run run = cli(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(QDir(p.dir()).entryList({QStringLiteral("x.*")}).isEmpty());
}

void TestReportCommand::neverReplacesWhatIsNotAnExport_data()
{
    // The project file to report on, the output named, what to put there first
    // ("link:TARGET", "folder", "pipe", "socket" or nothing), and the cause the message gives.
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("cause");
    QTest::newRow("project named like the export") << "plan.pdf"
                                                   << "plan.pdf"
                                                   << ""
                                                   << "it is an open Cairnwork project";
    QTest::newRow("link to the project") << "project.cwk"
                                         << "link.csv"
                                         << "link:project.cwk"
                                         << "it is an open Cairnwork project";
    QTest::newRow("link to another database") << "project.cwk"
                                              << "other.pdf"
                                              << "link:other.cwk"
                                              << "it is a database (SQLite) file";
    QTest::newRow("link to the project's -wal") << "project.cwk"
                                                << "wal.csv"
                                                << "link:project.cwk-wal"
                                                << "it belongs to the open Cairnwork project";
    QTest::newRow("link to another database's journal") << "project.cwk"
                                                        << "journal.csv"
                                                        << "link:other.cwk-journal"
                                                        << "it belongs to the database";
    QTest::newRow("folder") << "project.cwk"
                            << "folder.csv"
                            << "folder"
                            << "it is a folder";
    QTest::newRow("named pipe") << "project.cwk"
                                << "pipe.pdf"
                                << "pipe"
                                << "it is a named pipe";
    // A socket stands for devices too: a test that let an export replace /dev/full
    // would, run as root, replace the machine's /dev/full.
    QTest::newRow("socket") << "project.cwk"
                            << "socket.csv"
                            << "socket"
                            << "it is a socket";
    QTest::newRow("link loop") << "project.cwk"
                               << "loop.csv"
                               << "link:loop.csv"
                               << "too many symbolic links";
}

// An export replaced whatever its path led to: the project, another database, a
// device or a pipe became a regular file and the command said it succeeded.
void TestReportCommand::neverReplacesWhatIsNotAnExport()
{
    QFETCH(QString, project);
    QFETCH(QString, out);
    QFETCH(QString, make);
    QFETCH(QString, cause);
    TempProject p;
    ReportFixture::build(p);
    p.close();
    const QDir dir(p.dir());
    QVERIFY(QFile::copy(p.path(), dir.filePath(QStringLiteral("other.cwk"))));
    if (project != QFileInfo(p.path()).fileName()) {
        QVERIFY(QFile::copy(p.path(), dir.filePath(project)));
    }
    const QString target = dir.filePath(out);
    if (make.startsWith(QLatin1String("link:"))) {
        const QString linked = make.mid(5);
        QVERIFY(QFile::link(linked.startsWith(QLatin1Char('/')) ? linked : dir.filePath(linked), target));
    } else if (make == QLatin1String("folder")) {
        QVERIFY(dir.mkdir(out));
    } else if (make == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0644), 0);
    } else if (make == QLatin1String("socket")) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(target);
        QVERIFY(size_t(name.size()) < sizeof(address.sun_path));
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);
    }
    const QByteArray before = fingerprint(p.dir());

    for (const char* kind : {"overview", "tasks"}) {
        const Run run = cli({"report", dir.filePath(project), "--kind", kind, "--out", target});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("\"%1\"").arg(target)) && run.err.contains(cause),
                 qPrintable(run.err));
        QCOMPARE(fingerprint(p.dir()), before);
    }
}

// A link to an earlier export stays a link; the file it leads to gets the new report.
void TestReportCommand::updatesAnEarlierExportThroughItsLink()
{
    TempProject p;
    ReportFixture::build(p);
    p.close();
    const QDir dir(p.dir());
    QVERIFY(dir.mkdir(QStringLiteral("exports")));
    QFile earlier(dir.filePath(QStringLiteral("exports/members.csv")));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier\r\n");
    earlier.close();
    const QString link = dir.filePath(QStringLiteral("members.csv"));
    QVERIFY(QFile::link(QStringLiteral("exports/members.csv"), link));
    const Run run = cli({"report", p.path(), "--kind", "members", "--out", link});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(read(earlier.fileName()).startsWith("R_RES,CounterTask,"));
    QCOMPARE(QDir(dir.filePath(QStringLiteral("exports"))).entryList(QDir::Files), QStringList{"members.csv"});
}

void TestReportCommand::chartNamesWhatIsMissing_data()
{
    QTest::addColumn<QStringList>("choice");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such goal") << QStringList{"--goal", "999999"} << 1 << "There is no goal with ID 999999";
    QTest::newRow("no such task") << QStringList{"--goal", "1", "--task", "77"} << 1 << "There is no task with ID 77";
    QTest::newRow("no such assignment") << QStringList{"--assignment", "12:Bob"} << 1
                                        << "There is no assignment of \"Bob\" to task 12";
    QTest::newRow("no such member") << QStringList{"--member", "Zoe"} << 1 << "There is no team member \"Zoe\"";
    // Gone from the project but kept in the snapshots, or new and in none yet.
    QTest::newRow("snapshot goal") << QStringList{"--goal", "1"} << 0 << "";
    QTest::newRow("snapshot assignment") << QStringList{"--assignment", "12:amy"} << 0 << "";
    QTest::newRow("live goal") << QStringList{"--goal", "LIVE"} << 0 << "";
    QTest::newRow("live member") << QStringList{"--member", "Lee"} << 0 << "";
}

// A chart of a goal, task, assignment or member that exists nowhere printed a bare
// header and exited 0.
void TestReportCommand::chartNamesWhatIsMissing()
{
    QFETCH(QStringList, choice);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    TempProject p;
    ReportFixture::build(p);
    p.member(QStringLiteral("Lee"));
    const qint64 live = p.goal(QStringLiteral("Live"));
    p.close();
    choice.replaceInStrings(QStringLiteral("LIVE"), QString::number(live));
    QProcess process;
    process.start(cliPath(), QStringList{"chart", p.path()} + choice);
    QVERIFY(process.waitForFinished(120000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2(err.contains(message), qPrintable(err));
    QCOMPARE(process.readAllStandardOutput().startsWith("Month"), exitCode == 0);
}

void TestReportCommand::unplaceableSnapshotChangesNothing_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("impossible date and time") << "9999-99-99 99:99:99";
    QTest::newRow("date without time") << "2026-03-10";
    QTest::newRow("leading space") << " 2026-03-10 09:00:00";
    QTest::newRow("30 February") << "2026-02-30 09:00:00";
}

// A copy of an old snapshot under a stamp that is no date and time (written by
// another tool) was reported as the newest snapshot and charted as a period with
// an empty label; it must change no report and no chart, and cannot be chosen.
void TestReportCommand::unplaceableSnapshotChangesNothing()
{
    QFETCH(QString, stamp);
    TempProject clean(QStringLiteral("clean"));
    TempProject dirty(QStringLiteral("dirty"));
    ReportFixture::build(clean);
    ReportFixture::build(dirty);
    copySnapshot(dirty, ReportFixture::kOld, stamp);
    clean.close();
    dirty.close();

    const QList<QStringList> commands{
        {"report", "--kind", "members", "--out", "OUT"},
        {"report", "--kind", "overview", "--out", "OUT"},
        {"chart", "--root", "--period", "Month"},
        {"chart", "--goal", "1", "--period", "Day", "--aggregate", "First"},
        {"chart", "--assignment", "12:amy", "--period", "Week", "--aggregate", "Sum"},
        {"chart", "--member", "Amy", "--measure", "PerComp", "--period", "Quarter", "--aggregate", "Avg"},
    };
    for (const QStringList& command : commands) {
        QList<QByteArray> outputs;
        for (TempProject* p : {&clean, &dirty}) {
            const QString csv = p->dir() + QStringLiteral("/out.csv");
            QStringList args{command.first(), p->path()};
            args += command.mid(1);
            args.replaceInStrings(QStringLiteral("OUT"), csv);
            const Run run = cli(args);
            QVERIFY2(run.exitCode == 0, qPrintable(command.join(' ') + ": " + run.err));
            outputs << (command.first() == QLatin1String("report") ? read(csv) : run.out);
        }
        QVERIFY(!outputs.at(1).contains("\n,"));
        QCOMPARE(outputs.at(1), outputs.at(0));
    }
    const Run run = cli({"report", dirty.path(), "--kind", "tasks", "--stamp", stamp, "--out", dirty.dir() + "/x.csv"});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("no snapshot with the stamp")), qPrintable(run.err));
}

// A chart of 1,500 tasks of a synthetic project: one OR-ed condition per node made
// SQLite refuse it ("Expression tree is too large").
void TestReportCommand::chartOfThousandsOfNodes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.cwk"));
    Run run = cli({"synth", path, "--goals", "100", "--tasks", "2000", "--members", "20", "--seed", "1"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    run = cli({"snapshot", path, "--now", "2026-03-02 09:00:00"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QStringList args{"chart", path, "--root"};
    for (int id = 1; id <= 1500; ++id) {
        args << "--task" << QString::number(id);
    }
    for (int id = 1; id <= 100; ++id) {
        args << "--goal" << QString::number(id);
    }
    run = cli(args);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith("Month,"));
    QVERIFY(lines.at(1).startsWith("3/2026,"));
    // One column per distinct name: far more than a thousand.
    QVERIFY2(lines.at(0).count(',') > 1000, lines.at(0).left(200).constData());
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "TestReportCommand.moc"
