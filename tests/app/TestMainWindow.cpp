#include "browser/ui/NoteList.h"
#include "browser/ui/ResourceList.h"
#include "browser/ui/TaskList.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/TempProject.h"
#include "tests/support/WriteProtection.h"

#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

using namespace AppTest;

namespace {
void mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void viewMenuIsRememberedButNotTheToolbar();
    void dragVerticalSplitter();
    void resizeKeepsProportions();
    void minimizedCloseKeepsGeometry();
    void listsFollowTheKeys();
    void copyAndPasteImages();
    void readOnlyProjectIsBrowsed();

private:
    std::unique_ptr<MainWindow> open(const QString& project = QString())
    {
        return openWindow(*m_settings, m_ui, project);
    }
    QString setting(const QString& key) { return AppSettings(m_settingsPath).value(key); }

    QTemporaryDir m_dir;
    QString m_settingsPath;
    std::unique_ptr<AppSettings> m_settings;
    NoDialogs m_ui;
    int m_run = 0;
};

void TestMainWindow::init()
{
    m_settingsPath = m_dir.filePath(QStringLiteral("settings%1.ini").arg(++m_run));
    m_settings = std::make_unique<AppSettings>(m_settingsPath);
}

void TestMainWindow::viewMenuIsRememberedButNotTheToolbar()
{
    {
        // A first start takes the layout's designed place (its numbers: the layout test).
        auto w = open();
        QCOMPARE(w->size(), QSize(w->pixelsX(6500), w->pixelsY(6500)));
        const int taskHeight = w->taskList()->height();
        auto* notes = w->findChild<QAction*>(QStringLiteral("mnuViewNotes"));
        auto* resources = w->findChild<QAction*>(QStringLiteral("mnuViewResources"));
        auto* toolbar = w->findChild<QAction*>(QStringLiteral("mnuViewToolbar"));
        auto* status = w->findChild<QAction*>(QStringLiteral("mnuViewStatusBar"));
        QVERIFY(notes->isChecked() && resources->isChecked() && status->isChecked() && !toolbar->isChecked());
        notes->trigger();
        QVERIFY(w->noteList()->isHidden());
        // The panes take the layout's places (its rules: the layout test).
        resources->trigger();
        QVERIFY(w->resourceList()->isHidden());
        QCOMPARE(w->taskList()->height(), w->goalTree()->height());
        resources->trigger();
        QCOMPARE(w->taskList()->height(), taskHeight);
        toolbar->trigger();
        QVERIFY(w->toolBar()->isVisible());
        status->trigger();
        QVERIFY(!w->statusBar()->isVisible());
        QTRY_COMPARE(w->goalTree()->mapTo(w.get(), QPoint(0, 0)).y(), w->toolBar()->geometry().bottom() + 1);
        // File > Close closes the window and so writes the layout.
        w->findChild<QAction*>(QStringLiteral("mnuFileClose"))->trigger();
        QVERIFY(!w->isVisible());
    }
    auto again = open();
    QVERIFY(again->noteList()->isHidden());
    QVERIFY(!again->findChild<QAction*>(QStringLiteral("mnuViewNotes"))->isChecked());
    QVERIFY(again->resourceList()->isVisible());
    QVERIFY(!again->statusBar()->isVisible());
    QVERIFY(!again->findChild<QAction*>(QStringLiteral("mnuViewToolbar"))->isChecked());
}

void TestMainWindow::dragVerticalSplitter()
{
    auto w = open();
    QWidget* strip = w->findChild<QWidget*>(QStringLiteral("imgSplitter"));
    QWidget* bar = w->findChild<QWidget*>(QStringLiteral("picSplitter"));
    const QPoint inside(1, 10);
    mouse(strip, QEvent::MouseButtonPress, inside, Qt::LeftButton);
    QVERIFY(bar->isVisible());
    // Far beyond the left edge: the bar stops 500 twips from it (all limits: the layout test).
    mouse(strip, QEvent::MouseMove, QPoint(-300, 10), Qt::LeftButton);
    QCOMPARE(bar->x(), w->pixelsX(500));
    QCOMPARE(w->goalTree()->width(), w->pixelsX(1625)); // panes move only at mouse up
    mouse(strip, QEvent::MouseButtonRelease, QPoint(-300, 10), Qt::NoButton);
    QVERIFY(!bar->isVisible());
    QCOMPARE(w->goalTree()->width(), w->pixelsX(500));
    QVERIFY(w->close());
    QCOMPARE(setting(QStringLiteral("SP1")), QStringLiteral("500"));
}

void TestMainWindow::resizeKeepsProportions()
{
    auto w = open();
    const MainLayout& layout = w->mainLayout();
    w->resize(w->width() * 2, w->height() * 2);
    QTRY_COMPARE(layout.windowRect().width, w->twipsX(w->width()));
    // The panes follow the splitters the layout moved (its shares: the layout test).
    QCOMPARE(w->goalTree()->width(), w->pixelsX(layout.strip(MainLayout::Splitter::Vertical).left));
    // Narrower than 3000 twips is not allowed.
    w->resize(w->pixelsX(2000), w->height());
    QTRY_COMPARE(w->width(), w->pixelsX(3000));
    QVERIFY(w->goalTree()->width() <= w->pixelsX(1500) + 1);
}

