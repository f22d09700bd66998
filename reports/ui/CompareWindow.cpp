#include "reports/ui/CompareWindow.h"

#include "common/Clock.h"
#include "common/Stamp.h"
#include "common/ui/MessageBox.h"
#include "common/ui/SavePath.h"
#include "common/ui/WaitCursor.h"
#include "history/ComparisonCsv.h"
#include "history/ComparisonReport.h"
#include "history/SnapshotComparison.h"
#include "reports/ReportDocument.h"
#include "reports/ReportFormat.h"
#include "reports/ui/CauseBars.h"
#include "reports/ui/ReportPreviewWindow.h"
#include "schedule/MemberCalendar.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

struct CompareWindow::Compared
{
    SnapshotState a;
    SnapshotState b;
    SnapshotComparison comparison;
};

namespace {
enum Column { Name, StatusA, StatusB, DateA, DateB, Change, Flags };
constexpr int kRowRole = Qt::UserRole;

QString dateText(qint64 seconds)
{
    return ReportFormat::dateTime(MemberCalendar::toText(seconds));
}

bool changed(const SnapshotComparison::Row& row)
{
    const unsigned quiet = SnapshotComparison::Undated | SnapshotComparison::HoursUnknown;
    return (row.flags & ~quiet) != 0 || row.dateA != row.dateB;
}
} // namespace

CompareWindow::CompareWindow(const QString& connection, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_connection(connection)
    , m_clock(&Clock::system())
{
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(QStringLiteral("Compare Snapshots"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_stampA = new QComboBox(this);
    m_stampA->setObjectName(QStringLiteral("cboStampA"));
    m_stampB = new QComboBox(this);
    m_stampB->setObjectName(QStringLiteral("cboStampB"));
    m_changedOnly = new QCheckBox(QStringLiteral("Changed rows only"), this);
    m_changedOnly->setObjectName(QStringLiteral("chkChangedOnly"));
    m_print = new QPushButton(QStringLiteral("Print / PDF..."), this);
    m_print->setObjectName(QStringLiteral("bPrint"));
    m_csv = new QPushButton(QStringLiteral("Export CSV..."), this);
    m_csv->setObjectName(QStringLiteral("bExportCsv"));

    m_outline = new QTreeWidget(this);
    m_outline->setObjectName(QStringLiteral("tvCompare"));
    m_outline->setRootIsDecorated(false);
    m_outline->setUniformRowHeights(true);
    m_outline->setHeaderLabels({QStringLiteral("Name"),
                                QStringLiteral("Status A"),
                                QStringLiteral("Status B"),
                                QStringLiteral("Completion A"),
                                QStringLiteral("Completion B"),
                                QStringLiteral("Change (days)"),
                                QStringLiteral("Flags")});
    m_outline->header()->setSectionResizeMode(Name, QHeaderView::Interactive);
    for (const auto& [column, width] :
         {std::pair{Name, 240}, {StatusA, 80}, {StatusB, 80}, {DateA, 150}, {DateB, 150}}) {
        m_outline->setColumnWidth(column, width);
    }

    auto* why = new QWidget(this);
    auto* whyTitle = new QLabel(QStringLiteral("Why did it move?"), why);
    whyTitle->setObjectName(QStringLiteral("lblWhy"));
    m_causes = new CauseBars(why);
    auto* largestTitle = new QLabel(QStringLiteral("The changes that moved it most"), why);
    m_largest = new QListWidget(why);
    m_largest->setObjectName(QStringLiteral("lstLargest"));
    auto* whyLayout = new QVBoxLayout(why);
    whyLayout->setContentsMargins(0, 0, 0, 0);
    whyLayout->addWidget(whyTitle);
    whyLayout->addWidget(m_causes);
    whyLayout->addWidget(largestTitle);
    whyLayout->addWidget(m_largest, 1);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_outline);
    splitter->addWidget(why);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("A:"), this));
    top->addWidget(m_stampA);
    top->addWidget(new QLabel(QStringLiteral("B:"), this));
    top->addWidget(m_stampB);
    top->addWidget(m_changedOnly);
    top->addStretch(1);
    top->addWidget(m_print);
    top->addWidget(m_csv);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);

    connect(m_stampA, &QComboBox::activated, this, &CompareWindow::compare);
    connect(m_stampB, &QComboBox::activated, this, &CompareWindow::compare);
    connect(m_changedOnly, &QCheckBox::toggled, this, &CompareWindow::fillOutline);
    connect(m_outline, &QTreeWidget::currentItemChanged, this, &CompareWindow::showWhy);
    connect(m_print, &QPushButton::clicked, this, &CompareWindow::preview);
    connect(m_csv, &QPushButton::clicked, this, &CompareWindow::exportCsv);

    resize(1100, 600);
    fillStamps();
}

CompareWindow::~CompareWindow() = default;

void CompareWindow::setClock(const Clock* clock)
{
    m_clock = clock ? clock : &Clock::system();
}

