#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/AppSettings.h"
#include "app/EditCommands.h"
#include "app/PopMenu.h"
#include "app/PopMenuRules.h"
#include "app/SplitterStrip.h"
#include "app/StartupUi.h"
#include "app/UndoMenu.h"
#include "app/ViewModeIcons.h"
#include "browser/ui/GoalTree.h"
#include "browser/ui/NoteList.h"
#include "browser/ui/ResourceList.h"
#include "browser/ui/TaskList.h"
#include "charts/ui/ChartWindow.h"
#include "charts/ui/TimelineWindow.h"
#include "charts/ui/TrendWindow.h"
#include "common/Twips.h"
#include "common/ui/MessageBox.h"
#include "db/ChangeListener.h"
#include "db/Database.h"
#include "db/FileProbe.h"
#include "db/ServerAddress.h"
#include "db/Transaction.h"
#include "reports/ui/CompareWindow.h"
#include "reports/ui/ReportsWindow.h"
#include "team/ui/TeamMemberWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDateTime>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <utility>

const QString MainWindow::kConnection = QStringLiteral("dbConn");

namespace {
using Splitter = MainLayout::Splitter;
constexpr Splitter kSplitters[3] = {Splitter::Vertical, Splitter::First, Splitter::Second};

// Copy and Paste as the desktop theme draws them; without a theme, drawn here like
// the view-mode images: two sheets, or a sheet on a clipboard.
QIcon editIcon(bool paste)
{
    const QString name = paste ? QStringLiteral("edit-paste") : QStringLiteral("edit-copy");
    if (QIcon::hasThemeIcon(name)) {
        return QIcon::fromTheme(name);
    }
    const int size = 32; // drawn large, scaled down by the toolbar
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor outline(70, 70, 70);
    auto sheet = [&](int x, int y, int w, int h) {
        p.fillRect(x, y, w, h, Qt::white);
        p.setPen(outline);
        p.drawRect(x, y, w - 1, h - 1);
        for (int line = y + 5; line < y + h - 3; line += 4) {
            p.fillRect(x + 3, line, w - 6, 1, outline);
        }
    };
    if (paste) {
        p.fillRect(4, 5, 20, 25, QColor(170, 120, 60)); // the board
        p.fillRect(9, 2, 10, 6, QColor(40, 90, 170)); // its clip
        sheet(13, 12, 16, 19);
    } else {
        sheet(3, 3, 16, 20);
        sheet(12, 10, 16, 20);
    }
    return QIcon(pixmap);
}
} // namespace

MainWindow::MainWindow(AppSettings& settings, StartupUi& startupUi, const QString& dbPathOverride, QWidget* parent)
    : QMainWindow(parent)
    , m_settings(settings)
    , m_startupUi(startupUi)
    , m_dbPathOverride(dbPathOverride)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Cairnwork"));
    buildUi();
    buildMenus();
    buildToolBar();
    loadSettings();

    m_mnuPop = new PopMenu(this);
    m_commands = new EditCommands(*this, *m_mnuPop);
    m_undoMenu = new UndoMenu(*this);
    connect(this, &MainWindow::contextMenuRequested, this, [this](AppState::Pane pane) {
        SetPopMenu(pane, m_rightPress ? *m_rightPress : QCursor::pos());
        m_rightPress.reset();
    });
    connect(this, &MainWindow::reportsRequested, this, &MainWindow::openReports);
    connect(this, &MainWindow::teamMembersRequested, this, &MainWindow::openTeamMembers);
    connect(this, &MainWindow::aboutRequested, this, &MainWindow::openAbout);
    // The Menu key and Shift+F10 offer the focused pane's menu as a right click does.
    // A right click's menu opens where the button went down.
    const QList<QTreeWidget*> panes{m_tvGoal, m_lvTask, m_lvResource, m_lvNotes};
    for (QTreeWidget* pane : panes) {
        pane->installEventFilter(this);
        pane->viewport()->installEventFilter(this);
    }
}

