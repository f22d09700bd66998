#include "charts/ui/TrendWindow.h"

#include "charts/ChartColours.h"
#include "charts/ChartTreeSource.h"
#include "charts/TrendPicture.h"
#include "charts/TrendQuery.h"
#include "charts/TrendSummary.h"
#include "common/Stamp.h"
#include "common/ui/MessageBox.h"
#include "common/ui/TreeImages.h"
#include "common/ui/WaitCursor.h"
#include "history/SnapshotComparison.h"
#include "reports/ReportFormat.h"
#include "schedule/MemberCalendar.h"

#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QDateTimeAxis>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

struct TrendWindow::Compared
{
    SnapshotState a;
    SnapshotState b;
    SnapshotComparison comparison;
};

namespace {

const QString kGoalRoot = QStringLiteral("ROOT");
// Pairs of snapshots whose comparison stays at hand for hovering.
constexpr qsizetype kComparedKept = 8;

QString days(qint64 seconds)
{
    const QString text = ReportFormat::twoDecimals(double(seconds) / 86400.0) + QStringLiteral(" d");
    return seconds > 0 ? QLatin1Char('+') + text : text;
}

SnapshotRow::Kind rowKind(ChartFilter::Kind kind)
{
    return kind == ChartFilter::Kind::Root ? SnapshotRow::Kind::Root
        : kind == ChartFilter::Kind::Goal  ? SnapshotRow::Kind::Goal
                                           : SnapshotRow::Kind::Task;
}

// A chart coordinate for a day on the trend's scale. The axes show local time, so
// the naive stamp is read as local time: it then shows as stored.
qreal msecs(double days)
{
    const QDateTime t = TrendSummary::fromDays(days);
    return qreal(QDateTime(t.date(), t.time()).toMSecsSinceEpoch());
}

qreal msecs(const QDateTime& t)
{
    return msecs(TrendSummary::toDays(t));
}

QString dateText(const QDateTime& t)
{
    return t.isValid() ? QLocale::system().toString(t.date(), QLocale::ShortFormat) : QString();
}

QDateTimeAxis* dateAxis(double lo, double hi)
{
    auto* axis = new QDateTimeAxis;
    axis->setFormat(QStringLiteral("yyyy-MM-dd"));
    axis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(msecs(lo))),
                   QDateTime::fromMSecsSinceEpoch(qint64(msecs(hi))));
    axis->setTickCount(6);
    return axis;
}

} // namespace

