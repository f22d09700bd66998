#include "common/ui/MessageBox.h"
#include "db/Sql.h"
#include "team/ui/TeamMemberWindow.h"
#include "tests/support/TempProject.h"
#include "tests/support/WidgetTest.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlDatabase>
#include <QtTest>

using namespace WidgetTest;

// The window opens its own connection while the project stays open on the
// TempProject's connection, as it does beside the main window.
class TestTeamMemberWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void showsFirstMemberAndClosesItsConnection();
    void addsSeenAcrossConnections();
    void othersChangesAppearOnTheServer();
    void keysMoveAndEscapeCloses();
    void engineErrorInWordsWithDetails();
    void statusBarFollowsTheWidth();
    void unreadableFileLeavesWindowEmpty();

private:
    static QLineEdit* field(QWidget* w, int index)
    {
        return child<QLineEdit>(w, QStringLiteral("txtFields_%1").arg(index));
    }
    static QString status(QWidget* w) { return child<QLabel>(w, "lblStatus")->text(); }
    static void click(QWidget* w, const QString& button)
    {
        QVERIFY2(child<QPushButton>(w, button)->isVisible() && child<QPushButton>(w, button)->isEnabled(),
                 qPrintable(button));
        QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
    }
    static void retype(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    static QStringList shownTexts()
    {
        QStringList texts;
        for (const MessageBox::Shown& box : MessageBox::takeShown()) {
            texts << box.text;
            if (box.icon != QMessageBox::NoIcon || box.title != "Cairnwork") {
                texts << "unexpected box style";
            }
        }
        return texts;
    }
    static bool deleted(const QPointer<TeamMemberWindow>& w)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return w.isNull();
    }
};

void TestTeamMemberWindow::init()
{
    MessageBox::setAutoAnswer(true);
    MessageBox::takeShown();
}

void TestTeamMemberWindow::cleanup()
{
    MessageBox::setAutoAnswer(false);
}

void TestTeamMemberWindow::showsFirstMemberAndClosesItsConnection()
{
    TempProject p;
    p.member("Zoe");
    p.member("adam", "07:30", "15:30");
    QWidget owner;
    QPointer<TeamMemberWindow> w = new TeamMemberWindow(p.path(), &owner);
    w->show();
    const QString connection = w->connectionName();
    QVERIFY(QSqlDatabase::contains(connection) && connection != p.connection());

    QCOMPARE(field(w, 0)->text() + field(w, 1)->text() + field(w, 14)->text(), QStringLiteral("adam07:3000:00"));
    QCOMPARE(status(w), QStringLiteral("Record: 1"));

    // A change typed while browsing goes with the close (a refused one keeps the
    // window open: the form test, and the main menu test through the main window).
    retype(field(w, 2), "16:30");
    click(w, "cmdClose");
    QVERIFY(deleted(w));
    QVERIFY(!QSqlDatabase::contains(connection));
    QCOMPARE(p.scalar("SELECT MON_END FROM RESOURCES WHERE R_NAME = 'adam'").toString(), QStringLiteral("16:30"));
}

void TestTeamMemberWindow::addsSeenAcrossConnections()
{
    TempProject p;
    p.member("Bob");
    p.member("Carol");
    TeamMemberWindow w(p.path());
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();

    click(&w, "cmdAdd");
    QTest::keyClicks(field(&w, 0), "O'Neil");
    QTest::keyClicks(field(&w, 10), "17:30");
    QTest::keyClicks(child<QPlainTextEdit>(&w, "txtFields_15"), "Part-time");
    // Friday's end without its begin: refused, naming the day and the field, which gets the focus.
    click(&w, "cmdUpdate");
    const QStringList refusal = shownTexts();
    QCOMPARE(refusal.size(), 1);
    QVERIFY2(refusal.first().contains("begin of Friday"), qPrintable(refusal.first()));
    QCOMPARE(w.focusWidget(), field(&w, 9));
    QTest::keyClicks(field(&w, 9), "09:00");
    click(&w, "cmdUpdate");
    QCOMPARE(shownTexts(), QStringList());
    QCOMPARE(p.scalar("SELECT FRI_END || FRI_BEG || R_DESCRIPTION FROM RESOURCES WHERE R_NAME = 'o''neil'").toString(),
             QStringLiteral("17:3009:00Part-time"));

    // The other connection adds a member meanwhile; Refresh shows it in name order.
    p.member("Al");
    click(&w, "cmdRefresh");
    QCOMPARE(field(&w, 0)->text(), QStringLiteral("Al"));
    QCOMPARE(status(&w), QStringLiteral("Record: 1"));
}

