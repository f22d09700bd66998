#include "db/Database.h"
#include "db/Sql.h"
#include "tests/support/CliRun.h"

#include <QProcess>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

namespace {
CliRun cli(const QStringList& args)
{
    return CliRun::run(args);
}

// Every row of `sql` on the project at `path`, its values joined by '|'.
QStringList rows(const QString& path, const QString& sql)
{
    QStringList out;
    {
        QString error;
        if (!Database::open(path, QStringLiteral("rows"), &error)) {
            qFatal("%s", qPrintable(error));
        }
        QSqlQuery q(Sql::db(QStringLiteral("rows")));
        q.exec(sql);
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i) {
                values << q.value(i).toString();
            }
            out << values.join(QLatin1Char('|'));
        }
    }
    Database::close(QStringLiteral("rows"));
    return out;
}

// The project's rows as text, to compare two files' contents.
QStringList contents(const QString& path)
{
    QStringList all;
    for (const char* table :
         {"RESOURCES", "GOALS_SW", "TASKS_OBJECTS", "TASK_OBJECT_RESOURCE", "TASK_OBJECT_WORKSHEET"}) {
        all << rows(path, QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(QLatin1String(table)));
    }
    return all;
}
} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exitStatuses();
    void synthIsDeterministic();
    void demoCoversEveryKindAndStatus();
    void programAnswersWithoutDisplay();
};

void TestCli::exitStatuses()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.cwk"));
    QCOMPARE(cli({QStringLiteral("--version")}).exitCode, 0);
    QCOMPARE(cli({QStringLiteral("frobnicate"), path}).exitCode, 2);
    QCOMPARE(cli({QStringLiteral("init")}).exitCode, 2);
    QCOMPARE(cli({QStringLiteral("synth"), path, QStringLiteral("--goals"), QStringLiteral("many")}).exitCode, 2);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(cli({QStringLiteral("init"), path}).exitCode, 0);
    QVERIFY(QFile::exists(path));
    // A second init must not touch the existing project.
    const CliRun again = cli({QStringLiteral("init"), path});
    QCOMPARE(again.exitCode, 1);
    QVERIFY(again.err.contains(QStringLiteral("already exists")));
}

void TestCli::synthIsDeterministic()
{
    QTemporaryDir dir;
    const QStringList opts = {QStringLiteral("--goals"),
                              QStringLiteral("60"),
                              QStringLiteral("--tasks"),
                              QStringLiteral("500"),
                              QStringLiteral("--members"),
                              QStringLiteral("7"),
                              QStringLiteral("--depth"),
                              QStringLiteral("3")};
    const QString a = dir.filePath(QStringLiteral("a.cwk"));
    const QString b = dir.filePath(QStringLiteral("b.cwk"));
    const QString c = dir.filePath(QStringLiteral("c.cwk"));
    QCOMPARE(cli(QStringList{QStringLiteral("synth"), a} + opts).exitCode, 0);
    QCOMPARE(cli(QStringList{QStringLiteral("synth"), b} + opts).exitCode, 0);
    QCOMPARE(
        cli(QStringList{QStringLiteral("synth"), c, QStringLiteral("--seed"), QStringLiteral("2")} + opts).exitCode, 0);
    QCOMPARE(contents(a), contents(b));
    QVERIFY(contents(a) != contents(c));
    // The counts asked for, and no goal deeper than --depth.
    QCOMPARE(rows(a,
                  "SELECT (SELECT COUNT(*) FROM GOALS_SW) || ' ' || (SELECT COUNT(*) FROM TASKS_OBJECTS) || ' ' ||"
                  " (SELECT COUNT(*) FROM RESOURCES) || ' ' ||"
                  " (WITH RECURSIVE d(id, depth) AS (SELECT ID, 1 FROM GOALS_SW WHERE P_GID IS NULL"
                  "  UNION ALL SELECT g.ID, d.depth + 1 FROM GOALS_SW g JOIN d ON g.P_GID = d.id)"
                  "  SELECT MAX(depth) <= 3 FROM d)"),
             QStringList{"60 500 7 1"});
}

// The sample project shows every kind and status a newcomer can meet.
void TestCli::demoCoversEveryKindAndStatus()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.cwk"));
    const CliRun run = cli({QStringLiteral("demo"), path});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    // Four statuses and two kinds of goal and task; five members, at least four of them
    // with hours of their own; three goal levels; notes.
    QCOMPARE(
        rows(path,
             "SELECT (SELECT COUNT(DISTINCT STATUS) || '/' || COUNT(DISTINCT OBJECT_TYPE) FROM GOALS_SW)"
             " || ' ' || (SELECT COUNT(DISTINCT STATUS) || '/' || COUNT(DISTINCT OBJECT_TYPE) FROM TASKS_OBJECTS)"
             " || ' ' || (SELECT COUNT(*) || ' ' || (COUNT(DISTINCT MON_BEG || MON_END || FRI_END || SAT_END) >= 4)"
             "  FROM RESOURCES)"
             " || ' ' || EXISTS (SELECT 1 FROM GOALS_SW WHERE P_GID IN"
             "  (SELECT ID FROM GOALS_SW WHERE P_GID IS NOT NULL))"
             " || ' ' || EXISTS (SELECT 1 FROM TASK_OBJECT_WORKSHEET)"),
        QStringList{"4/2 4/2 5 1 1 1"});
}

// --help and --version of the window program must not need a window system.
void TestCli::programAnswersWithoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    for (const QString& option : {QStringLiteral("--version"), QStringLiteral("--help")}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(CW_APP_PATH), {option});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(out.contains(option == QLatin1String("--help") ? QStringLiteral("--db") : QStringLiteral("1.1")),
                 qPrintable(out));
    }
}

QTEST_GUILESS_MAIN(TestCli)
#include "TestCli.moc"