TrendWindow::TrendWindow(const QString& connection, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_connection(connection)
{
    setObjectName(QStringLiteral("frmTrend"));
    setWindowTitle(QStringLiteral("Forecast Trend"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1280, 640);

    m_tvGoal = new QTreeWidget;
    m_tvGoal->setObjectName(QStringLiteral("tvGoal"));
    m_tvGoal->setHeaderHidden(true);
    m_tvGoal->setUniformRowHeights(true);

    m_cboPeriod = new QComboBox;
    m_cboPeriod->setObjectName(QStringLiteral("cboPeriod"));
    m_cboPeriod->addItem(QStringLiteral("Every snapshot"));
    for (const ChartState::Grouping g :
         {ChartState::Grouping::Week, ChartState::Grouping::Month, ChartState::Grouping::Quarter}) {
        m_cboPeriod->addItem(ChartState::groupingText(g), int(g));
    }
    m_spnLast = new QSpinBox;
    m_spnLast->setObjectName(QStringLiteral("spnLast"));
    m_spnLast->setRange(2, 520);
    m_spnLast->setValue(TrendSummary::kDefaultLast);
    m_spnThreshold = new QDoubleSpinBox;
    m_spnThreshold->setObjectName(QStringLiteral("spnThreshold"));
    m_spnThreshold->setRange(0, 365);
    m_spnThreshold->setDecimals(1);
    m_spnThreshold->setSingleStep(0.5);
    m_spnThreshold->setValue(TrendSummary::kDefaultThreshold);
    m_spnThreshold->setSuffix(QStringLiteral(" days/week"));

    auto* options = new QHBoxLayout;
    options->addWidget(new QLabel(QStringLiteral("Points:")));
    options->addWidget(m_cboPeriod);
    options->addWidget(new QLabel(QStringLiteral("Trend over the last")));
    options->addWidget(m_spnLast);
    options->addWidget(new QLabel(QStringLiteral("Flag beyond")));
    options->addWidget(m_spnThreshold);
    options->addStretch();

    m_xy = new QChartView;
    m_xy->setObjectName(QStringLiteral("xyTrend"));
    m_xy->setRenderHint(QPainter::Antialiasing);
    m_xy->chart()->legend()->setAlignment(Qt::AlignBottom);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("lblStatus"));

    auto* middle = new QWidget;
    auto* middleLayout = new QVBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    middleLayout->addLayout(options);
    middleLayout->addWidget(m_xy, 1);
    middleLayout->addWidget(m_status);

    m_twTrend = new QTableWidget(0, 8);
    m_twTrend->setObjectName(QStringLiteral("twTrend"));
    m_twTrend->setHorizontalHeaderLabels({QStringLiteral("Node"),
                                          QStringLiteral("First forecast"),
                                          QStringLiteral("Latest forecast"),
                                          QStringLiteral("Slip (days)"),
                                          QStringLiteral("Slip per week"),
                                          QStringLiteral("Direction changes"),
                                          QStringLiteral("Trend finish"),
                                          QStringLiteral("Flag")});
    m_twTrend->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_twTrend->verticalHeader()->hide();
    m_twTrend->setWordWrap(false);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_tvGoal);
    splitter->addWidget(middle);
    splitter->addWidget(m_twTrend);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 620, 460});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    m_building = true;
    QTreeWidgetItem* root = ChartTreeItems::add(
        nullptr, QStringLiteral("Goals/Applications"), kGoalRoot, QStringLiteral("Root"), true, true);
    m_tvGoal->addTopLevelItem(root);
    root->setCheckState(0, Qt::Checked);
    m_building = false;
    BuildNode(root);
    root->setExpanded(true);

    connect(m_tvGoal, &QTreeWidget::itemExpanded, this, &TrendWindow::BuildNode);
    connect(m_tvGoal, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (!m_building && column == 0) {
            refresh();
        }
    });
    connect(m_cboPeriod, &QComboBox::currentIndexChanged, this, &TrendWindow::refresh);
    // Fitting and flagging need no new reading, only new figures.
    connect(m_spnLast, &QSpinBox::valueChanged, this, [this] {
        drawChart();
        fillTable();
    });
    connect(m_spnThreshold, &QDoubleSpinBox::valueChanged, this, &TrendWindow::fillTable);
    refresh();
}

TrendWindow::~TrendWindow() = default;

QChart* TrendWindow::chart() const
{
    return m_xy->chart();
}

void TrendWindow::BuildNode(QTreeWidgetItem* node)
{
    const QString tag = node ? node->data(0, TagRole).toString() : QString();
    // Tasks end the tree here: their assignments have no forecast line of their own.
    if (!node || node->childCount() > 0 || tag.startsWith(QLatin1Char('T'))) {
        return;
    }
    QString error;
    m_building = true;
    const bool ok = ChartTreeItems::addChildren(
        m_connection,
        node,
        [](const QString& child) { return !child.startsWith(QLatin1Char('R')); },
        [](const QString& child) { return child.startsWith(QLatin1Char('G')); },
        &error);
    m_building = false;
    if (!ok) {
        MessageBox::error(this, error);
    }
}

std::optional<ChartState::Grouping> TrendWindow::grouping() const
{
    const QVariant g = m_cboPeriod->currentData();
    return g.isValid() ? std::optional(ChartState::Grouping(g.toInt())) : std::nullopt;
}

void TrendWindow::refresh()
{
    QList<ChartTreeNode> nodes = ChartTreeItems::nodes(m_tvGoal);
    const ChartFilter filter = ChartFilter::BuildChartFilter(ChartSource::Goals, &nodes);
    QString error;
    if (!TrendQuery::load(m_connection, filter, grouping(), &m_lines, &error)) {
        m_lines.clear();
        MessageBox::error(this, error);
    }
    drawChart();
    fillTable();
}

