#include "charts/ui/TimelineWindow.h"

#include "charts/ICalendar.h"
#include "charts/ui/TimelineCanvas.h"
#include "common/Stamp.h"
#include "common/ui/MessageBox.h"
#include "common/ui/SavePath.h"
#include "common/ui/WaitCursor.h"
#include "history/SnapshotState.h"
#include "reports/ExportFile.h"
#include "reports/ExportTarget.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

} // namespace

TimelineWindow::TimelineWindow(const QString& connection, QWidget* parent, const QString& stamp)
    : QWidget(parent, Qt::Window)
    , m_connection(connection)
{
    setObjectName(QStringLiteral("frmTimeline"));
    setWindowTitle(QStringLiteral("Timeline"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1200, 640);

    m_cboStamp = new QComboBox;
    m_cboStamp->setObjectName(QStringLiteral("cboStamp"));
    m_cboView = new QComboBox;
    m_cboView->setObjectName(QStringLiteral("cboView"));
    m_cboView->addItem(QStringLiteral("By member"), int(Timeline::View::ByMember));
    m_cboView->addItem(QStringLiteral("By goal"), int(Timeline::View::ByGoal));
    m_cboZoom = new QComboBox;
    m_cboZoom->setObjectName(QStringLiteral("cboZoom"));
    for (const TimelinePicture::Zoom z : {TimelinePicture::Zoom::Days,
                                          TimelinePicture::Zoom::Weeks,
                                          TimelinePicture::Zoom::Months,
                                          TimelinePicture::Zoom::Quarters}) {
        m_cboZoom->addItem(TimelinePicture::zoomText(z), int(z));
    }
    m_cboZoom->setCurrentIndex(1);
    m_print = new QPushButton(QStringLiteral("&Print..."));
    m_print->setObjectName(QStringLiteral("bPrint"));
    m_savePdf = new QPushButton(QStringLiteral("Save P&DF..."));
    m_savePdf->setObjectName(QStringLiteral("bSavePdf"));
    m_savePng = new QPushButton(QStringLiteral("Save P&NG..."));
    m_savePng->setObjectName(QStringLiteral("bSavePng"));

    auto* options = new QHBoxLayout;
    const auto labelled = [&](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text);
        label->setBuddy(buddy);
        options->addWidget(label);
        options->addWidget(buddy);
    };
    labelled(QStringLiteral("&Snapshot:"), m_cboStamp);
    labelled(QStringLiteral("&View:"), m_cboView);
    labelled(QStringLiteral("&Zoom:"), m_cboZoom);
    options->addStretch();
    options->addWidget(m_print);
    options->addWidget(m_savePdf);
    options->addWidget(m_savePng);

    m_canvas = new TimelineCanvas;
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(m_canvas, 1);
    layout->addWidget(m_status);

    m_laneMenu = new QMenu(this);
    m_laneMenu->setObjectName(QStringLiteral("mnuLane"));
    QAction* calendar = m_laneMenu->addAction(QStringLiteral("Export &Calendar..."));
    calendar->setObjectName(QStringLiteral("mnuLaneCalendar"));
    connect(calendar, &QAction::triggered, this, [this] { exportCalendarOf(m_menuRow); });

    connect(m_cboStamp, &QComboBox::currentIndexChanged, this, &TimelineWindow::load);
    connect(m_cboView, &QComboBox::currentIndexChanged, this, [this] {
        rebuild();
        m_canvas->setCurrentRow(0);
    });
    connect(m_cboZoom, &QComboBox::currentIndexChanged, this, &TimelineWindow::rebuild);
    connect(m_canvas, &TimelineCanvas::zoomStep, this, &TimelineWindow::zoomBy);
    connect(m_canvas, &TimelineCanvas::expandRequested, this, &TimelineWindow::expand);
    connect(m_canvas, &TimelineCanvas::menuRequested, this, [this](int row, const QPoint& at) {
        if (m_picture && m_picture->rows()[std::size_t(row)].lane >= 0) {
            m_menuRow = row;
            m_laneMenu->popup(at);
        }
    });
    connect(m_print, &QPushButton::clicked, this, &TimelineWindow::print);
    connect(m_savePdf, &QPushButton::clicked, this, [this] { saveAs(true); });
    connect(m_savePng, &QPushButton::clicked, this, [this] { saveAs(false); });

    fillStamps(stamp);
    m_canvas->setFocus();
}

TimelineWindow::~TimelineWindow() = default;

