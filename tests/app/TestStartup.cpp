#include "app/AppSettings.h"
#include "app/MainWindow.h"
#include "app/StartupOptions.h"
#include "app/StartupUi.h"
#include "browser/ui/GoalTree.h"
#include "db/Database.h"
#include "tests/support/TempProject.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {
// Answers the file dialogs from a script and records what was shown.
class ScriptedStartupUi : public StartupUi
{
public:
    QStringList answers; // one path (or empty for cancel) per dialog
    bool createAnswer = true;
    int dialogs = 0;
    QStringList errors;
    QStringList createQuestions;

    QString askDatabasePath(QWidget*) override
    {
        ++dialogs;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    bool confirmCreate(QWidget*, const QString& path) override
    {
        createQuestions << path;
        return createAnswer;
    }
    void showError(QWidget*, const QString& text) override { errors << text; }
};
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void dialogs_data();
    void dialogs();
    void commandLine_data();
    void commandLine();
    void plainArgumentOpensProject();

private:
    QTemporaryDir m_dir;
    QString m_settingsPath;
    QString m_project;
};

void TestStartup::init()
{
    m_settingsPath = m_dir.filePath(QStringLiteral("settings-%1.ini").arg(QDateTime::currentMSecsSinceEpoch()));
    QFile::remove(m_settingsPath);
    m_project = m_dir.filePath(QStringLiteral("project.cwk"));
    if (!QFile::exists(m_project)) {
        TempProject p;
        p.goal(QStringLiteral("Alpha"));
        p.goal(QStringLiteral("Beta"));
        p.close();
        QFile::copy(p.path(), m_project);
    }
}

void TestStartup::dialogs_data()
{
    // Files by name: "project" opens, "gone" and "never" do not exist, "notes.cwk" is
    // text; an empty answer cancels the dialog.
    QTest::addColumn<QString>("stored"); // the remembered project; empty: none
    QTest::addColumn<QStringList>("answers"); // one per file dialog
    QTest::addColumn<bool>("create"); // the answer to "create it?"
    QTest::addColumn<bool>("opened");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QString>("error"); // the file the one error box names; empty: none
    QTest::addColumn<QStringList>("asked"); // the files offered for creation
    QTest::addColumn<QString>("remembered");
    QTest::newRow("first start asks and remembers")
        << "" << QStringList{"project"} << true << true << 1 << "" << QStringList{} << "project";
    QTest::newRow("next start asks nothing")
        << "project" << QStringList{} << true << true << 0 << "" << QStringList{} << "project";
    // A stored file that has gone is reported and asked for again; never recreated.
    QTest::newRow("stored file gone") << "gone" << QStringList{"project"} << true << true << 1 << "gone"
                                      << QStringList{} << "project";
    QTest::newRow("both dialogs cancelled") << "" << QStringList{} << true << false << 2 << "" << QStringList{} << "";
    // Declining to create counts as a failed choice (agreeing: the working day's first start).
    QTest::newRow("new file declined") << "" << QStringList{"never", "project"} << false << true << 2 << ""
                                       << QStringList{"never"} << "project";
    // The file is left as it was: the opening test.
    QTest::newRow("foreign file") << "notes.cwk" << QStringList{""} << true << false << 1 << "notes.cwk"
                                  << QStringList{} << "";
}

