#include "app/AppSettings.h"
#include "app/MainWindow.h"
#include "app/StartupUi.h"
#include "browser/ui/GoalTree.h"
#include "db/Database.h"
#include "tests/support/TempProject.h"

#include <QCryptographicHash>
#include <QFile>
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

QByteArray digest(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstStartAsksAndRemembers();
    void storedPathOpensWithoutAsking();
    void missingStoredFileAsksAgain();
    void bothDialogsCancelled();
    void overrideLeavesSettingAlone();
    void newFileNameCreatesProject();
    void foreignFileRefused();

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

void TestStartup::firstStartAsksAndRemembers()
{
    AppSettings settings(m_settingsPath);
    ScriptedStartupUi ui;
    ui.answers = {m_project};
    {
        MainWindow w(settings, ui);
        QVERIFY(w.InitDatabase());
        QCOMPARE(ui.dialogs, 1);
        QTreeWidgetItem* root = w.goalTree()->topLevelItem(0);
        QCOMPARE(root->childCount(), 2);
        QCOMPARE(root->child(0)->text(0), QStringLiteral("Alpha"));
    }
    QCOMPARE(settings.dbPath(), m_project);
    // The next start opens it without a dialog.
    ScriptedStartupUi again;
    MainWindow w2(settings, again);
    QVERIFY(w2.InitDatabase());
    QCOMPARE(again.dialogs, 0);
}

void TestStartup::storedPathOpensWithoutAsking()
{
    AppSettings settings(m_settingsPath);
    settings.setDbPath(m_project);
    ScriptedStartupUi ui;
    MainWindow w(settings, ui);
    QVERIFY(w.InitDatabase());
    QCOMPARE(ui.dialogs, 0);
    QVERIFY(ui.errors.isEmpty());
}

// A stored file that has gone is reported and asked for again; it is never recreated.
void TestStartup::missingStoredFileAsksAgain()
{
    AppSettings settings(m_settingsPath);
    const QString gone = m_dir.filePath(QStringLiteral("gone.cwk"));
    settings.setDbPath(gone);
    ScriptedStartupUi ui;
    ui.answers = {m_project};
    MainWindow w(settings, ui);
    QVERIFY(w.InitDatabase());
    QCOMPARE(ui.dialogs, 1);
    QCOMPARE(ui.errors.size(), 1);
    QVERIFY(ui.errors.first().contains(QStringLiteral("gone.cwk")));
    QVERIFY(!QFile::exists(gone));
    QVERIFY(ui.createQuestions.isEmpty());
    QCOMPARE(settings.dbPath(), m_project);
}

void TestStartup::bothDialogsCancelled()
{
    AppSettings settings(m_settingsPath);
    ScriptedStartupUi ui;
    MainWindow w(settings, ui);
    QVERIFY(!w.InitDatabase());
    QCOMPARE(ui.dialogs, 2);
    QVERIFY(ui.errors.isEmpty());
    QCOMPARE(w.goalTree()->topLevelItemCount(), 0);
    QVERIFY(settings.contains(QStringLiteral("DBPath")));
    QCOMPARE(settings.dbPath(), QString());
}

void TestStartup::overrideLeavesSettingAlone()
{
    AppSettings settings(m_settingsPath);
    settings.setDbPath(QStringLiteral("/somewhere/else.cwk"));
    ScriptedStartupUi ui;
    MainWindow w(settings, ui, m_project);
    QVERIFY(w.InitDatabase());
    QCOMPARE(ui.dialogs, 0);
    QCOMPARE(settings.dbPath(), QStringLiteral("/somewhere/else.cwk"));
}

void TestStartup::newFileNameCreatesProject()
{
    AppSettings settings(m_settingsPath);
    const QString fresh = m_dir.filePath(QStringLiteral("fresh.cwk"));
    ScriptedStartupUi ui;
    ui.answers = {fresh};
    {
        MainWindow w(settings, ui);
        QVERIFY(w.InitDatabase());
        QCOMPARE(ui.createQuestions, QStringList{fresh});
        QCOMPARE(w.goalTree()->topLevelItem(0)->childCount(), 0);
    }
    QVERIFY(QFile::exists(fresh));
    // Declining the new file counts as a failed choice: the dialog comes once more.
    ScriptedStartupUi declining;
    declining.createAnswer = false;
    declining.answers = {m_dir.filePath(QStringLiteral("never.cwk")), m_project};
    settings.setDbPath(QString());
    MainWindow w2(settings, declining);
    QVERIFY(w2.InitDatabase());
    QCOMPARE(declining.dialogs, 2);
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("never.cwk"))));
}

void TestStartup::foreignFileRefused()
{
    AppSettings settings(m_settingsPath);
    const QString text = m_dir.filePath(QStringLiteral("notes.cwk"));
    {
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database");
    }
    const QByteArray before = digest(text);
    settings.setDbPath(text);
    ScriptedStartupUi ui;
    ui.answers = {QString()};
    MainWindow w(settings, ui);
    QVERIFY(!w.InitDatabase());
    QCOMPARE(ui.errors.size(), 1);
    QVERIFY(ui.errors.first().contains(QStringLiteral("notes.cwk")));
    QVERIFY(ui.errors.first().contains(QStringLiteral("not a Cairnwork database")));
    QCOMPARE(ui.dialogs, 1);
    QCOMPARE(digest(text), before);
}

QTEST_MAIN(TestStartup)
#include "TestStartup.moc"