void TimelineWindow::fillStamps(const QString& wanted)
{
    QStringList stamps;
    QString error;
    if (!SnapshotState::stamps(m_connection, &stamps, &error)) {
        MessageBox::error(this, error);
    }
    const QSignalBlocker block(m_cboStamp);
    m_cboStamp->clear();
    // Newest first, as the reports window lists them.
    for (auto it = stamps.crbegin(); it != stamps.crend(); ++it) {
        m_cboStamp->addItem(Stamp::toDisplay(*it), *it);
    }
    const int at = m_cboStamp->findData(wanted);
    m_cboStamp->setCurrentIndex(at >= 0 ? at : 0);
    load();
}

void TimelineWindow::showStamp(const QString& stamp)
{
    const int at = m_cboStamp->findData(stamp);
    if (at < 0) {
        fillStamps(stamp);
    } else {
        m_cboStamp->setCurrentIndex(at);
    }
}

void TimelineWindow::load()
{
    const QString stamp = m_cboStamp->currentData().toString();
    QString error;
    m_loaded = false;
    if (!stamp.isEmpty()) {
        WaitCursor wait;
        Timeline timeline;
        m_loaded = Timeline::load(m_connection, stamp, &timeline, &error);
        if (m_loaded) {
            m_timeline = std::move(timeline);
        }
    }
    if (!m_loaded) {
        m_timeline = Timeline();
    }
    rebuild();
    if (m_picture) {
        // Open on the snapshot's moment, a little of the past in sight.
        m_canvas->scrollToMoment(m_timeline.moment() - 86400);
        m_canvas->setCurrentRow(0);
    }
    if (!error.isEmpty()) {
        MessageBox::error(this, error);
    }
}

void TimelineWindow::rebuild()
{
    const auto view = Timeline::View(m_cboView->currentData().toInt());
    const auto zoom = TimelinePicture::Zoom(m_cboZoom->currentData().toInt());
    for (QPushButton* b : {m_print, m_savePdf, m_savePng}) {
        b->setEnabled(m_loaded);
    }
    if (!m_loaded) {
        m_picture.reset();
        m_canvas->setPicture(nullptr);
        m_status->setText(m_cboStamp->count() == 0
                              ? QStringLiteral("The project has no snapshots: generate one in the reports window.")
                              : QStringLiteral("The snapshot cannot be shown."));
        return;
    }
    const std::vector<Timeline::Node>& outline = m_timeline.outline();
    std::vector<TimelinePicture::Row> rows = TimelinePicture::rowsOf(m_timeline, view, [&](int node) {
        return m_collapsed.contains(outline[std::size_t(node)].id) &&
            outline[std::size_t(node)].kind != Timeline::Node::Kind::Task;
    });
    if (view == Timeline::View::ByGoal) {
        // A node with rows below it shows whether they are shown.
        std::vector<char> parent(outline.size(), 0);
        for (const Timeline::Node& n : outline) {
            if (n.parent >= 0) {
                parent[std::size_t(n.parent)] = 1;
            }
        }
        for (TimelinePicture::Row& r : rows) {
            const Timeline::Node& n = outline[std::size_t(r.node)];
            qsizetype indent = 0; // the outline's leading spaces; a name may end in spaces of its own
            while (indent < r.label.size() && r.label.at(indent) == QLatin1Char(' ')) {
                ++indent;
            }
            const QString mark = !parent[std::size_t(r.node)] ? QStringLiteral("   ")
                : m_collapsed.contains(n.id)                  ? QStringLiteral("\u25b8 ")
                                                              : QStringLiteral("\u25be ");
            r.label.insert(indent, mark);
        }
    }
    m_picture = std::make_shared<TimelinePicture>(m_timeline, view, zoom, std::move(rows), font());
    m_canvas->setPicture(m_picture);

    qsizetype bars = 0;
    for (const Timeline::Lane& lane : m_timeline.lanes()) {
        bars += qsizetype(lane.bars.size());
    }
    QString status = QStringLiteral("Snapshot %1: %2 members, %3 scheduled assignments.")
                         .arg(Stamp::toDisplay(m_timeline.stamp()))
                         .arg(m_timeline.lanes().size())
                         .arg(bars);
    if (!m_timeline.hoursStored()) {
        status += QStringLiteral(" This snapshot keeps no working hours: each bar starts where the member's previous "
                                 "one ended.");
    }
    m_status->setText(status);
}

