#pragma once

#include "app/AppSettings.h"
#include "app/EditCommands.h"
#include "app/MainWindow.h"
#include "app/PopMenu.h"
#include "app/StartupUi.h"
#include "browser/ui/GoalTree.h"
#include "db/Sql.h"
#include "tests/support/TempProject.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

// Shared by the main window's GUI tests: a start-up without dialogs, clicks on
// rows and menu items, and answering the modal dialog a command opens.
namespace AppTest {

class NoDialogs : public StartupUi
{
public:
    QString askDatabasePath(QWidget*) override { return {}; }
    bool confirmCreate(QWidget*, const QString&) override { return false; }
    void showError(QWidget*, const QString& text) override { qWarning("%s", qPrintable(text)); }
};

// A shown main window on `project` (none: both start-up dialogs cancelled).
inline std::unique_ptr<MainWindow> openWindow(AppSettings& settings, StartupUi& ui, const QString& project)
{
    auto w = std::make_unique<MainWindow>(settings, ui, project);
    if (!project.isEmpty() && !w->InitDatabase()) {
        qFatal("cannot open %s", qPrintable(project));
    }
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) {
        qFatal("window not exposed");
    }
    return w;
}

// Clicks near the left end of the row (none: the pane's blank space below the rows);
// returns the point clicked, in global coordinates.
inline QPoint clickRow(QTreeWidget* view, QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton)
{
    QPoint at(20, view->viewport()->height() - 5);
    if (item) {
        view->scrollToItem(item);
        const QRect rect = view->visualItemRect(item);
        at = QPoint(rect.left() + 10, rect.center().y());
    }
    QTest::mouseClick(view->viewport(), button, {}, at);
    return view->viewport()->mapToGlobal(at);
}

inline QTreeWidgetItem* childNamed(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text) {
            return parent->child(i);
        }
    }
    return nullptr;
}

inline QTreeWidgetItem* rowNamed(QTreeWidget* list, const QString& text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) == text) {
            return list->topLevelItem(i);
        }
    }
    return nullptr;
}

inline QStringList rowTexts(QTreeWidget* list, int column = 0)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        texts << list->topLevelItem(i)->text(column);
    }
    return texts;
}

// Runs `answer` on the next modal dialog named `objectName` as soon as it is up;
// gives up after a few seconds so a missing dialog fails the test instead of
// hanging it.
inline void whenModal(const QString& objectName, std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, objectName, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == objectName) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

inline void typeInto(QWidget* dialog, const char* name, const QString& text)
{
    QWidget* w = dialog->findChild<QWidget*>(QLatin1String(name));
    QVERIFY2(w, name);
    if (auto* box = qobject_cast<QComboBox*>(w); box && box->isEditable()) {
        w = box->lineEdit();
    }
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->selectAll();
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        edit->selectAll();
    }
    QTest::keyClicks(w, text);
}

inline void chooseIn(QWidget* dialog, const char* name, const QString& text)
{
    auto* box = dialog->findChild<QComboBox*>(QLatin1String(name));
    QVERIFY2(box, name);
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
}

inline void clickButton(QWidget* dialog, const char* name)
{
    auto* button = dialog->findChild<QPushButton*>(QLatin1String(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

using Fields = QList<std::pair<const char*, QString>>;

// Fills the named fields of a dialog: a choice from a closed list, typed text otherwise.
inline void fill(QWidget* dialog, const Fields& fields)
{
    for (const auto& [name, value] : fields) {
        auto* box = dialog->findChild<QComboBox*>(QLatin1String(name));
        if (box && !box->isEditable()) {
            chooseIn(dialog, name, value);
        } else {
            typeInto(dialog, name, value);
        }
    }
}

// Answers the next modal dialog named `objectName` with `fields` and OK.
inline void answerWith(const QString& objectName, const Fields& fields)
{
    whenModal(objectName, [fields](QWidget* d) {
        fill(d, fields);
        clickButton(d, "OK");
    });
}

// Clicks the visible item `name` of the open context menu and lets the command run.
inline bool chooseMenuItem(MainWindow* w, const char* name)
{
    PopMenu* menu = w->popMenu();
    QAction* action = menu->findChild<QAction*>(QLatin1String(name));
    if (!menu->isVisible() || !action || !action->isVisible()) {
        qWarning("menu item %s is not offered", name);
        menu->hide();
        return false;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    if (menu->isVisible()) {
        qWarning("the menu stayed open");
        return false;
    }
    // The command runs once the menu has closed.
    QCoreApplication::processEvents();
    return true;
}

// Right-clicks `item` of `pane` and chooses the menu item `name`.
inline bool command(MainWindow* w, QTreeWidget* pane, QTreeWidgetItem* item, const char* name)
{
    clickRow(pane, item, Qt::RightButton);
    return chooseMenuItem(w, name);
}

inline QString text(const TempProject& p, const QString& sql, const QVariantList& values = {})
{
    return p.scalar(sql, values).toString();
}

inline void runSql(const TempProject& p, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(Sql::db(p.connection()));
    QVERIFY2(q.prepare(sql), qPrintable(Sql::describe(q.lastError())));
    for (const QVariant& v : values) {
        q.addBindValue(v);
    }
    QVERIFY2(q.exec(), qPrintable(Sql::describe(q.lastError())));
}

// Goal "G" (default member Ann) with sub-goal "Sub", task "T" (Ann 60 %, O'Brien
// 40 %, notes "One" and "Two") and task "U" (O'Brien alone, no notes).
struct Sample
{
    TempProject project;
    qint64 g = 0, sub = 0, t = 0, u = 0;
    Sample()
    {
        project.member(QStringLiteral("Ann"));
        project.member(QStringLiteral("O'Brien"));
        g = project.goal(QStringLiteral("G"));
        runSql(project, QStringLiteral("UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Ann' WHERE ID = ?"), {g});
        sub = project.goal(QStringLiteral("Sub"), g);
        t = project.task(g, QStringLiteral("T"), 10);
        u = project.task(g, QStringLiteral("U"), 4);
        project.assign(t, QStringLiteral("Ann"), 60, 50, 3);
        project.assign(t, QStringLiteral("O'Brien"), 40, 0, 0);
        project.assign(u, QStringLiteral("O'Brien"), 100, 0, 0);
        project.note(t, QStringLiteral("One"));
        project.note(t, QStringLiteral("Two"));
    }
};

} // namespace AppTest
