#include "app/MainWindow.h"

#include "app/AppSettings.h"
#include "app/StartupUi.h"
#include "browser/ui/GoalTree.h"
#include "db/Database.h"
#include "db/FileProbe.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

const QString MainWindow::kConnection = QStringLiteral("dbConn");

namespace {
QTreeWidget* makeList(const QString& name, const QStringList& headers, QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHeaderLabels(headers);
    return list;
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
}

MainWindow::~MainWindow()
{
    Database::close(kConnection);
}

void MainWindow::buildUi()
{
    m_split = new QSplitter(Qt::Horizontal, this);
    m_tvGoal = new GoalTree(m_split);
    m_listSplit = new QSplitter(Qt::Vertical, m_split);
    m_lvTask = makeList(QStringLiteral("lvTask"),
                        {QString(),
                         QStringLiteral("Priority"),
                         QStringLiteral("Days Planned"),
                         QStringLiteral("% done"),
                         QStringLiteral("Days Needed"),
                         QStringLiteral("Estimated Days Needed"),
                         QStringLiteral("Schedule +/-")},
                        m_listSplit);
    m_lvResource = makeList(QStringLiteral("lvResource"),
                            {QString(),
                             QStringLiteral("% Workload"),
                             QStringLiteral("% done"),
                             QStringLiteral("% Total Workload Done"),
                             QStringLiteral("Days Needed"),
                             QStringLiteral("Estimated Days Needed"),
                             QStringLiteral("Schedule +/-")},
                            m_listSplit);
    m_lvNotes = makeList(QStringLiteral("lvNotes"), {QString(), QStringLiteral("Timestamp")}, m_listSplit);
    m_split->setStretchFactor(0, 1);
    m_split->setStretchFactor(1, 3);
    setCentralWidget(m_split);
    m_tvGoal->setConnection(kConnection);
    connect(m_tvGoal, &GoalTree::nodeClicked, this, &MainWindow::onNodeClicked);
    connect(m_tvGoal, &GoalTree::paneClicked, this, [this](bool right) {
        m_state.activePane = AppState::Tree;
        m_state.rightButton = right;
    });

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    m_statusText = new QLabel(QStringLiteral("Status"), bar);
    m_statusDate = new QLabel(bar);
    m_statusTime = new QLabel(bar);
    bar->addWidget(m_statusText, 1);
    bar->addPermanentWidget(m_statusDate);
    bar->addPermanentWidget(m_statusTime);
    setStatusBar(bar);
    updateClock();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &MainWindow::updateClock);
    clock->start(1000);
    resize(900, 600);
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
    // The choice is remembered at once, whatever it is, unless this run was given a file.
    if (m_dbPathOverride.isEmpty()) {
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
    QTreeWidgetItem* root = m_tvGoal->addRoot();
    m_tvGoal->BuildGoalLevel(root);
    root->setExpanded(true);
    return true;
}

void MainWindow::onNodeClicked(QTreeWidgetItem* node)
{
    Q_UNUSED(node);
    m_state.activePane = AppState::Tree;
}