void TimelineWindow::expand(int row, int how)
{
    if (!m_picture || m_cboView->currentData().toInt() != int(Timeline::View::ByGoal) || row < 0 ||
        row >= int(m_picture->rows().size())) {
        return;
    }
    const Timeline::Node& n = m_timeline.outline()[std::size_t(m_picture->rows()[std::size_t(row)].node)];
    if (n.kind == Timeline::Node::Kind::Task) {
        return;
    }
    const bool collapse = how == -1 ? !m_collapsed.contains(n.id) : how == 0;
    if (collapse == m_collapsed.contains(n.id)) {
        return;
    }
    if (collapse) {
        m_collapsed.insert(n.id);
    } else {
        m_collapsed.remove(n.id);
    }
    // The row keeps its place: only the rows below it come or go.
    rebuild();
    m_canvas->setCurrentRow(row);
}

void TimelineWindow::zoomBy(int step)
{
    m_cboZoom->setCurrentIndex(std::clamp(m_cboZoom->currentIndex() + step, 0, m_cboZoom->count() - 1));
}

QString TimelineWindow::chooseFile(const QString& title, const QString& suggested, const QString& filter) const
{
    if (m_choosePath) {
        return m_choosePath(title, suggested, filter);
    }
    return QFileDialog::getSaveFileName(const_cast<TimelineWindow*>(this), title, suggested, filter);
}

bool TimelineWindow::savePng(const QString& path, QString* error)
{
    ExportFile file(path);
    bool cut = false;
    if (!m_picture || !file.open(error)) {
        return false;
    }
    if (!m_picture->writePng(file, &cut, error)) {
        file.cancel();
        return false;
    }
    if (!file.commit(error)) {
        return false;
    }
    if (cut) {
        m_status->setText(QStringLiteral("The PNG stops at %1 pixels a side: zoom out, collapse rows or save a PDF "
                                         "for the whole timeline.")
                              .arg(TimelinePicture::kMaxPngSide));
    }
    return true;
}

bool TimelineWindow::savePdf(const QString& path, QString* error)
{
    ExportFile file(path);
    if (!m_picture || !file.open(error)) {
        return false;
    }
    if (!m_picture->writePdf(file, error)) {
        file.cancel();
        return false;
    }
    return file.commit(error);
}

bool TimelineWindow::exportCalendar(const QString& member, const QString& path, QString* error)
{
    return m_loaded && ICalendar::writeMemberCalendar(m_timeline, member, path, error);
}

void TimelineWindow::saveAs(bool pdf)
{
    if (!m_picture) {
        return;
    }
    const QString suffix = pdf ? QStringLiteral("pdf") : QStringLiteral("png");
    const QString name = QStringLiteral("Timeline %1 %2")
                             .arg(m_cboView->currentText(), QString(m_timeline.stamp()).replace(QLatin1Char(':'), '-'));
    QString path = chooseFile(pdf ? QStringLiteral("Save PDF") : QStringLiteral("Save PNG"),
                              SavePath::inDocuments(name) + QLatin1Char('.') + suffix,
                              pdf ? QStringLiteral("PDF files (*.pdf);;All files (*)")
                                  : QStringLiteral("PNG pictures (*.png);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    path = SavePath::withSuffix(path, suffix);
    QString error;
    bool ok = false;
    {
        WaitCursor wait;
        ok = pdf ? savePdf(path, &error) : savePng(path, &error);
    }
    if (!ok) {
        MessageBox::error(this, error);
    }
}

void TimelineWindow::exportCalendarOf(int row)
{
    if (!m_picture || row < 0 || row >= int(m_picture->rows().size()) || m_picture->rows()[std::size_t(row)].lane < 0) {
        return;
    }
    const QString member = m_timeline.lanes()[std::size_t(m_picture->rows()[std::size_t(row)].lane)].member;
    QString path = chooseFile(QStringLiteral("Export Calendar"),
                              SavePath::inDocuments(member) + QStringLiteral(".ics"),
                              QStringLiteral("iCalendar files (*.ics);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    path = SavePath::withSuffix(path, QStringLiteral("ics"));
    QString error;
    if (!exportCalendar(member, path, &error)) {
        MessageBox::error(this, error);
    }
}

void TimelineWindow::print()
{
    if (!m_picture) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // Printing to a file writes as an export does, and may not land on a project either.
    if (!printer.outputFileName().isEmpty()) {
        QString target;
        QString error;
        if (!ExportTarget::resolve(printer.outputFileName(), &target, &error)) {
            MessageBox::error(this, error);
            return;
        }
        printer.setOutputFileName(target);
    }
    WaitCursor wait;
    m_picture->paintPages(printer);
}