MainWindow::~MainWindow()
{
    delete m_listener;
    // The other windows read through the shared connection: they go first.
    delete m_chart;
    delete m_reports;
    delete m_team;
    Database::close(kConnection);
}

int MainWindow::pixelsX(double twips) const
{
    return Twips::toPixels(twips, logicalDpiX());
}

int MainWindow::pixelsY(double twips) const
{
    return Twips::toPixels(twips, logicalDpiY());
}

double MainWindow::twipsX(int pixels) const
{
    return Twips::toExactTwips(pixels, logicalDpiX());
}

double MainWindow::twipsY(int pixels) const
{
    return Twips::toExactTwips(pixels, logicalDpiY());
}

void MainWindow::buildUi()
{
    m_panes = new QWidget(this);
    m_panes->setObjectName(QStringLiteral("panes"));
    m_tvGoal = new GoalTree(m_panes);
    m_lvTask = new TaskList(m_panes);
    m_lvResource = new ResourceList(m_panes);
    m_lvNotes = new NoteList(m_panes);
    m_tvGoal->setConnection(kConnection);
    m_lvTask->setConnection(kConnection);
    m_lvResource->setConnection(kConnection);
    m_lvNotes->setConnection(kConnection);

    const QString stripNames[3] = {
        QStringLiteral("imgSplitter"), QStringLiteral("imgSplitterV1"), QStringLiteral("imgSplitterV2")};
    const QString barNames[3] = {
        QStringLiteral("picSplitter"), QStringLiteral("picSplitterV1"), QStringLiteral("picSplitterV2")};
    for (int i = 0; i < 3; ++i) {
        m_strips[i] = new SplitterStrip(stripNames[i], i == 0 ? Qt::Vertical : Qt::Horizontal, m_panes);
        m_bars[i] = new QFrame(m_panes);
        m_bars[i]->setObjectName(barNames[i]);
        m_bars[i]->setAutoFillBackground(true);
        m_bars[i]->setBackgroundRole(QPalette::Dark);
        m_bars[i]->hide();
        connectStrip(kSplitters[i]);
    }
    setCentralWidget(m_panes);
    m_panes->installEventFilter(this);
    setMinimumWidth(pixelsX(MainLayout::kMinimumWidth));

    connect(m_tvGoal, &GoalTree::nodeClicked, this, &MainWindow::onNodeClicked);
    connect(m_tvGoal, &GoalTree::paneClicked, this, [this](bool right) { paneClicked(AppState::Pane::Tree, right); });
    connect(
        m_lvTask, &ListPane::paneClicked, this, [this](bool right) { paneClicked(AppState::Pane::TaskList, right); });
    connect(m_lvResource, &ListPane::paneClicked, this, [this](bool right) {
        paneClicked(AppState::Pane::ResourceList, right);
    });
    connect(
        m_lvNotes, &ListPane::paneClicked, this, [this](bool right) { paneClicked(AppState::Pane::NoteList, right); });
    connect(m_lvTask, &TaskList::rowChosen, this, [this](int row) {
        FillResourceList(row);
        FillNoteList(row);
    });

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    m_statusText = new QLabel(QStringLiteral("Status"), bar);
    m_statusDate = new QLabel(bar);
    m_statusTime = new QLabel(bar);
    // A long message is cut short rather than pushing the date and time out of sight.
    m_statusText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(m_statusText, 1);
    bar->addPermanentWidget(m_statusDate);
    bar->addPermanentWidget(m_statusTime);
    setStatusBar(bar);
    updateClock();
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(kRefreshDelayMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &MainWindow::refreshFromServer);
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &MainWindow::updateClock);
    clock->start(1000);
}

