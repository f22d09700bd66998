#include "reports/ui/ReportsWindow.h"

#include "charts/ui/TimelineWindow.h"
#include "common/Clock.h"
#include "common/Stamp.h"
#include "common/ui/MessageBox.h"
#include "common/ui/WaitCursor.h"
#include "db/Database.h"
#include "reports/ReportDocument.h"
#include "reports/ReportRows.h"
#include "reports/ui/CompareWindow.h"
#include "reports/ui/ReportPreviewWindow.h"
#include "schedule/SnapshotGenerator.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QString kNoData = QStringLiteral("There is no report data yet. Press \"Generate Report Data\" to compute a "
                                       "schedule snapshot first.");
const QString kNoSelection = QStringLiteral("Select a data timestamp first.");

} // namespace

ReportsWindow::ReportsWindow(const QString& connection, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_connection(connection)
    , m_clock(&Clock::system())
{
    setObjectName(QStringLiteral("frmReports"));
    setWindowTitle(QStringLiteral("Reports"));

    auto* label = new QLabel(QStringLiteral("Data Timestamp"), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("dParTStamp"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    label->setBuddy(m_list);
    m_generate = new QPushButton(QStringLiteral("Generate Report Data"), this);
    m_generate->setObjectName(QStringLiteral("bGenerateData"));
    m_overview = new QPushButton(QStringLiteral("Overview..."), this);
    m_overview->setObjectName(QStringLiteral("bShowReport"));
    m_memberSchedule = new QPushButton(QStringLiteral("Team Member Schedules..."), this);
    m_memberSchedule->setObjectName(QStringLiteral("bShowTeamMemSched"));
    m_taskSchedule = new QPushButton(QStringLiteral("Task Schedules..."), this);
    m_taskSchedule->setObjectName(QStringLiteral("bShowTaskSched"));
    auto* compare = new QPushButton(QStringLiteral("Compare Snapshots..."), this);
    compare->setObjectName(QStringLiteral("bCompare"));
    auto* timeline = new QPushButton(QStringLiteral("Timeline..."), this);
    timeline->setObjectName(QStringLiteral("bTimeline"));

    // The style's hint leaves a long text touching the edges: an "M" of room on either side.
    for (QPushButton* b : {m_generate, m_overview, m_memberSchedule, m_taskSchedule, compare, timeline}) {
        const QFontMetrics metrics(b->font());
        const int room = metrics.horizontalAdvance(QLatin1Char('M'));
        b->setMinimumWidth(std::max(b->sizeHint().width(), metrics.horizontalAdvance(b->text()) + 2 * room));
    }
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_overview);
    buttons->addWidget(m_memberSchedule);
    buttons->addWidget(m_taskSchedule);
    buttons->addStretch(1);
    buttons->addWidget(compare);
    buttons->addWidget(timeline);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_list, 1, 0);
    grid->addWidget(m_generate, 2, 0);
    grid->addLayout(buttons, 1, 1, 2, 1);
    grid->setColumnStretch(0, 1);

    connect(m_generate, &QPushButton::clicked, this, &ReportsWindow::generateData);
    connect(m_overview, &QPushButton::clicked, this, &ReportsWindow::showOverview);
    connect(m_taskSchedule, &QPushButton::clicked, this, &ReportsWindow::showTaskSchedule);
    connect(m_memberSchedule, &QPushButton::clicked, this, &ReportsWindow::showTeamMemberSchedule);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &ReportsWindow::showOverview);
    connect(compare, &QPushButton::clicked, this, [this] {
        auto* window = new CompareWindow(m_connection, this);
        window->show();
        window->raise();
        window->activateWindow();
    });

    // The chosen snapshot's timeline; without a choice the window opens on the newest.
    connect(timeline, &QPushButton::clicked, this, [this] {
        auto* window = new TimelineWindow(m_connection, this, selectedStamp());
        window->show();
        window->raise();
        window->activateWindow();
    });

    if (Database::isReadOnly(m_connection)) {
        m_generate->setEnabled(false);
        m_generate->setToolTip(Database::readOnlyReason(m_connection));
    }
    resize(440, 300);
    FillTimestampList();
}

ReportsWindow::~ReportsWindow() = default;

void ReportsWindow::setClock(const Clock* clock)
{
    m_clock = clock ? clock : &Clock::system();
}

void ReportsWindow::FillTimestampList()
{
    m_list->clear();
    QStringList stamps;
    QString error;
    if (!ReportRows::stamps(m_connection, &stamps, &error)) {
        updateButtons();
        MessageBox::error(this, error);
        return;
    }
    for (const QString& stamp : stamps) {
        auto* item = new QListWidgetItem(Stamp::toDisplay(stamp), m_list);
        item->setData(Qt::UserRole, stamp);
    }
    if (m_list->count() > 0) {
        m_list->setCurrentRow(0);
    }
    updateButtons();
}

QString ReportsWindow::selectedStamp() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(Qt::UserRole).toString();
}

void ReportsWindow::updateButtons()
{
    // The buttons stay usable: pressed without data they say why they cannot run.
    const QString tip = m_list->count() == 0 ? kNoData : QString();
    for (QPushButton* b : {m_overview, m_memberSchedule, m_taskSchedule}) {
        b->setToolTip(tip);
    }
}

void ReportsWindow::generateData()
{
    QProgressDialog progress(QStringLiteral("Generating report data..."), QString(), 0, 100, this);
    progress.setWindowTitle(windowTitle());
    // The generation holds a write transaction on the shared connection: nothing else
    // may act on the project while the progress dialog lets events through.
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(300);
    QString stamp;
    QString error;
    bool ok = false;
    {
        WaitCursor wait;
        const QString working = progress.labelText();
        bool waited = false;
        // Another snapshot of a shared project may be under way: say so, and let the
        // person stop waiting, instead of freezing until it is done.
        const auto waiting = [&progress, &waited](const QString& message) {
            if (!waited) {
                progress.setCancelButtonText(QStringLiteral("Stop Waiting"));
                waited = true;
            }
            progress.setLabelText(message);
            progress.show();
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        };
        ok = SnapshotGenerator::GenerateCompDates(
            m_connection,
            *m_clock,
            &stamp,
            &error,
            false,
            [&](int percent) {
                if (waited) {
                    progress.setCancelButtonText(QString()); // past waiting, the generation runs to its end
                    progress.setLabelText(working);
                    waited = false;
                }
                progress.setValue(percent);
            },
            waiting);
        progress.reset();
    }
    if (!ok) {
        // The generation leaves no partial snapshot, so the list stays as it is.
        MessageBox::error(this, error);
        return;
    }
    FillTimestampList();
}

void ReportsWindow::showOverview()
{
    showReport(ReportLoader::Kind::Overview);
}

void ReportsWindow::showTaskSchedule()
{
    showReport(ReportLoader::Kind::TaskSchedule);
}

void ReportsWindow::showTeamMemberSchedule()
{
    showReport(ReportLoader::Kind::MemberSchedule);
}

void ReportsWindow::showReport(ReportLoader::Kind kind)
{
    const QString stamp = selectedStamp();
    if (stamp.isEmpty()) {
        MessageBox::information(this, windowTitle(), m_list->count() == 0 ? kNoData : kNoSelection);
        return;
    }
    std::unique_ptr<ReportDocument> document;
    QString error;
    {
        WaitCursor wait;
        document = ReportLoader::load(m_connection, kind, stamp, &error);
    }
    if (!document) {
        MessageBox::error(this, error);
        return;
    }
    auto* preview = new ReportPreviewWindow(std::move(document), this);
    preview->show();
    preview->raise();
    preview->activateWindow();
}
