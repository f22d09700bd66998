#include "app/UndoMenu.h"

#include "app/MainWindow.h"
#include "browser/ui/GoalTree.h"
#include "common/ui/MessageBox.h"
#include "db/Database.h"
#include "db/UndoLog.h"
#include "team/ui/TeamMemberWindow.h"
#include "undo/UndoHistory.h"

#include <QDialog>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
constexpr int kStepRole = Qt::UserRole;
} // namespace

UndoMenu::UndoMenu(MainWindow& window)
    : QObject(&window)
    , m_window(window)
{
    UndoLog::setCapturing(true);
    UndoLog::setListener([this](const QString&) {
        // The step's transaction commits after this call: read it afterwards.
        QMetaObject::invokeMethod(this, &UndoMenu::refresh, Qt::QueuedConnection);
    });

    m_menu = new QMenu(QStringLiteral("&Edit"), &window);
    m_menu->setObjectName(QStringLiteral("mnuEdit"));
    auto* view = window.findChild<QMenu*>(QStringLiteral("mnuView"));
    window.menuBar()->insertMenu(view ? view->menuAction() : nullptr, m_menu);
    m_undo = m_menu->addAction(QStringLiteral("Undo"));
    m_undo->setObjectName(QStringLiteral("mnuEditUndo"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo = m_menu->addAction(QStringLiteral("Redo"));
    m_redo->setObjectName(QStringLiteral("mnuEditRedo"));
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m_menu->addSeparator();
    m_historyAction = m_menu->addAction(QStringLiteral("History..."));
    m_historyAction->setObjectName(QStringLiteral("mnuEditHistory"));
    // The shortcuts work wherever the window has focus, whether the menu bar or the
    // toolbar shows them or not.
    window.addAction(m_undo);
    window.addAction(m_redo);
    connect(m_undo, &QAction::triggered, this, &UndoMenu::undo);
    connect(m_redo, &QAction::triggered, this, &UndoMenu::redo);
    connect(m_historyAction, &QAction::triggered, this, &UndoMenu::showHistory);
    connect(m_menu, &QMenu::aboutToShow, this, &UndoMenu::refresh);

    if (QToolBar* bar = window.toolBar()) {
        QAction* first = bar->actions().value(0);
        // The theme's icons where there is one; never the Back and Forward arrows.
        m_undo->setIcon(
            QIcon::fromTheme(QStringLiteral("edit-undo"), window.style()->standardIcon(QStyle::SP_MediaSeekBackward)));
        m_redo->setIcon(
            QIcon::fromTheme(QStringLiteral("edit-redo"), window.style()->standardIcon(QStyle::SP_MediaSeekForward)));
        bar->insertAction(first, m_undo);
        bar->insertAction(first, m_redo);
        if (first) {
            bar->insertSeparator(first);
        }
    }
    refresh();
}

UndoMenu::~UndoMenu()
{
    UndoLog::setListener({});
}

void UndoMenu::refresh()
{
    QList<UndoHistory::Step> steps;
    QString error;
    const bool open = Database::isOpen(MainWindow::kConnection) && !Database::isReadOnly(MainWindow::kConnection);
    if (!open || !UndoHistory::steps(MainWindow::kConnection, &steps, &error)) {
        steps.clear();
    }
    const UndoHistory::Step* lastDone = nullptr;
    const UndoHistory::Step* firstUndone = nullptr;
    for (const UndoHistory::Step& s : steps) {
        if (s.done) {
            lastDone = &s;
        } else if (!firstUndone) {
            firstUndone = &s;
        }
    }
    m_undo->setText(lastDone ? QStringLiteral("Undo ") + lastDone->name : QStringLiteral("Undo"));
    m_undo->setEnabled(lastDone != nullptr);
    m_redo->setText(firstUndone ? QStringLiteral("Redo ") + firstUndone->name : QStringLiteral("Redo"));
    m_redo->setEnabled(firstUndone != nullptr);
    m_historyAction->setEnabled(open);
    // A project this window may only read keeps no steps of its own: say why.
    const QString reason =
        Database::isOpen(MainWindow::kConnection) ? Database::readOnlyReason(MainWindow::kConnection) : QString();
    for (QAction* action : {m_undo, m_redo, m_historyAction}) {
        action->setStatusTip(reason);
        action->setToolTip(reason);
    }
    if (m_history && m_history->isVisible()) {
        fillHistory();
    }
}

void UndoMenu::undo()
{
    QString error;
    const bool ok = UndoHistory::undo(MainWindow::kConnection, &error);
    finish(ok, error);
}

void UndoMenu::redo()
{
    QString error;
    const bool ok = UndoHistory::redo(MainWindow::kConnection, &error);
    finish(ok, error);
}

void UndoMenu::goTo(qint64 lastDone)
{
    QString error;
    const bool ok = UndoHistory::goTo(MainWindow::kConnection, lastDone, &error);
    finish(ok, error);
}

void UndoMenu::finish(bool ok, const QString& error)
{
    if (!ok) {
        MessageBox::error(&m_window, error);
    }
    // Even a refused step may follow others that went through (History).
    // The loaded levels catch up in place, so open nodes stay open and the current node current.
    GoalTree* tree = m_window.goalTree();
    tree->refreshLoadedLevels();
    m_window.FillTaskList(tree->currentItem());
    m_window.FillResourceList(0);
    m_window.FillNoteList(0);
    if (TeamMemberWindow* team = m_window.teamMemberWindow()) {
        team->reload();
    }
    refresh();
}

void UndoMenu::showHistory()
{
    if (!m_history) {
        m_history = new QDialog(&m_window);
        m_history->setObjectName(QStringLiteral("frmUndoHistory"));
        m_history->setWindowTitle(QStringLiteral("History"));
        m_list = new QListWidget(m_history);
        m_list->setObjectName(QStringLiteral("lstUndoHistory"));
        auto* layout = new QVBoxLayout(m_history);
        layout->addWidget(m_list);
        m_history->resize(480, 360);
        connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
            goTo(item->data(kStepRole).toLongLong());
        });
    }
    fillHistory();
    m_history->show();
    m_history->raise();
}

void UndoMenu::fillHistory()
{
    QList<UndoHistory::Step> steps;
    QString error;
    if (!UndoHistory::steps(MainWindow::kConnection, &steps, &error)) {
        steps.clear();
    }
    m_list->clear();
    // The first line stands for the project before the oldest kept step.
    auto* start = new QListWidgetItem(QStringLiteral("(Before the first step)"), m_list);
    start->setData(kStepRole, qint64(0));
    QListWidgetItem* current = start;
    for (const UndoHistory::Step& s : steps) {
        auto* item = new QListWidgetItem(s.created + QStringLiteral("  ") + s.name, m_list);
        item->setData(kStepRole, s.id);
        if (s.done) {
            current = item;
        } else {
            // Undone steps wait greyed below the current one.
            item->setForeground(m_list->palette().brush(QPalette::Disabled, QPalette::Text));
        }
    }
    m_list->setCurrentItem(current);
}
