#include "app/AboutBox.h"
#include "app/AppSettings.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "app/StartupUi.h"
#include "common/ui/MessageBox.h"
#include "editing/ui/AssignmentPropertiesDialog.h"
#include "editing/ui/GoalPropertiesDialog.h"
#include "editing/ui/NotePropertiesDialog.h"
#include "editing/ui/TaskPropertiesDialog.h"
#include "reports/ui/ChartWindow.h"
#include "reports/ui/GraphPropertiesDialog.h"
#include "reports/ui/ReportsWindow.h"
#include "team/ui/TeamMemberWindow.h"
#include "tests/support/TempProject.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>

namespace {
class NoDialogs : public StartupUi
{
public:
    QString askDatabasePath(QWidget*) override { return {}; }
    bool confirmCreate(QWidget*, const QString&) override { return false; }
    void showError(QWidget*, const QString& text) override { qWarning("%s", qPrintable(text)); }
};

// The text a user reads on a control: a window's title, a menu's title, an
// item's, button's, label's or frame's caption.
QString textOf(QObject* object)
{
    if (auto* action = qobject_cast<QAction*>(object)) {
        return action->text();
    }
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        return menu->title();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(object)) {
        return label->text();
    }
    if (auto* frame = qobject_cast<QGroupBox*>(object)) {
        return frame->title();
    }
    if (auto* widget = qobject_cast<QWidget*>(object); widget && widget->isWindow()) {
        return widget->windowTitle();
    }
    return QStringLiteral("<no text>");
}

// The visible label texts of a window from top to bottom, left to right.
QStringList labelsInReadingOrder(QWidget* window)
{
    QList<QLabel*> labels;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->isVisible() && !label->text().isEmpty()) {
            labels << label;
        }
    }
    std::sort(labels.begin(), labels.end(), [window](QLabel* a, QLabel* b) {
        const QPoint pa = a->mapTo(window, QPoint(0, a->height() / 2));
        const QPoint pb = b->mapTo(window, QPoint(0, b->height() / 2));
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    QStringList texts;
    for (QLabel* label : labels) {
        texts << label->text();
    }
    return texts;
}

const QStringList kPriorities = {"10", "20", "30", "40", "50", "60", "70", "80", "90", "99"};
const QStringList kStatuses = {"Open", "Completed", "On Hold", "Closed"};
} // namespace

// Every window and dialog, built directly, against the captions and control
// texts the user is meant to read, typos included ("Aggregation Funktion").
class TestCaptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void controlText_data();
    void controlText();
    void menuBarInOrder();
    void statusBarAndTreeRoots();
    void listHeaders_data();
    void listHeaders();
    void dialogLabels_data();
    void dialogLabels();
    void dropDownItems_data();
    void dropDownItems();
    void propertyDialogKeys_data();
    void propertyDialogKeys();
    void aboutBoxKeys_data();
    void aboutBoxKeys();

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
        T* found = this->window(window)->findChild<T*>(name);
        if (!found) {
            qFatal("no %s in %s", qPrintable(name), qPrintable(window));
        }
        return found;
    }

    std::unique_ptr<TempProject> m_project;
    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    NoDialogs m_startup;
    std::unique_ptr<MainWindow> m_main;
    QMap<QString, QPointer<QWidget>> m_windows;
    qint64 m_task = 0;
};