void CompareWindow::fillStamps()
{
    QStringList stamps;
    QString error;
    if (!SnapshotState::stamps(m_connection, &stamps, &error)) {
        MessageBox::error(this, error);
        return;
    }
    m_stampA->clear();
    m_stampB->clear();
    m_stampB->addItem(QStringLiteral("Now"), QString());
    // Newest first, as the reports window lists them.
    for (auto it = stamps.crbegin(); it != stamps.crend(); ++it) {
        m_stampA->addItem(Stamp::toDisplay(*it), *it);
        m_stampB->addItem(Stamp::toDisplay(*it), *it);
    }
    m_stampA->setCurrentIndex(stamps.size() > 1 ? 1 : 0);
    m_stampB->setCurrentIndex(stamps.isEmpty() ? 0 : 1);
    compare();
}

void CompareWindow::compare()
{
    m_compared.reset();
    const QString from = m_stampA->currentData().toString();
    if (from.isEmpty()) {
        fillOutline();
        return;
    }
    auto compared = std::make_shared<Compared>();
    QString error;
    {
        WaitCursor wait;
        const QString to = m_stampB->currentData().toString();
        const qint64 now = MemberCalendar::toSeconds(Stamp::fromText(Stamp::toText(m_clock->now())));
        if (!SnapshotState::loadPair(m_connection, from, to, now, &compared->a, &compared->b, &error) ||
            !compared->comparison.compare(compared->a, compared->b, &error)) {
            compared.reset();
        }
    }
    if (!compared) {
        fillOutline();
        MessageBox::error(this, error);
        return;
    }
    m_compared = std::move(compared);
    fillOutline();
}

void CompareWindow::fillOutline()
{
    m_outline->clear();
    m_causes->setShares(std::nullopt);
    m_largest->clear();
    const bool any = m_compared != nullptr;
    m_print->setEnabled(any);
    m_csv->setEnabled(any);
    if (!any) {
        return;
    }
    const SnapshotComparison& c = m_compared->comparison;
    const bool onlyChanged = m_changedOnly->isChecked();
    QList<QTreeWidgetItem*> items;
    const auto& rows = c.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SnapshotComparison::Row& r = rows[i];
        if (onlyChanged && !changed(r)) {
            continue;
        }
        auto* item = new QTreeWidgetItem;
        item->setText(Name, r.outlineName());
        item->setText(StatusA, r.a >= 0 ? c.a().rows[std::size_t(r.a)].statusText() : QString());
        item->setText(StatusB, r.b >= 0 ? c.b().rows[std::size_t(r.b)].statusText() : QString());
        item->setText(DateA, dateText(r.dateA));
        item->setText(DateB, dateText(r.dateB));
        if (r.datedInBoth()) {
            item->setText(Change, ReportFormat::twoDecimals(double(r.dateB - r.dateA) / 86400.0));
            item->setTextAlignment(Change, Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setText(Flags, SnapshotComparison::flagWords(r.flags));
        QStyle::StandardPixmap icon = QStyle::SP_CustomBase;
        if (r.flags & (SnapshotComparison::Unexplained | SnapshotComparison::HoursUnknown)) {
            icon = QStyle::SP_MessageBoxWarning;
        } else if (r.flags & SnapshotComparison::Added) {
            icon = QStyle::SP_FileDialogNewFolder;
        } else if (r.flags & SnapshotComparison::Removed) {
            icon = QStyle::SP_TrashIcon;
        } else if (r.datedInBoth() && r.dateB != r.dateA) {
            icon = r.dateB > r.dateA ? QStyle::SP_ArrowDown : QStyle::SP_ArrowUp;
        }
        if (icon != QStyle::SP_CustomBase) {
            item->setIcon(Flags, style()->standardIcon(icon));
        }
        item->setData(Name, kRowRole, qlonglong(i));
        items << item;
    }
    m_outline->addTopLevelItems(items);
}

void CompareWindow::showWhy()
{
    m_causes->setShares(std::nullopt);
    m_largest->clear();
    const QTreeWidgetItem* item = m_outline->currentItem();
    if (!m_compared || !item) {
        return;
    }
    const int index = int(item->data(Name, kRowRole).toLongLong());
    const SnapshotComparison::Row& row = m_compared->comparison.rows()[std::size_t(index)];
    if (row.explained) {
        m_causes->setShares(row.causes);
    }
    WaitCursor wait;
    for (const LargestChanges::Change& change : m_compared->comparison.largestChanges(index)) {
        m_largest->addItem(change.words);
    }
}

void CompareWindow::preview()
{
    if (!m_compared) {
        return;
    }
    auto document = std::make_unique<ReportDocument>(
        std::make_unique<ComparisonReport>(m_compared->comparison, std::shared_ptr<const void>(m_compared)));
    auto* window = new ReportPreviewWindow(std::move(document), this);
    window->show();
    window->raise();
    window->activateWindow();
}

void CompareWindow::exportCsv()
{
    if (!m_compared) {
        return;
    }
    QString path = QFileDialog::getSaveFileName(this,
                                                QStringLiteral("Export CSV"),
                                                SavePath::inDocuments(QStringLiteral("Compare Snapshots.csv")),
                                                QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    path = SavePath::withSuffix(path, QStringLiteral("csv"));
    QString error;
    WaitCursor wait;
    if (!ComparisonCsv::write(m_compared->comparison, path, &error)) {
        MessageBox::error(this, error);
    }
}