void TrendWindow::drawChart()
{
    QChart* chart = m_xy->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const int last = m_spnLast->value();
    const auto [lo, hi] = TrendPicture::span(m_lines, last);
    QDateTimeAxis* x = dateAxis(lo, hi);
    QDateTimeAxis* y = dateAxis(lo, hi);
    x->setTitleText(QStringLiteral("Snapshot"));
    y->setTitleText(QStringLiteral("Forecast completion"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    auto add = [&](QAbstractSeries* series, bool inLegend) {
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
        if (!inLegend) {
            for (QLegendMarker* marker : chart->legend()->markers(series)) {
                marker->setVisible(false);
            }
        }
    };

    // Below the diagonal a forecast would lie in the past.
    auto* diagonal = new QLineSeries;
    diagonal->append(msecs(lo), msecs(lo));
    diagonal->append(msecs(hi), msecs(hi));
    auto* floor = new QLineSeries;
    floor->append(msecs(lo), msecs(lo));
    floor->append(msecs(hi), msecs(lo));
    auto* past = new QAreaSeries(diagonal, floor);
    diagonal->setParent(past);
    floor->setParent(past);
    past->setName(QStringLiteral("past"));
    past->setBrush(QColor(0xe6, 0xe6, 0xe6));
    past->setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DashLine));
    add(past, false);

    qsizetype shown = 0;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const TrendLine& line = m_lines.at(i);
        const QColor colour = QColor::fromRgb(QRgb(ChartColours::rgb(int(i % ChartColours::kCount))));
        const QList<TrendLine::Point> forecasts = line.forecasts();
        auto* series = new QLineSeries;
        series->setName(line.name);
        series->setColor(colour);
        series->setPointsVisible(true);
        for (const TrendLine::Point& p : forecasts) {
            series->append(msecs(p.stamp), msecs(p.forecast));
        }
        if (line.end == TrendLine::End::Completed) {
            series->append(msecs(line.points.last().stamp), msecs(line.points.last().stamp));
        }
        add(series, true);
        shown += series->count() > 0;
        connect(series, &QLineSeries::hovered, this, [this, i](const QPointF& at, bool on) {
            if (on) {
                showTip(int(i), at);
            } else {
                QToolTip::hideText();
            }
        });

        if (line.end != TrendLine::End::Open && !line.points.isEmpty()) {
            auto* end = new QScatterSeries;
            end->setName(line.endStatus);
            const QDateTime stamp = line.points.last().stamp;
            if (line.end == TrendLine::End::Completed) {
                end->setMarkerShape(QScatterSeries::MarkerShapeCircle);
                end->setColor(colour);
                end->append(msecs(stamp), msecs(stamp));
            } else if (!forecasts.isEmpty()) {
                // Held: a hollow diamond at the last forecast, where the work stopped.
                end->setMarkerShape(QScatterSeries::MarkerShapeRotatedRectangle);
                end->setColor(Qt::white);
                end->setBorderColor(colour);
                end->append(msecs(stamp), msecs(forecasts.last().forecast));
            }
            end->setMarkerSize(12);
            add(end, false);
        }

        const TrendSummary s = TrendSummary::of(line, last);
        if (line.end == TrendLine::End::Open && s.fit.valid) {
            const double to = s.trendFinish ? TrendSummary::toDays(*s.trendFinish) : hi;
            auto* trend = new QLineSeries;
            trend->setName(QStringLiteral("trend"));
            trend->setPen(QPen(colour, 1.5, Qt::DashLine));
            const double from = s.fit.origin + s.fit.from;
            trend->append(msecs(from), msecs(s.fit.origin + s.fit.at(s.fit.from)));
            trend->append(msecs(to), msecs(s.fit.origin + s.fit.at(to - s.fit.origin)));
            add(trend, false);
        }
    }
    m_status->setText(
        m_lines.isEmpty()
            ? QStringLiteral("Tick the root, goals or tasks to draw their forecasts.")
            : QStringLiteral("%1 of %2 ticked nodes have forecasts in the snapshots.").arg(shown).arg(m_lines.size()));
}

void TrendWindow::fillTable()
{
    const int last = m_spnLast->value();
    const double threshold = m_spnThreshold->value();
    const QLocale locale = QLocale::system();
    m_twTrend->setRowCount(int(m_lines.size()));
    for (int row = 0; row < m_lines.size(); ++row) {
        const TrendLine& line = m_lines.at(row);
        const TrendSummary s = TrendSummary::of(line, last, threshold);
        const QString finish =
            !s.finishes ? TrendSummary::neverFinishes() : (s.trendFinish ? dateText(*s.trendFinish) : QString());
        const QStringList cells{line.name,
                                dateText(s.firstForecast),
                                dateText(s.latestForecast),
                                s.firstForecast.isValid() ? locale.toString(s.slipDays, 'f', 1) : QString(),
                                s.slipPerWeek ? locale.toString(*s.slipPerWeek, 'f', 1) : QString(),
                                QString::number(s.directionChanges),
                                finish,
                                s.flagText(line)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells.at(column));
            if (column == Slip || column == SlipPerWeek || column == DirectionChanges) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            m_twTrend->setItem(row, column, item);
        }
        if (s.flag == TrendSummary::Flag::Slipping || s.flag == TrendSummary::Flag::Recovering) {
            m_twTrend->item(row, Flag)->setForeground(
                s.flag == TrendSummary::Flag::Slipping ? QColor(0xb0, 0x20, 0x20) : QColor(0x20, 0x80, 0x20));
        }
    }
    m_twTrend->resizeColumnsToContents();
}