void TestCaptions::initTestCase()
{
    m_project = std::make_unique<TempProject>();
    TempProject& p = *m_project;
    p.member(QStringLiteral("Alice"));
    const qint64 goal = p.goal(QStringLiteral("Release"));
    m_task = p.task(goal, QStringLiteral("Write"), 4);
    p.assign(m_task, QStringLiteral("Alice"), 100, 25, 1);
    p.note(m_task, QStringLiteral("Started."));

    m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
    m_main = std::make_unique<MainWindow>(*m_settings, m_startup, p.path());
    QVERIFY(m_main->InitDatabase());
    m_main->show();
    m_windows.insert(QStringLiteral("frmMain"), m_main.get());

    auto* about = new AboutBox(m_main.get());
    m_windows.insert(about->objectName(), about);

    auto* splash = new SplashWindow;
    splash->show();
    m_windows.insert(QStringLiteral("frmSplash"), splash);

    auto* goalDialog = new GoalPropertiesDialog(m_main.get());
    goalDialog->prepareAdd(p.connection(), goal);
    auto* taskDialog = new TaskPropertiesDialog(m_main.get());
    taskDialog->prepareAdd(p.connection(), goal);
    auto* assignmentDialog = new AssignmentPropertiesDialog(m_main.get());
    assignmentDialog->prepareAdd(p.connection(), m_task);
    auto* noteDialog = new NotePropertiesDialog(m_main.get());
    noteDialog->prepareAdd(p.connection(), m_task);
    for (QDialog* dialog : std::initializer_list<QDialog*>{goalDialog, taskDialog, assignmentDialog, noteDialog}) {
        m_windows.insert(dialog->objectName(), dialog);
    }

    auto* reports = new ReportsWindow(p.connection());
    reports->show();
    m_windows.insert(reports->objectName(), reports);

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

    const QStringList expected = {"frmMain",
                                  "frmAbout",
                                  "frmSplash",
                                  "frmPropertiesGoal",
                                  "frmPropertiesTask",
                                  "frmPropertiesRes",
                                  "frmPropertiesNote",
                                  "frmReports",
                                  "frmChart",
                                  "frmPropertiesGraph",
                                  "frmResources"};
    for (const QString& name : expected) {
        QVERIFY2(m_windows.value(name), qPrintable(name));
    }
}

void TestCaptions::cleanupTestCase()
{
    for (const char* name : {"frmChart", "frmPropertiesGraph", "frmResources", "frmReports", "frmSplash"}) {
        delete m_windows.value(QLatin1String(name)).data();
    }
    m_main.reset(); // owns the property dialogs
    m_project.reset();
    QCOMPARE(MessageBox::takeShown().size(), 0);
}