void MainWindow::buildMenus()
{
    auto action = [this](QMenu* menu, const QString& text, const QString& name) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    connect(action(file, QStringLiteral("&Close"), QStringLiteral("mnuFileClose")),
            &QAction::triggered,
            this,
            &QWidget::close);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    m_mnuViewResources = action(view, QStringLiteral("Resources"), QStringLiteral("mnuViewResources"));
    m_mnuViewNotes = action(view, QStringLiteral("Notes"), QStringLiteral("mnuViewNotes"));
    m_mnuViewToolbar = action(view, QStringLiteral("Toolbar"), QStringLiteral("mnuViewToolbar"));
    m_mnuViewStatusBar = action(view, QStringLiteral("Statusbar"), QStringLiteral("mnuViewStatusBar"));
    for (QAction* a : {m_mnuViewResources, m_mnuViewNotes, m_mnuViewToolbar, m_mnuViewStatusBar}) {
        a->setCheckable(true);
    }
    // Each toggle flips its own check mark, shows or hides its control and lays
    // the panes out again.
    connect(m_mnuViewResources, &QAction::triggered, this, [this](bool on) {
        m_lvResource->setVisible(on);
        m_layout.setResourceListVisible(on);
        applyLayout();
    });
    connect(m_mnuViewNotes, &QAction::triggered, this, [this](bool on) {
        m_lvNotes->setVisible(on);
        m_layout.setNoteListVisible(on);
        applyLayout();
    });
    connect(m_mnuViewToolbar, &QAction::triggered, this, [this](bool on) {
        m_toolBar->setVisible(on);
        m_layout.setToolbarVisible(on);
        applyLayout();
    });
    connect(m_mnuViewStatusBar, &QAction::triggered, this, [this](bool on) {
        statusBar()->setVisible(on);
        m_layout.setStatusBarVisible(on);
        applyLayout();
    });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("mnuRpt"));
    m_mnuRptRpt1 = action(tools, QStringLiteral("Reports"), QStringLiteral("mnuRptRpt1"));
    m_mnuRptRes = action(tools, QStringLiteral("Team Members"), QStringLiteral("mnuRptRes"));
    m_mnuRptCompare = action(tools, QStringLiteral("Compare Snapshots..."), QStringLiteral("mnuRptCompare"));
    m_mnuRptTrend = action(tools, QStringLiteral("Forecast Trend"), QStringLiteral("mnuRptTrend"));
    m_mnuRptTimeline = action(tools, QStringLiteral("Timeline"), QStringLiteral("mnuRptTimeline"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    m_mnuHelpAbout = action(help, QStringLiteral("About..."), QStringLiteral("mnuHelpAbout"));
    // Enabled once a project is open.
    m_mnuRptRpt1->setEnabled(false);
    m_mnuRptRes->setEnabled(false);
    m_mnuRptCompare->setEnabled(false);
    connect(m_mnuRptCompare, &QAction::triggered, this, &MainWindow::openCompare);
    m_mnuRptTrend->setEnabled(false);
    connect(m_mnuRptTrend, &QAction::triggered, this, &MainWindow::openTrend);
    m_mnuRptTimeline->setEnabled(false);
    connect(m_mnuRptTimeline, &QAction::triggered, this, &MainWindow::openTimeline);
    connect(m_mnuRptRpt1, &QAction::triggered, this, &MainWindow::reportsRequested);
    connect(m_mnuRptRes, &QAction::triggered, this, &MainWindow::teamMembersRequested);
    connect(m_mnuHelpAbout, &QAction::triggered, this, &MainWindow::aboutRequested);
}

void MainWindow::buildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    // Buttons are identified by their keys (QAction::data); what they do is set elsewhere.
    const std::pair<const char*, QStyle::StandardPixmap> buttons[] = {
        {"Back", QStyle::SP_ArrowBack},
        {"Forward", QStyle::SP_ArrowForward},
        {"Copy", QStyle::SP_CustomBase}, // theirs from the theme or drawn
        {"Paste", QStyle::SP_CustomBase},
        {"Delete", QStyle::SP_TrashIcon},
        {"Properties", QStyle::SP_FileDialogInfoView},
        {"View Large Icons", QStyle::SP_FileDialogListView},
        {"View Small Icons", QStyle::SP_FileDialogListView},
        {"View List", QStyle::SP_FileDialogListView},
        {"View Details", QStyle::SP_FileDialogDetailedView},
    };
    int viewMode = 0;
    for (const auto& [key, pixmap] : buttons) {
        const bool view = QLatin1String(key).startsWith(QLatin1String("View "));
        const QLatin1String name(key);
        QIcon icon;
        if (view) {
            icon = ViewModeIcons::icon(viewMode++);
        } else if (name == QLatin1String("Copy") || name == QLatin1String("Paste")) {
            icon = editIcon(name == QLatin1String("Paste"));
        } else {
            icon = style()->standardIcon(pixmap);
        }
        QAction* a = m_toolBar->addAction(icon, QString::fromLatin1(key));
        a->setData(QString::fromLatin1(key));
        if (QLatin1String(key) == QLatin1String("Delete") || QLatin1String(key) == QLatin1String("View Large Icons")) {
            m_toolBar->insertSeparator(a);
        }
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    m_toolBar->hide();
    connect(m_toolBar, &QToolBar::actionTriggered, this, &MainWindow::toolButtonClicked);
    m_taskListIconSize = m_lvTask->iconSize();
}

void MainWindow::toolButtonClicked(QAction* button)
{
    const QString key = button->data().toString();
    static const QList<std::pair<QString, QString>> placeholders{
        {QStringLiteral("Back"), QStringLiteral("Add 'Back' button code.")},
        {QStringLiteral("Forward"), QStringLiteral("Add 'Forward' button code.")},
        {QStringLiteral("Copy"), QStringLiteral("Add 'mnuEditCopy_Click' code.")},
        {QStringLiteral("Paste"), QStringLiteral("Add 'mnuEditPaste_Click' code.")},
        {QStringLiteral("Delete"), QStringLiteral("Add 'mnuFileDelete_Click' code.")},
        {QStringLiteral("Properties"), QStringLiteral("Add 'mnuFileProperties_Click' code.")},
    };
    for (const auto& [k, text] : placeholders) {
        if (k == key) {
            MessageBox::plain(this, QStringLiteral("Cairnwork"), text);
            return;
        }
    }
    static const QStringList views{QStringLiteral("View Large Icons"),
                                   QStringLiteral("View Small Icons"),
                                   QStringLiteral("View List"),
                                   QStringLiteral("View Details")};
    const int mode = int(views.indexOf(key));
    if (mode >= 0) {
        setTaskListViewMode(mode);
    }
}

void MainWindow::setTaskListViewMode(int mode)
{
    if (mode < 0 || mode > 3) {
        return;
    }
    // A report list shows its columns only in details; the other modes show the
    // names alone, with large icons in the first mode.
    m_taskListViewMode = mode;
    const bool details = mode == 3;
    m_lvTask->setHeaderHidden(!details);
    for (int column = 1; column < m_lvTask->columnCount(); ++column) {
        m_lvTask->setColumnHidden(column, !details);
    }
    m_lvTask->setIconSize(mode == 0 ? QSize(32, 32) : m_taskListIconSize);
}

void MainWindow::loadSettings()
{
    m_layout.load(m_settings);
    const TwipsRect window = m_layout.windowRect();
    move(pixelsX(window.left), pixelsY(window.top));
    resize(pixelsX(window.width), pixelsY(window.height));
    m_mnuViewResources->setChecked(m_layout.resourceListVisible());
    m_lvResource->setVisible(m_layout.resourceListVisible());
    m_mnuViewNotes->setChecked(m_layout.noteListVisible());
    m_lvNotes->setVisible(m_layout.noteListVisible());
    m_mnuViewToolbar->setChecked(false);
    m_toolBar->hide();
    m_mnuViewStatusBar->setChecked(m_layout.statusBarVisible());
    statusBar()->setVisible(m_layout.statusBarVisible());
}

void MainWindow::connectStrip(MainLayout::Splitter splitter)
{
    SplitterStrip* strip = m_strips[int(splitter)];
    const bool vertical = splitter == Splitter::Vertical;
    auto offset = [this, vertical](QPoint p) { return vertical ? twipsX(p.x()) : twipsY(p.y()); };
    connect(strip, &SplitterStrip::mouseDown, this, [this, splitter] {
        m_layout.beginDrag(splitter);
        applyBars();
    });
    connect(strip, &SplitterStrip::mouseMove, this, [this, splitter, offset](QPoint p) {
        m_layout.dragTo(splitter, offset(p));
        applyBars();
    });
    connect(strip, &SplitterStrip::mouseUp, this, [this, splitter] {
        m_layout.endDrag(splitter);
        applyLayout();
    });
}

void MainWindow::paneClicked(AppState::Pane pane, bool rightButton)
{
    m_state.activePane = pane;
    if (rightButton) {
        Q_EMIT contextMenuRequested(pane);
    }
}

namespace {
// Pixels back to twips, keeping the twips value as long as it still gives the
// same pixels, so stored sizes survive a round trip through whole pixels.
double stickyTwips(int pixels, double twips, int dpi)
{
    if (Twips::toPixels(twips, dpi) == pixels) {
        return twips;
    }
    return Twips::toExactTwips(pixels, dpi);
}
} // namespace

void MainWindow::readWindowGeometry()
{
    const TwipsRect known = m_layout.windowRect();
    m_layout.setWindowPosition(stickyTwips(x(), known.left, logicalDpiX()), stickyTwips(y(), known.top, logicalDpiY()));
    m_layout.setWindowSize(stickyTwips(width(), known.width, logicalDpiX()),
                           stickyTwips(height(), known.height, logicalDpiY()));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            m_rightPress = mouse->globalPosition().toPoint();
        }
    }
    const QObject* panes[4] = {m_tvGoal, m_lvTask, m_lvResource, m_lvNotes};
    for (int pane = 0; pane < 4; ++pane) {
        if (watched != panes[pane]) {
            continue;
        }
        bool menuKey = false;
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            menuKey =
                key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
        } else if (event->type() == QEvent::ContextMenu) {
            // A right click reaches the pane's mouse handlers instead.
            menuKey = static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse;
        }
        if (menuKey) {
            keyboardMenu(AppState::Pane(pane));
            return true;
        }
    }
    if (watched == m_panes && event->type() == QEvent::Resize) {
        onPanesResized();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::onPanesResized()
{
    // The client area starts below the menu bar; the toolbar and the status bar
    // take their share of it when shown.
    const int clientTop = menuWidget() && menuWidget()->isVisibleTo(this) ? menuWidget()->height() : 0;
    const QRect panes = m_panes->geometry();
    const int toolbar = m_toolBar->isVisibleTo(this) ? panes.top() - clientTop : 0;
    const int status = statusBar()->isVisibleTo(this) ? height() - panes.bottom() - 1 : 0;
    readWindowGeometry();
    m_layout.setChrome(twipsY(height() - clientTop), twipsY(toolbar), twipsY(status));
    m_layout.resized();
    const int wanted = pixelsX(m_layout.windowRect().width);
    if (wanted > width()) {
        resize(wanted, height());
    }
    applyLayout();
}

void MainWindow::place(QWidget* widget, const TwipsRect& rect)
{
    // Relative to the pane area, which starts below the toolbar.
    const double top = m_layout.toolbarHeight();
    const int x = pixelsX(rect.left);
    const int y = pixelsY(rect.top - top);
    widget->setGeometry(x, y, pixelsX(rect.left + rect.width) - x, pixelsY(rect.top - top + rect.height) - y);
}

void MainWindow::SizeControls()
{
    m_layout.SizeControls();
    applyLayout();
}

void MainWindow::applyLayout()
{
    place(m_tvGoal, m_layout.tree());
    place(m_lvTask, m_layout.taskList());
    if (m_layout.resourceListVisible()) {
        place(m_lvResource, m_layout.resourceList());
    }
    if (m_layout.noteListVisible()) {
        place(m_lvNotes, m_layout.noteList());
    }
    for (Splitter s : kSplitters) {
        place(m_strips[int(s)], m_layout.strip(s));
    }
    // A hidden list's strip stays where it was but cannot be grabbed.
    m_strips[int(Splitter::First)]->setVisible(m_layout.resourceListVisible());
    m_strips[int(Splitter::Second)]->setVisible(m_layout.noteListVisible());
    for (SplitterStrip* strip : m_strips) {
        strip->raise();
    }
    applyBars();
}

void MainWindow::applyBars()
{
    for (Splitter s : kSplitters) {
        QFrame* bar = m_bars[int(s)];
        if (m_layout.isBarVisible(s)) {
            place(bar, m_layout.bar(s));
            bar->show();
            bar->raise();
        } else {
            bar->hide();
        }
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Every other window of the program closes with this one, newest first. One
    // that refuses (the team member window with a change it cannot write) keeps
    // the program running.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QWidget* w = *it;
        if (w != this && w->isVisible() && w->isWindow() && !w->close()) {
            event->ignore();
            return;
        }
    }
    const bool minimized = isMinimized();
    if (!minimized) {
        readWindowGeometry();
    }
    m_layout.save(m_settings, minimized);
    m_settings.sync();
    QMainWindow::closeEvent(event);
}

PopMenuRules::Selection MainWindow::paneSelection() const
{
    PopMenuRules::Selection s;
    s.treeRootSelected = !GoalTree::goalId(m_tvGoal->currentItem()).has_value();
    const QTreeWidgetItem* task = m_lvTask->selectedRow();
    s.taskRow = TaskList::isSummaryRow(task) ? PopMenuRules::TaskRow::Summary
        : TaskList::isGoalRow(task)          ? PopMenuRules::TaskRow::Goal
        : TaskList::isTaskRow(task)          ? PopMenuRules::TaskRow::Task
                                             : PopMenuRules::TaskRow::None;
    s.resourceRows = m_lvResource->topLevelItemCount();
    const QTreeWidgetItem* resource = m_lvResource->selectedRow();
    s.resourceRow = ResourceList::isAssignmentRow(resource) ? PopMenuRules::ResourceRow::Assignment
        : ResourceList::isTotalsRow(resource)               ? PopMenuRules::ResourceRow::Totals
                                                            : PopMenuRules::ResourceRow::None;
    s.noteRows = m_lvNotes->topLevelItemCount();
    s.noteSelected = m_lvNotes->selectedRow() != nullptr;
    return s;
}

bool MainWindow::SetPopMenu(AppState::Pane pane, const QPoint& globalPos)
{
    if (!projectOpen()) {
        return false; // nothing to add to or edit yet
    }
    const PopMenuRules::Items items = PopMenuRules::SetPopMenu(pane, paneSelection());
    m_mnuPop->apply(items);
    if (!items.showMenu) {
        return false;
    }
    m_mnuPop->popup(globalPos);
    return true;
}

void MainWindow::keyboardMenu(AppState::Pane pane)
{
    QTreeWidget* views[4] = {m_tvGoal, m_lvTask, m_lvResource, m_lvNotes};
    QTreeWidget* view = views[int(pane)];
    m_state.activePane = pane;
    // Beside the current row, or in the pane's corner when there is none.
    QPoint at(8, 8);
    if (QTreeWidgetItem* item = view->currentItem()) {
        const QRect rect = view->visualItemRect(item);
        if (rect.isValid()) {
            at = QPoint(rect.left() + 16, rect.bottom());
        }
    }
    SetPopMenu(pane, view->viewport()->mapToGlobal(at));
}

void MainWindow::placeBeside(QWidget* window, int step)
{
    // To the right of the main window, stepped down, kept on its screen.
    const QRect frame = frameGeometry();
    QPoint at(frame.right() + 1 + 24 * step, frame.top() + 24 * step);
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        at.setX(std::max(area.left(), std::min(at.x(), area.right() - window->width())));
        at.setY(std::max(area.top(), std::min(at.y(), area.bottom() - window->height())));
    }
    window->move(at);
}