// A member another user adds or renames on the server appears without a click on Refresh,
// and the window stays on the member it shows.
void TestTeamMemberWindow::othersChangesAppearOnTheServer()
{
    if (!TempProject::onServer()) {
        QSKIP("Only a team server announces other users' changes.");
    }
    TempProject p;
    p.member("Bob");
    p.member("Dan");
    TeamMemberWindow w(p.path());
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    click(&w, "cmdLast");
    p.member("Al"); // through the project's own connection: another user to the window
    QTRY_COMPARE(status(&w), QStringLiteral("Record: 3"));
    QCOMPARE(field(&w, 0)->text(), QStringLiteral("Dan"));
    p.scalar("UPDATE RESOURCES SET R_NAME = 'Daniel' WHERE R_NAME = 'Dan' RETURNING 1");
    QTRY_COMPARE(field(&w, 0)->text(), QStringLiteral("Daniel"));
    QCOMPARE(shownTexts(), QStringList());
}

void TestTeamMemberWindow::keysMoveAndEscapeCloses()
{
    TempProject p;
    for (const char* name : {"Ann", "Ben", "Cid", "Dan"}) {
        p.member(name);
    }
    QPointer<TeamMemberWindow> w = new TeamMemberWindow(p.path());
    w->show();
    QLineEdit* name = field(w, 0);
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClick(name, Qt::Key_Down); // on the last: stays
    QCOMPARE(status(w), QStringLiteral("Record: 4"));
    QTest::keyClick(field(w, 5), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(name->text(), QStringLiteral("Ann"));
    // Keys on a button or in the notes count the same.
    QTest::keyClick(child<QPushButton>(w, "cmdRefresh"), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(name->text(), QStringLiteral("Dan"));
    QTest::keyClick(child<QPlainTextEdit>(w, "txtFields_15"), Qt::Key_Home);
    // A key the line field ignores reaches the window too, and must not move twice.
    QTest::keyClick(name, Qt::Key_Down);
    QCOMPARE(status(w), QStringLiteral("Record: 2"));
    QTest::keyClick(name, Qt::Key_Escape);
    QVERIFY(deleted(w));
}

// A rule another tool added to the file refuses the save: the box gives the
// cause in words and keeps the engine's number for its details.
void TestTeamMemberWindow::engineErrorInWordsWithDetails()
{
    CW_FILE_ONLY("a trigger in SQLite's language and SQLite's error number.");
    TempProject p;
    p.member("Ann");
    QString error;
    QVERIFY(Sql::exec(p.connection(),
                      "CREATE TRIGGER frozen BEFORE INSERT ON RESOURCES"
                      " BEGIN SELECT RAISE(ABORT, 'The team is frozen until Monday'); END",
                      &error));
    TeamMemberWindow w(p.path());
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    click(&w, "cmdAdd");
    QTest::keyClicks(field(&w, 0), "Ben");
    click(&w, "cmdUpdate");
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.at(0).text, QStringLiteral("The team is frozen until Monday."));
    QCOMPARE(shown.at(0).details, QStringLiteral("SQLite error 1811: The team is frozen until Monday"));
    QCOMPARE(p.scalar("SELECT COUNT(*) FROM RESOURCES").toInt(), 1);
    click(&w, "cmdCancel");
}

// The status bar and the status label take what the window gains in width.
void TestTeamMemberWindow::statusBarFollowsTheWidth()
{
    TempProject p;
    TeamMemberWindow w(p.path());
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    auto* label = child<QLabel>(&w, "lblStatus");
    const int before = label->width();
    w.resize(w.width() + 200, w.height());
    QVERIFY(qAbs(label->width() - (before + 200)) <= 1);
    QCOMPARE(child<QWidget>(&w, "picStatBox")->width(), w.width());
    QVERIFY(child<QWidget>(&w, "cmdLast")->x() > label->geometry().right());
}

void TestTeamMemberWindow::unreadableFileLeavesWindowEmpty()
{
    QTemporaryDir dir;
    QFile text(dir.filePath("notes.cwk"));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a project") > 0);
    text.close();
    TeamMemberWindow w(text.fileName());
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QVERIFY(shown.size() == 1 && shown.at(0).icon == QMessageBox::Critical && shown.at(0).title == "Error");
    QCOMPARE(status(&w), QStringLiteral("Record: 0"));
    click(&w, "cmdAdd");
    QTest::keyClicks(field(&w, 0), "Ann");
    click(&w, "cmdUpdate");
    QCOMPARE(shownTexts(), QStringList{"The project file is not open."});
    QCOMPARE(text.size(), qint64(13)); // the file is left alone
}

QTEST_MAIN(TestTeamMemberWindow)
#include "TestTeamMemberWindow.moc"