void TestCaptions::controlText_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control"); // empty: the window's own title
    QTest::addColumn<QString>("text");
    const auto row = [](const char* window, const char* control, const char* text) {
        QTest::addRow("%s/%s", window, *control ? control : "title") << window << control << text;
    };
    row("frmMain", "", "Cairnwork");
    // The menu bar's menus and items: menuBarInOrder.
    row("frmMain", "mnuPop", "Pop");
    row("frmMain", "mnuPopAddGoal", "Add Goal / Application");
    row("frmMain", "mnuPopAddTask", "Add Task / Software Object");
    row("frmMain", "mnuPopAddRes", "Add Resource");
    row("frmMain", "mnuPopAddNote", "Add Note");
    for (const char* kind : {"Goal", "Task", "Res", "Note"}) {
        const QByteArray deleteItem = QByteArray("mnuPopDelete") + kind;
        const QByteArray propertiesItem = QByteArray("mnuPopProperties") + kind;
        row("frmMain", deleteItem.constData(), "Delete");
        row("frmMain", propertiesItem.constData(), "Properties");
    }

    row("frmAbout", "", "About Cairnwork");
    row("frmAbout", "Label2", "Cairnwork");
    row("frmAbout", "lblVe", "Version 1.1");
    row("frmAbout", "Label1", "April 2002");
    row("frmAbout", "cmdOK", "OK");

    row("frmSplash", "lblProductName", "Cairnwork");
    row("frmSplash", "lblVersionxx", "Version 1.1");

    for (const char* dialog : {"frmPropertiesGoal", "frmPropertiesTask", "frmPropertiesRes", "frmPropertiesNote"}) {
        row(dialog, "", "Properties");
        row(dialog, "OK", "OK");
        row(dialog, "Cancel", "Cancel");
    }

    row("frmReports", "", "Reports");
    row("frmReports", "Label1", "Data Timestamp");
    row("frmReports", "bGenerateData", "Generate Report Data");
    row("frmReports", "bShowReport", "Overview...");
    row("frmReports", "bShowTeamMemSched", "Team Member Schedules...");
    row("frmReports", "bShowTaskSched", "Task Schedules...");

    row("frmChart", "", "Progress Analysis");
    row("frmChart", "mnuPopProperties", "Properties...");

    row("frmPropertiesGraph", "", "Properties");
    row("frmPropertiesGraph", "fIndicator", "Progress Indicator");
    row("frmPropertiesGraph", "oPlanned", "Days Planned");
    row("frmPropertiesGraph", "oEstimate", "New Estimate (Days)");
    row("frmPropertiesGraph", "oPerComp", "% Completed");
    row("frmPropertiesGraph", "oDays", "Days Worked");
    row("frmPropertiesGraph", "oDiff", "Days Ahead/Behind Plan");
    row("frmPropertiesGraph", "oCompDate", "Completion date");
    row("frmPropertiesGraph", "oProgress", "Progress = (#Plan-#Est)/#Plan");
    row("frmPropertiesGraph", "fAggregate", "Aggregation Funktion");
    row("frmPropertiesGraph", "oAvg", "Average");
    row("frmPropertiesGraph", "oFirst", "First");
    row("frmPropertiesGraph", "oLast", "Last");
    row("frmPropertiesGraph", "oSum", "Sum");
    row("frmPropertiesGraph", "fGroup", "Grouping");
    row("frmPropertiesGraph", "oYear", "Year");
    row("frmPropertiesGraph", "oQuarter", "Quarter");
    row("frmPropertiesGraph", "oMonth", "Month");
    row("frmPropertiesGraph", "oWeek", "Week");
    row("frmPropertiesGraph", "oDay", "Day");
    row("frmPropertiesGraph", "treeFrame", "Tree");
    row("frmPropertiesGraph", "otvGoal", "Goals/Applications");
    row("frmPropertiesGraph", "otvTeam", "Team Members");
    row("frmPropertiesGraph", "cmdOK", "OK");
    row("frmPropertiesGraph", "cmdCancel", "Cancel");
    row("frmPropertiesGraph", "cmdApply", "Apply");

    row("frmResources", "", "Team Members");
    const char* days[] = {
        "Name:", "Monday:", "Tuesday:", "Wednesday:", "Thursday:", "Friday:", "Saturday:", "Sunday:", "Notes:"};
    for (int i = 0; i < 9; ++i) {
        const QByteArray name = "lblLabels_" + QByteArray::number(i);
        row("frmResources", name.constData(), days[i]);
    }
    row("frmResources", "cmdAdd", "&Add");
    row("frmResources", "cmdEdit", "&Edit");
    row("frmResources", "cmdDelete", "&Delete");
    row("frmResources", "cmdRefresh", "&Refresh");
    row("frmResources", "cmdClose", "&Close");
    row("frmResources", "cmdUpdate", "&Update");
    row("frmResources", "cmdCancel", "&Cancel");
    row("frmResources", "lblStatus", "Record: 1");
}

void TestCaptions::controlText()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);
    QObject* object = this->window(window);
    if (!control.isEmpty()) {
        object = object->findChild<QObject*>(control);
        QVERIFY2(object, qPrintable(QStringLiteral("no control %1").arg(control)));
    }
    QCOMPARE(textOf(object), text);
}

void TestCaptions::menuBarInOrder()
{
    // The bar shows the four menus and nothing else (the context menu "Pop" stays off it).
    QStringList titles;
    for (QAction* action : m_main->menuBar()->actions()) {
        if (action->isVisible() && action->menu()) {
            titles << action->menu()->title();
        }
    }
    QCOMPARE(titles, (QStringList{"&File", "&View", "Tools", "Help"}));
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
    QCOMPARE(items("mnuView"), (QStringList{"Resources", "Notes", "Toolbar", "Statusbar"}));
    QCOMPARE(items("mnuRpt"), (QStringList{"Reports", "Team Members"}));
    QCOMPARE(items("mnuHelp"), QStringList{"About..."});
}