std::shared_ptr<const TrendWindow::Compared>
TrendWindow::comparison(const QString& from, const QString& to, QString* error)
{
    const auto key = std::pair(from, to);
    if (const auto it = m_compared.find(key); it != m_compared.end()) {
        return it->second;
    }
    auto compared = std::make_shared<Compared>();
    {
        WaitCursor wait;
        const bool ok = SnapshotState::loadPair(m_connection, from, to, 0, &compared->a, &compared->b, error) &&
            compared->comparison.compare(compared->a, compared->b, error);
        if (!ok) {
            return nullptr;
        }
    }
    if (m_comparedOrder.size() >= kComparedKept) {
        m_compared.erase(m_comparedOrder.takeFirst());
    }
    m_comparedOrder.append(key);
    m_compared.emplace(key, compared);
    return compared;
}

QString TrendWindow::segmentTip(int line, int segment)
{
    if (line < 0 || line >= m_lines.size()) {
        return {};
    }
    const TrendLine& l = m_lines.at(line);
    if (segment < 0 || segment + 1 >= l.points.size()) {
        return {};
    }
    const QString from = Stamp::toText(l.points.at(segment).stamp);
    const QString to = Stamp::toText(l.points.at(segment + 1).stamp);
    QStringList text{QStringLiteral("%1: %2 to %3").arg(l.name, Stamp::toDisplay(from), Stamp::toDisplay(to))};
    QString error;
    const std::shared_ptr<const Compared> c = comparison(from, to, &error);
    if (!c) {
        text.append(error);
        return text.join(QLatin1Char('\n'));
    }
    const SnapshotRow::Kind kind = rowKind(l.node.kind);
    const SnapshotComparison::Row* row = nullptr;
    for (const SnapshotComparison::Row& r : c->comparison.rows()) {
        if (r.kind == kind && (kind == SnapshotRow::Kind::Root || r.id == l.node.id)) {
            row = &r;
            break;
        }
    }
    if (!row || !row->datedInBoth()) {
        text.append(QStringLiteral("No forecast in both snapshots to explain."));
        return text.join(QLatin1Char('\n'));
    }
    const auto date = [](qint64 seconds) { return ReportFormat::dateTime(MemberCalendar::toText(seconds)); };
    text.append(
        QStringLiteral("Forecast %1 to %2: %3").arg(date(row->dateA), date(row->dateB), days(row->dateB - row->dateA)));
    if (row->explained) {
        for (int cause = 0; cause < SnapshotComparison::kCauses; ++cause) {
            text.append(QStringLiteral("%1: %2").arg(SnapshotComparison::causeName(cause),
                                                     days(row->causes[std::size_t(cause)])));
        }
    } else {
        text.append(QStringLiteral("The schedule replayed from the snapshots does not reach these dates, "
                                   "so the change is not split into causes."));
    }
    if (row->flags & SnapshotComparison::HoursUnknown) {
        text.append(QStringLiteral("A snapshot keeps no working hours: the current hours stood in for them."));
    }
    return text.join(QLatin1Char('\n'));
}

void TrendWindow::showTip(int line, const QPointF& at)
{
    const TrendLine& l = m_lines.at(line);
    const qsizetype drawn = l.forecasts().size() + (l.end == TrendLine::End::Completed ? 1 : 0);
    // The segment under the pointer: the last drawn point at or before it.
    int segment = 0;
    while (segment + 2 < drawn && msecs(l.points.at(segment + 1).stamp) <= at.x()) {
        ++segment;
    }
    const QString tip = segmentTip(line, segment);
    if (!tip.isEmpty()) {
        QToolTip::showText(QCursor::pos(), Qt::convertFromPlainText(tip, Qt::WhiteSpacePre), m_xy);
    }
}
