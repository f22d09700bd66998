#include "app/AboutBox.h"
#include "charts/ui/ChartWindow.h"
#include "charts/ui/GraphPropertiesDialog.h"
#include "common/ui/MessageBox.h"
#include "editing/ui/AssignmentPropertiesDialog.h"
#include "editing/ui/GoalPropertiesDialog.h"
#include "editing/ui/NotePropertiesDialog.h"
#include "editing/ui/TaskPropertiesDialog.h"
#include "team/ui/TeamMemberWindow.h"
#include "tests/support/AppTestSupport.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
// The caption a user reads on a button, label or frame.
QString textOf(QObject* object)
{
    if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(object)) {
        return label->text();
    }
    if (auto* frame = qobject_cast<QGroupBox*>(object)) {
        return frame->title();
    }
    return QStringLiteral("<no text>");
}
} // namespace

// The windows and dialogs, built directly, against the texts that carry a rule:
// captions spelt as users know them, access keys, texts filled in at run time,
// the order of menus, list headers, and the dialogs' keys.
class TestCaptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void controlText_data();
    void controlText();
    void menuBarInOrder();
    void listHeaders_data();
    void listHeaders();
    void propertyDialogKeys_data();
    void propertyDialogKeys();
    void aboutBoxEnter();

private:
    QWidget* window(const QString& name) const
    {
        QWidget* w = m_windows.value(name);
        if (!w) {
            qFatal("no window %s", qPrintable(name));
        }
        return w;
    }
    template <typename T>
    T* child(const QString& window, const QString& name) const
    {
        return WidgetTest::child<T>(this->window(window), name);
    }

    std::unique_ptr<TempProject> m_project;
    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    AppTest::NoDialogs m_startup;
    std::unique_ptr<MainWindow> m_main;
    QMap<QString, QPointer<QWidget>> m_windows;
};

void TestCaptions::initTestCase()
{
    m_project = std::make_unique<TempProject>();
    TempProject& p = *m_project;
    p.member(QStringLiteral("Alice"));
    const qint64 goal = p.goal(QStringLiteral("Release"));
    const qint64 task = p.task(goal, QStringLiteral("Write"), 4);
    p.assign(task, QStringLiteral("Alice"), 100, 25, 1);
    p.note(task, QStringLiteral("Started."));

    m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
    m_main = std::make_unique<MainWindow>(*m_settings, m_startup, p.path());
    QVERIFY(m_main->InitDatabase());
    m_main->show();
    m_windows.insert(QStringLiteral("frmMain"), m_main.get());

    auto* about = new AboutBox(m_main.get());
    m_windows.insert(about->objectName(), about);

    auto* goalDialog = new GoalPropertiesDialog(m_main.get());
    goalDialog->prepareAdd(p.connection(), goal);
    auto* taskDialog = new TaskPropertiesDialog(m_main.get());
    taskDialog->prepareAdd(p.connection(), goal);
    auto* assignmentDialog = new AssignmentPropertiesDialog(m_main.get());
    assignmentDialog->prepareAdd(p.connection(), task);
    auto* noteDialog = new NotePropertiesDialog(m_main.get());
    noteDialog->prepareAdd(p.connection(), task);
    for (QDialog* dialog : std::initializer_list<QDialog*>{goalDialog, taskDialog, assignmentDialog, noteDialog}) {
        m_windows.insert(dialog->objectName(), dialog);
    }

    auto* chart = new ChartWindow(p.connection());
    chart->show();
    m_windows.insert(chart->objectName(), chart);
    chart->showProperties();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<GraphPropertiesDialog*>(top); dialog && dialog->isVisible()) {
            m_windows.insert(dialog->objectName(), dialog);
        }
    }

    auto* team = new TeamMemberWindow(p.path());
    team->show();
    m_windows.insert(team->objectName(), team);
}

void TestCaptions::cleanupTestCase()
{
    for (const char* name : {"frmChart", "frmPropertiesGraph", "frmResources"}) {
        delete m_windows.value(QLatin1String(name)).data();
    }
    m_main.reset(); // owns the property dialogs
    m_project.reset();
    QCOMPARE(MessageBox::takeShown().size(), 0);
}

void TestCaptions::controlText_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* window, const char* control, const char* text) {
        QTest::addRow("%s/%s", window, control) << window << control << text;
    };
    // Spelt as the user has always read them, slips included.
    row("frmPropertiesGraph", "fAggregate", "Aggregation Funktion");
    // Access keys, and the status line filled from the open record.
    for (const char* button : {"Add", "Edit", "Delete", "Refresh", "Close", "Update", "Cancel"}) {
        const QByteArray name = QByteArray("cmd") + button;
        const QByteArray text = QByteArray("&") + button;
        row("frmResources", name.constData(), text.constData());
    }
    row("frmResources", "lblStatus", "Record: 1");
}