void TestCaptions::statusBarAndTreeRoots()
{
    const QList<QLabel*> panels = m_main->statusBar()->findChildren<QLabel*>();
    QVERIFY(!panels.isEmpty());
    QCOMPARE(panels.first()->text(), QStringLiteral("Status"));

    QCOMPARE(child<QTreeWidget>(QStringLiteral("frmMain"), QStringLiteral("tvGoal"))->topLevelItem(0)->text(0),
             QStringLiteral("Goals/Applications"));
    QCOMPARE(child<QTreeWidget>(QStringLiteral("frmChart"), QStringLiteral("tvGoal"))->topLevelItem(0)->text(0),
             QStringLiteral("Goals/Applications"));
    QCOMPARE(child<QTreeWidget>(QStringLiteral("frmChart"), QStringLiteral("tvTeam"))->topLevelItem(0)->text(0),
             QStringLiteral("Team Members"));
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

void TestCaptions::dialogLabels_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("goal") << "frmPropertiesGoal"
                          << QStringList{"Type:",
                                         "Name:",
                                         "Priority:",
                                         "Status:",
                                         "Description:",
                                         "Default Resource:",
                                         "Created:",
                                         "Last Edited:"};
    QTest::newRow("task")
        << "frmPropertiesTask"
        << QStringList{
               "Type:", "Name:", "Priority:", "Status:", "Description:", "Days Planned:", "Created:", "Last Edited:"};
    // Three lines: member, share, then "<done> % completed in <days> days".
    QTest::newRow("assignment") << "frmPropertiesRes"
                                << QStringList{"Resource:", "% of total workload:", "% completed in", "days"};
    QTest::newRow("note") << "frmPropertiesNote" << QStringList{};
}

void TestCaptions::dialogLabels()
{
    QFETCH(QString, window);
    QFETCH(QStringList, labels);
    QWidget* dialog = this->window(window);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(labelsInReadingOrder(dialog), labels);
    dialog->hide();
}

void TestCaptions::dropDownItems_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("goal type") << "frmPropertiesGoal"
                               << "OBJECT_TYPE" << QStringList{"Goal", "Application"};
    QTest::newRow("goal priority") << "frmPropertiesGoal"
                                   << "PRIORITY" << kPriorities;
    QTest::newRow("goal status") << "frmPropertiesGoal"
                                 << "STATUS" << kStatuses;
    QTest::newRow("goal member") << "frmPropertiesGoal"
                                 << "DEFAULT_RESOURCE" << QStringList{"Alice"};
    QTest::newRow("task type") << "frmPropertiesTask"
                               << "OBJECT_TYPE" << QStringList{"Task", "Software Object"};
    QTest::newRow("task priority") << "frmPropertiesTask"
                                   << "PRIORITY" << kPriorities;
    QTest::newRow("task status") << "frmPropertiesTask"
                                 << "STATUS" << kStatuses;
    QTest::newRow("member") << "frmPropertiesRes"
                            << "FK_R_NAME" << QStringList{"Alice"};
}

void TestCaptions::dropDownItems()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QStringList, items);
    auto* box = child<QComboBox>(window, control);
    QStringList texts;
    for (int i = 0; i < box->count(); ++i) {
        texts << box->itemText(i);
    }
    QCOMPARE(texts, items);
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

void TestCaptions::aboutBoxKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

void TestCaptions::aboutBoxKeys()
{
    // Its one button is both the default and the cancel button.
    QFETCH(int, key);
    QWidget* about = window(QStringLiteral("frmAbout"));
    QVERIFY(child<QPushButton>(QStringLiteral("frmAbout"), QStringLiteral("cmdOK"))->isDefault());
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QTest::keyClick(about, Qt::Key(key));
    QVERIFY(!about->isVisible());
}

QTEST_MAIN(TestCaptions)
#include "TestCaptions.moc"