void TestStartup::dialogs()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, answers);
    QFETCH(bool, create);
    QFETCH(bool, opened);
    QFETCH(int, dialogs);
    QFETCH(QString, error);
    QFETCH(QStringList, asked);
    QFETCH(QString, remembered);
    const auto path = [this](const QString& name) {
        if (name == QLatin1String("project")) {
            return m_project;
        }
        return name.isEmpty() ? QString() : m_dir.filePath(name);
    };
    {
        QFile text(path(QStringLiteral("notes.cwk")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a database");
    }
    AppSettings settings(m_settingsPath);
    if (!stored.isEmpty()) {
        settings.setDbPath(path(stored));
    }
    ScriptedStartupUi ui;
    for (const QString& answer : answers) {
        ui.answers << path(answer);
    }
    ui.createAnswer = create;
    MainWindow w(settings, ui);
    QCOMPARE(w.InitDatabase(), opened);
    QCOMPARE(ui.dialogs, dialogs);
    QCOMPARE(ui.errors.size(), error.isEmpty() ? 0 : 1);
    QVERIFY(error.isEmpty() || ui.errors.first().contains(error));
    QStringList questions;
    for (const QString& name : asked) {
        questions << path(name);
    }
    QCOMPARE(ui.createQuestions, questions);
    QVERIFY(!QFile::exists(path(QStringLiteral("gone"))) && !QFile::exists(path(QStringLiteral("never"))));
    QVERIFY(settings.contains(QStringLiteral("DBPath")));
    QCOMPARE(settings.dbPath(), path(remembered));
    if (!opened) {
        QCOMPARE(w.goalTree()->topLevelItemCount(), 0);
    }
}

void TestStartup::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("dbPath");
    QTest::addColumn<QString>("error"); // a part of the message; empty when accepted
    const auto row = [](const char* name, const QStringList& args, const char* dbPath, const char* error) {
        QTest::newRow(name) << args << dbPath << error;
    };
    row("plain argument", {"/home/a b/My plan.cwk"}, "/home/a b/My plan.cwk", "");
    row("after the options", {"--settings", "s.ini", "plan.cwk"}, "plan.cwk", "");
    row("name like an option", {"--", "-plan.cwk"}, "-plan.cwk", "");
    row("--db", {"--db", "plan.cwk"}, "plan.cwk", "");
    row("none", {}, "", "");
    row("both ways", {"--db", "a.cwk", "b.cwk"}, "", "not both");
    row("two files", {"a.cwk", "b.cwk"}, "", "one project at a time");
    row("--db twice", {"--db", "a.cwk", "--db", "b.cwk"}, "", "more than once");
    row("unknown option", {"--dbx", "a.cwk"}, "", "dbx");
}

void TestStartup::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(QString, dbPath);
    QFETCH(QString, error);
    StartupOptions options;
    QString message;
    QCOMPARE(options.parse(QStringList{QStringLiteral("cairnwork")} + args, message), error.isEmpty());
    QVERIFY2(message.contains(error), qPrintable(message));
    QCOMPARE(options.dbPath(), dbPath);
}

// What a file manager runs for a double-clicked project: the program opens that
// file, as --db does, and leaves the remembered project alone. The remembered one
// differs, so a picture of the window tells which project was opened.
void TestStartup::plainArgumentOpensProject()
{
    const QString folder = m_dir.filePath(QStringLiteral("with space"));
    QVERIFY(QDir().mkpath(folder));
    const QString plan = folder + QStringLiteral("/My plan.cwk");
    {
        TempProject p;
        p.goal(QStringLiteral("Gamma"));
        p.close();
        QVERIFY(QFile::copy(p.path(), plan));
    }
    {
        AppSettings settings(m_settingsPath);
        settings.setDbPath(m_project);
        settings.setValue(QStringLiteral("ViewStatusBar"), QStringLiteral("0")); // its clock differs between runs
    }
    auto run = [this](const QStringList& args, int* exitCode, QString* err) {
        QProcess p;
        p.start(QStringLiteral(CW_APP_PATH), QStringList{QStringLiteral("--settings"), m_settingsPath} + args);
        const bool finished = p.waitForFinished(120000); // a dialog asking for a file would wait forever
        if (!finished) {
            p.kill();
            p.waitForFinished();
        }
        *exitCode = finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        *err = QString::fromLocal8Bit(p.readAllStandardError());
    };
    int exitCode = -1;
    QString err;
    const QString byArgument = m_dir.filePath(QStringLiteral("argument.png"));
    const QString byOption = m_dir.filePath(QStringLiteral("option.png"));
    const QString remembered = m_dir.filePath(QStringLiteral("remembered.png"));
    run({QStringLiteral("--screenshot"), byArgument, plan}, &exitCode, &err);
    QVERIFY2(exitCode == 0, qPrintable(err));
    run({QStringLiteral("--screenshot"), byOption, QStringLiteral("--db"), plan}, &exitCode, &err);
    QVERIFY2(exitCode == 0, qPrintable(err));
    run({QStringLiteral("--screenshot"), remembered}, &exitCode, &err);
    QVERIFY2(exitCode == 0, qPrintable(err));
    const QImage argumentImage(byArgument);
    QVERIFY(!argumentImage.isNull());
    QCOMPARE(argumentImage, QImage(byOption));
    QVERIFY(argumentImage != QImage(remembered));
    QCOMPARE(AppSettings(m_settingsPath).dbPath(), m_project);

    // Two projects for one window: refused before any window opens.
    run({QStringLiteral("--db"), m_project, plan}, &exitCode, &err);
    QCOMPARE(exitCode, 2);
    QVERIFY2(err.contains(QStringLiteral("not both")), qPrintable(err));
}

QTEST_MAIN(TestStartup)
#include "TestStartup.moc"