void TestCaptions::controlText()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);
    QCOMPARE(textOf(child<QObject>(window, control)), text);
}

void TestCaptions::menuBarInOrder()
{
    // The bar shows the five menus and nothing else (the context menu "Pop" stays off it).
    QStringList titles;
    for (QAction* action : m_main->menuBar()->actions()) {
        if (action->isVisible() && action->menu()) {
            titles << action->menu()->title();
        }
    }
    QCOMPARE(titles, (QStringList{"&File", "&Edit", "&View", "Tools", "Help"}));
    const auto items = [this](const char* menu) {
        QStringList texts;
        for (QAction* action : child<QMenu>(QStringLiteral("frmMain"), QLatin1String(menu))->actions()) {
            if (action->isVisible()) {
                texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
            }
        }
        return texts;
    };
    QCOMPARE(items("mnuFile"), QStringList{"&Close"});
    QCOMPARE(items("mnuEdit"), (QStringList{"Undo", "Redo", "-", "History..."}));
    QCOMPARE(items("mnuView"), (QStringList{"Resources", "Notes", "Toolbar", "Statusbar"}));
    QCOMPARE(items("mnuRpt"),
             (QStringList{"Reports", "Team Members", "Compare Snapshots...", "Forecast Trend", "Timeline"}));
    QCOMPARE(items("mnuHelp"), QStringList{"About..."});
}

void TestCaptions::listHeaders_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("headers");
    QTest::newRow("lvTask")
        << "lvTask"
        << QStringList{
               "", "Priority", "Days Planned", "% done", "Days Needed", "Estimated Days Needed", "Schedule +/-"};
    QTest::newRow("lvResource") << "lvResource"
                                << QStringList{"",
                                               "% Workload",
                                               "% done",
                                               "% Total Workload Done",
                                               "Days Needed",
                                               "Estimated Days Needed",
                                               "Schedule +/-"};
    QTest::newRow("lvNotes") << "lvNotes" << QStringList{"", "Timestamp"};
}

void TestCaptions::listHeaders()
{
    QFETCH(QString, list);
    QFETCH(QStringList, headers);
    QTreeWidgetItem* header = child<QTreeWidget>(QStringLiteral("frmMain"), list)->headerItem();
    QStringList texts;
    for (int i = 0; i < header->columnCount(); ++i) {
        texts << header->text(i);
    }
    QCOMPARE(texts, headers);
}

void TestCaptions::propertyDialogKeys_data()
{
    QTest::addColumn<QString>("window");
    for (const char* dialog : {"frmPropertiesGoal", "frmPropertiesTask", "frmPropertiesRes", "frmPropertiesNote"}) {
        QTest::newRow(dialog) << dialog;
    }
}

void TestCaptions::propertyDialogKeys()
{
    // OK is the default button, Escape cancels, and Tab walks the fields in
    // reading order, ending on OK and Cancel.
    QFETCH(QString, window);
    auto* dialog = qobject_cast<QDialog*>(this->window(window));
    QVERIFY(dialog);
    QVERIFY(child<QPushButton>(window, QStringLiteral("OK"))->isDefault());
    QVERIFY(!child<QPushButton>(window, QStringLiteral("Cancel"))->isDefault());

    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QWidget* first = dialog->nextInFocusChain();
    while (first != dialog && !(first->isVisible() && first->isEnabled() && (first->focusPolicy() & Qt::TabFocus))) {
        first = first->nextInFocusChain();
    }
    QVERIFY(first != dialog);
    first->setFocus();
    QList<QWidget*> visited;
    for (int i = 0; i < 20 && !visited.contains(QApplication::focusWidget()); ++i) {
        QWidget* focus = QApplication::focusWidget();
        visited << focus;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QStringList order;
    int lastTop = -1;
    for (QWidget* w : visited) {
        order << w->objectName();
        const int top = w->mapTo(dialog, QPoint(0, 0)).y();
        QVERIFY2(top >= lastTop - 2, qPrintable(QStringLiteral("%1 comes after a lower field").arg(w->objectName())));
        lastTop = top;
    }
    QVERIFY2(order.size() >= 3 && order.mid(order.size() - 2) == (QStringList{"OK", "Cancel"}),
             qPrintable(order.join(QLatin1Char(','))));

    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
}

// Its one button is the default as well as the cancel button (Escape: the Help menu test).
void TestCaptions::aboutBoxEnter()
{
    QWidget* about = window(QStringLiteral("frmAbout"));
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QTest::keyClick(about, Qt::Key_Return);
    QVERIFY(!about->isVisible());
}

QTEST_MAIN(TestCaptions)
#include "TestCaptions.moc"