template <typename Window>
void MainWindow::showTool(QPointer<Window>& window)
{
    // Tool windows delete themselves when closed; an open one comes to the front.
    if (!window) {
        window = new Window(kConnection, this);
        placeBeside(window, 1);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::openReports()
{
    if (!projectOpen()) {
        return;
    }
    if (!Database::isOpen(kConnection)) {
        MessageBox::error(this, QStringLiteral("The project file is not open."));
        return;
    }
    if (!m_reports) {
        m_reports = new ReportsWindow(kConnection, this);
        placeBeside(m_reports, 0);
    } else if (m_reports->isHidden()) {
        // Closed windows are kept; show the snapshots as they are now.
        m_reports->FillTimestampList();
    }
    m_reports->show();
    m_reports->raise();
    showTool(m_chart);
}

void MainWindow::openCompare()
{
    if (projectOpen()) {
        showTool(m_compare);
    }
}

void MainWindow::openTrend()
{
    if (projectOpen()) {
        showTool(m_trend);
    }
}

void MainWindow::openTimeline()
{
    if (projectOpen()) {
        showTool(m_timeline);
    }
}

void MainWindow::openTeamMembers()
{
    if (!projectOpen()) {
        return;
    }
    m_membersMayHaveChanged = true;
    if (!m_team) {
        m_team = new TeamMemberWindow(m_dbPath, this);
        placeBeside(m_team, 0);
    }
    m_team->show();
    m_team->raise();
    m_team->activateWindow();
}

ReportsWindow* MainWindow::reportsWindow() const
{
    return m_reports;
}

CompareWindow* MainWindow::compareWindow() const
{
    return m_compare;
}

ChartWindow* MainWindow::chartWindow() const
{
    return m_chart;
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // The team window writes through its own connection: when the user comes
    // back here, show the members of the selected task as they now are.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_membersMayHaveChanged) {
        m_membersMayHaveChanged = !m_team.isNull();
        const int row = m_lvTask->indexOfTopLevelItem(m_lvTask->currentItem());
        if (row >= 0) {
            FillResourceList(row);
        }
    }
}

TeamMemberWindow* MainWindow::teamMemberWindow() const
{
    return m_team;
}

void MainWindow::openAbout()
{
    if (!m_about) {
        m_about = new AboutBox(this);
    }
    m_about->exec();
}

QString MainWindow::statusText() const
{
    return m_statusText->text();
}

void MainWindow::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    m_statusDate->setText(locale.toString(now.date(), QLocale::ShortFormat));
    m_statusTime->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

QString MainWindow::askPath()
{
    const QString path = m_startupUi.askDatabasePath(this);
    // The choice is remembered at once, whatever it is, unless this run was given a file
    // or it is a server address that opening will refuse: that one may hold a password.
    ServerAddress address;
    const bool unusableAddress = ServerAddress::isServer(path) && !ServerAddress::parse(path, &address, nullptr);
    if (m_dbPathOverride.isEmpty() && !unusableAddress) {
        m_settings.setDbPath(path);
        m_settings.sync();
    }
    return path;
}

bool MainWindow::openProject(const QString& path, bool chosenInDialog, QString* error)
{
    if (path.isEmpty()) {
        error->clear();
        return false;
    }
    if (ServerAddress::isServer(path)) {
        return Database::open(path, kConnection, error); // a new one is made with cairnwork-cli init
    }
    const FileProbe::Result probe = FileProbe::probe(path);
    const bool fresh = probe.kind == FileProbe::Kind::Missing || probe.kind == FileProbe::Kind::Empty;
    if (fresh && chosenInDialog) {
        if (!m_startupUi.confirmCreate(this, path)) {
            error->clear();
            return false;
        }
        return Database::create(path, kConnection, error);
    }
    return Database::open(path, kConnection, error);
}

bool MainWindow::InitDatabase()
{
    bool fromDialog = false;
    QString path = m_dbPathOverride.isEmpty() ? m_settings.dbPath() : m_dbPathOverride;
    if (path.isEmpty()) {
        path = askPath();
        fromDialog = true;
    }
    QString error;
    if (!openProject(path, fromDialog, &error)) {
        if (!error.isEmpty()) {
            m_startupUi.showError(this, error);
        }
        // One more chance to pick a file, then the window opens empty.
        path = askPath();
        if (!openProject(path, true, &error)) {
            if (!error.isEmpty()) {
                m_startupUi.showError(this, error);
            }
            return false;
        }
    }
    m_dbPath = path;
    QString title = QStringLiteral("Cairnwork");
    if (Database::isServer(kConnection)) {
        title += QStringLiteral(" - ") + Database::filePath(kConnection); // shown without a password
    }
    if (Database::isReadOnly(kConnection)) {
        // The file system or the server refuses writing: browsing works, the commands that
        // add or delete are off, and every save says why it cannot.
        title += QStringLiteral(" (read-only)");
        m_statusText->setText(Database::readOnlyReason(kConnection));
        m_statusText->setToolTip(m_statusText->text());
        m_mnuPop->setWritable(false);
    }
    setWindowTitle(title);
    m_listener = new ChangeListener(kConnection, this);
    connect(m_listener, &ChangeListener::changed, this, [this](const QString& table) {
        m_changedTables.insert(table);
        // Bursts (one save touches several tables) come in as one refresh.
        if (!m_refreshTimer->isActive()) {
            m_refreshTimer->start();
        }
    });
    m_mnuRptRpt1->setEnabled(true);
    m_mnuRptRes->setEnabled(true);
    m_mnuRptCompare->setEnabled(true);
    m_mnuRptTrend->setEnabled(true);
    m_mnuRptTimeline->setEnabled(true);
    QTreeWidgetItem* root = m_tvGoal->addRoot();
    m_tvGoal->BuildGoalLevel(root);
    root->setExpanded(true);
    FillTaskList(m_tvGoal->currentItem());
    FillResourceList(0);
    FillNoteList(0);
    // The steps kept in the project, or why there are none to take back.
    m_undoMenu->refresh();
    return true;
}

void MainWindow::refreshSoon()
{
    if (!m_refreshTimer->isActive()) {
        m_refreshTimer->start();
    }
}

void MainWindow::refreshFromServer()
{
    // Not under an open dialog or inside a write: their own refresh follows, and this one
    // comes once they are done.
    if (QApplication::activeModalWidget() || Transaction::isOpen(kConnection)) {
        m_refreshTimer->start();
        return;
    }
    const QSet<QString> tables = std::exchange(m_changedTables, {});
    m_tvGoal->refreshLoadedLevels();
    const std::optional<qint64> taskId = m_lvTask->selectedTaskId();
    const std::optional<qint64> goalId = m_lvTask->selectedGoalId();
    FillTaskList(m_tvGoal->currentItem());
    if (taskId) {
        m_lvTask->selectTaskRow(*taskId);
    } else if (goalId) {
        m_lvTask->selectGoalRow(*goalId);
    }
    const int row = m_lvTask->selectedIndex();
    FillResourceList(row);
    FillNoteList(row);
    if (m_reports && tables.contains(QStringLiteral("compdates"))) {
        m_reports->FillTimestampList();
    }
}

void MainWindow::FillTaskList(QTreeWidgetItem* node)
{
    if (!node) {
        return;
    }
    m_lvTask->FillTaskList(GoalTree::goalId(node));
}

void MainWindow::FillResourceList(int row)
{
    m_lvResource->FillResourceList(m_lvTask->detailTaskId(row));
}

void MainWindow::FillNoteList(int row)
{
    m_lvNotes->FillNoteList(m_lvTask->detailTaskId(row));
}

void MainWindow::onNodeClicked(QTreeWidgetItem* node)
{
    // The tree has refreshed the node's level already.
    FillTaskList(node);
    const int row = m_lvTask->selectedIndex();
    if (row >= 0) {
        FillResourceList(row);
        FillNoteList(row);
    }
}
