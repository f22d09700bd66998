#include "app/UndoMenu.h"

#include "app/MainWindow.h"
#include "browser/ui/GoalTree.h"
#include "common/ui/MessageBox.h"
#include "db/Database.h"
#include "db/UndoLog.h"
#include "team/ui/TeamMemberWindow.h"
#include "undo/UndoHistory.h"

#include <QDialog>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QUndoStack>
#include <QUndoView>
#include <QVBoxLayout>
#include <utility>

// One stored step. Moving the stack over it undoes the latest done stored step or
// redoes the earliest undone one, so Ctrl+Z takes back the latest step even before
// the stack has caught up with a step just made.
class UndoMenu::StepCommand : public QUndoCommand
{
public:
    StepCommand(UndoMenu& menu, const UndoHistory::Step& step)
        : m_menu(menu)
        , m_step(step.id)
    {
        // The History list shows the time with the name; the actions read "Undo <name>".
        QString listed = step.created + QStringLiteral("  ") + step.name;
        listed.replace(QLatin1Char('\n'), QLatin1Char(' '));
        setText(listed + QLatin1Char('\n') + step.name);
    }

    qint64 step() const { return m_step; }
    void undo() override { m_menu.move(true); }
    void redo() override { m_menu.move(false); }

private:
    UndoMenu& m_menu;
    qint64 m_step;
};

namespace {
// Undone steps wait greyed below the current one.
class UndoneGreyed : public QStyledItemDelegate
{
public:
    explicit UndoneGreyed(QUndoView* view)
        : QStyledItemDelegate(view)
        , m_view(view)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        // Row 0 is the project before the first step; row n is step n.
        if (m_view->stack() && index.row() > m_view->stack()->index()) {
            option->state &= ~QStyle::State_Enabled;
        }
    }

private:
    QUndoView* m_view;
};
} // namespace

UndoMenu::UndoMenu(MainWindow& window)
    : QObject(&window)
    , m_window(window)
    , m_stack(new QUndoStack(this))
{
    UndoLog::setCapturing(true);
    UndoLog::setListener([this](const QString&) {
        // The step's transaction commits after this call: read it afterwards.
        QMetaObject::invokeMethod(this, &UndoMenu::refresh, Qt::QueuedConnection);
    });
    connect(m_stack, &QUndoStack::indexChanged, this, &UndoMenu::finish);

    m_menu = new QMenu(QStringLiteral("&Edit"), &window);
    m_menu->setObjectName(QStringLiteral("mnuEdit"));
    auto* view = window.findChild<QMenu*>(QStringLiteral("mnuView"));
    window.menuBar()->insertMenu(view ? view->menuAction() : nullptr, m_menu);
    // "Undo <step>", or "Undo" alone when there is none.
    m_undo = m_stack->createUndoAction(m_menu);
    m_undo->setObjectName(QStringLiteral("mnuEditUndo"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_menu->addAction(m_undo);
    m_redo = m_stack->createRedoAction(m_menu);
    m_redo->setObjectName(QStringLiteral("mnuEditRedo"));
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m_menu->addAction(m_redo);
    m_menu->addSeparator();
    m_historyAction = m_menu->addAction(QStringLiteral("History..."));
    m_historyAction->setObjectName(QStringLiteral("mnuEditHistory"));
    // The shortcuts work wherever the window has focus, whether the menu bar or the
    // toolbar shows them or not.
    window.addAction(m_undo);
    window.addAction(m_redo);
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
    // The stack empties itself as it goes; that is no move to show.
    disconnect(m_stack, nullptr, this, nullptr);
}

void UndoMenu::refresh()
{
    QList<UndoHistory::Step> steps;
    QString error;
    const bool open = Database::isOpen(MainWindow::kConnection) && !Database::isReadOnly(MainWindow::kConnection);
    if (!open || !UndoHistory::steps(MainWindow::kConnection, &steps, &error)) {
        steps.clear();
    }
    int done = 0;
    bool same = m_stack->count() == steps.size();
    for (int i = 0; i < steps.size(); ++i) {
        done += steps[i].done ? 1 : 0;
        same = same && static_cast<const StepCommand*>(m_stack->command(i))->step() == steps[i].id;
    }
    // Rebuilt only when the store moved, so an open History list keeps its place.
    if (!same || m_stack->index() != done) {
        m_rebuilding = true;
        m_stack->clear();
        for (const UndoHistory::Step& s : steps) {
            m_stack->push(new StepCommand(*this, s));
        }
        m_stack->setIndex(done);
        m_rebuilding = false;
    }
    m_historyAction->setEnabled(open);
    // A project this window may only read keeps no steps of its own: say why.
    const QString reason =
        Database::isOpen(MainWindow::kConnection) ? Database::readOnlyReason(MainWindow::kConnection) : QString();
    for (QAction* action : {m_undo, m_redo, m_historyAction}) {
        action->setStatusTip(reason);
        action->setToolTip(reason);
    }
}

void UndoMenu::move(bool back)
{
    // A stack move over several steps stops at the first refusal.
    if (m_rebuilding || !m_refusal.isEmpty()) {
        return;
    }
    QString error;
    const bool ok =
        back ? UndoHistory::undo(MainWindow::kConnection, &error) : UndoHistory::redo(MainWindow::kConnection, &error);
    if (!ok) {
        m_refusal = error.isEmpty() ? QStringLiteral("The step could not be taken back.") : error;
    }
}

void UndoMenu::finish()
{
    if (m_rebuilding) {
        return;
    }
    const QString refusal = std::exchange(m_refusal, QString());
    if (!refusal.isEmpty()) {
        MessageBox::error(&m_window, refusal);
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
    // After a refusal the stack has moved past a step the project kept: put it back.
    refresh();
}

void UndoMenu::showHistory()
{
    if (!m_history) {
        m_history = new QDialog(&m_window);
        m_history->setObjectName(QStringLiteral("frmUndoHistory"));
        m_history->setWindowTitle(QStringLiteral("History"));
        m_view = new QUndoView(m_stack, m_history);
        m_view->setObjectName(QStringLiteral("lstUndoHistory"));
        m_view->setEmptyLabel(QStringLiteral("(Before the first step)"));
        m_view->setItemDelegate(new UndoneGreyed(m_view));
        // A step is reached by double-click (or Enter) only: a stray click or arrow key
        // must not take the project back. The view browses on a selection of its own,
        // which starts where the project stands.
        auto* browsing = new QItemSelectionModel(m_view->model(), m_view);
        m_view->setSelectionModel(browsing);
        const auto followStack = [this, browsing] {
            browsing->setCurrentIndex(m_view->model()->index(m_stack->index(), 0), QItemSelectionModel::ClearAndSelect);
        };
        // The view's model starts afresh on every move of the stack.
        connect(m_view->model(), &QAbstractItemModel::modelReset, m_view, followStack);
        followStack();
        connect(m_view, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
            m_stack->setIndex(index.row());
        });
        auto* layout = new QVBoxLayout(m_history);
        layout->addWidget(m_view);
        m_history->resize(480, 360);
    }
    refresh();
    m_history->show();
    m_history->raise();
}