void TestMainWindow::minimizedCloseKeepsGeometry()
{
    m_settings->setValue(QStringLiteral("MainLeft"), QStringLiteral("3000"));
    m_settings->setValue(QStringLiteral("MainWidth"), QStringLiteral("9000"));
    m_settings->setValue(QStringLiteral("SP1"), QStringLiteral("2000"));
    m_settings->sync();
    auto w = open();
    QCOMPARE(w->goalTree()->width(), w->pixelsX(2000));
    w->move(10, 10);
    w->resize(w->pixelsX(7000), w->height());
    w->findChild<QAction*>(QStringLiteral("mnuViewResources"))->trigger();
    w->showMinimized();
    QVERIFY(w->isMinimized());
    QVERIFY(w->close());
    QStringList written;
    for (const char* key : {"MainLeft", "MainWidth", "SP1", "ViewResource"}) {
        written << setting(QLatin1String(key));
    }
    QCOMPARE(written, (QStringList{"3000", "9000", "2000", "0"}));
}

// Keys move the selection as a click does (clicks: the working day): arrow keys in
// the goal tree refill the lists, one fill each, and so do those in the task list.
void TestMainWindow::listsFollowTheKeys()
{
    Sample sample;
    auto w = open(sample.project.path());
    GoalTree* tree = w->goalTree();
    TaskList* tasks = w->taskList();
    QSignalSpy fills(tree, &GoalTree::nodeClicked);
    QTreeWidgetItem* g = childNamed(tree->root(), QStringLiteral("G"));
    QVERIFY(g);
    clickRow(tree, g);
    QCOMPARE(fills.count(), 1);
    QCOMPARE(tasks->topLevelItemCount(), 4); // Sub, T, U, summary

    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Sub"));
    QCOMPARE(fills.count(), 2);
    QVERIFY(!rowNamed(tasks, QStringLiteral("T")));

    QTest::keyClick(tree, Qt::Key_Up);
    QCOMPARE(fills.count(), 3);
    clickRow(tasks, rowNamed(tasks, QStringLiteral("T")));
    QCOMPARE(w->noteList()->topLevelItemCount(), 2);
    QTest::keyClick(tasks, Qt::Key_Down);
    QCOMPARE(tasks->selectedTaskId(), std::optional<qint64>(sample.u));
    QCOMPARE(w->resourceList()->topLevelItemCount(), 2);
    QCOMPARE(w->noteList()->topLevelItemCount(), 0);

    // Up to the root: its list again, the goal row first and chosen for the other lists.
    QTest::keyClick(tree, Qt::Key_Up);
    QCOMPARE(tasks->topLevelItemCount(), 2);
    QCOMPARE(tasks->topLevelItem(0)->text(0), QStringLiteral("G"));
    QCOMPARE(w->resourceList()->topLevelItemCount(), 0);
}

// Copy and Paste show the theme's images (or drawn ones), not the style's magnifier and floppy disk.
void TestMainWindow::copyAndPasteImages()
{
    auto w = open();
    auto image = [](const QIcon& icon) { return icon.pixmap(QSize(16, 16)).toImage(); };
    const std::tuple<const char*, const char*, QStyle::StandardPixmap> buttons[] = {
        {"Copy", "edit-copy", QStyle::SP_FileDialogContentsView},
        {"Paste", "edit-paste", QStyle::SP_DialogSaveButton},
    };
    QList<QImage> seen;
    for (const auto& [key, themeName, wrong] : buttons) {
        QAction* button = nullptr;
        for (QAction* a : w->toolBar()->actions()) {
            if (a->data().toString() == QLatin1String(key)) {
                button = a;
            }
        }
        QVERIFY2(button, key);
        QVERIFY2(!button->icon().isNull(), key);
        if (QIcon::hasThemeIcon(QLatin1String(themeName))) {
            QCOMPARE(button->icon().name(), QLatin1String(themeName));
        } else {
            QVERIFY2(image(button->icon()) != image(w->style()->standardIcon(wrong)), key);
        }
        seen << image(button->icon());
    }
    QVERIFY(seen.at(0) != seen.at(1));
}

// A project in a folder we may not write used to be refused as damaged.
void TestMainWindow::readOnlyProjectIsBrowsed()
{
    TempProject p(QStringLiteral("maker"));
    p.goal(QStringLiteral("Browse me"));
    p.close();
    WriteProtection protection(p.dir());
    if (!protection.holds()) {
        QSKIP("Cannot make the folder unwritable here (running as root without chattr +i support)");
    }
    auto w = open(p.path());
    QVERIFY(w->windowTitle().contains(QStringLiteral("read-only")));
    QCOMPARE(rowTexts(w->taskList()).value(0), QStringLiteral("Browse me"));
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
