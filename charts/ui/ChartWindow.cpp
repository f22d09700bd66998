#include "charts/ui/ChartWindow.h"

#include "charts/ChartLayout.h"
#include "charts/ChartPivot.h"
#include "charts/ChartTreeSource.h"
#include "charts/ui/ChartTreeItems.h"
#include "charts/ui/TrendWindow.h"
#include "common/Twips.h"
#include "common/ui/MessageBox.h"
#include "common/ui/TreeImages.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeWidget>
#include <QValueAxis>

namespace {

const QString kGoalRoot = QStringLiteral("ROOT");
const QString kMemberRoot = QStringLiteral("MTEAM");

QPixmap placeholderPicture()
{
    QPixmap pixmap(160, 120);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor grey(0xb0, 0xb0, 0xb0);
    p.setPen(QPen(grey, 3));
    p.drawLine(20, 10, 20, 100);
    p.drawLine(20, 100, 150, 100);
    p.setPen(QPen(QColor(0x8a, 0xa8, 0xd0), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPolygonF line({QPointF(30, 80), QPointF(60, 60), QPointF(90, 70), QPointF(140, 25)});
    p.drawPolyline(line);
    p.setBrush(Qt::white);
    for (const QPointF& point : line) {
        p.drawEllipse(point, 5, 5);
    }
    return pixmap;
}

// Stored wall-clock values shown as they are: local time of the same reading.
qint64 axisMSecs(double serial)
{
    const QDateTime naive = ChartTable::dateFromSerial(serial);
    return QDateTime(naive.date(), naive.time()).toMSecsSinceEpoch();
}

QAbstractAxis* valueAxis(const ChartAxis& scale, bool dates, bool progress)
{
    double min = scale.min;
    double max = scale.max;
    if (!scale.hasValues) {
        // Nothing to show: a plain unit scale instead of the inverted start values.
        min = 0;
        max = 1;
    } else if (min >= max) {
        const double pad = progress ? 0.05 : 1.0;
        min -= pad;
        max += pad;
    }
    const int ticks = scale.majorDivision + 1;
    if (dates) {
        auto* axis = new QDateTimeAxis;
        axis->setFormat(QStringLiteral("dd.MM.yyyy"));
        axis->setTickCount(ticks);
        axis->setRange(QDateTime::fromMSecsSinceEpoch(axisMSecs(min)), QDateTime::fromMSecsSinceEpoch(axisMSecs(max)));
        return axis;
    }
    auto* axis = new QValueAxis;
    axis->setTickCount(ticks);
    axis->setRange(min, max);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(ChartAxis::labelDecimals(min, max, scale.majorDivision)));
    return axis;
}

} // namespace

ChartWindow::ChartWindow(const QString& connection, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_connection(connection)
{
    setObjectName(QStringLiteral("frmChart"));
    setWindowTitle(QStringLiteral("Progress Analysis"));
    setAttribute(Qt::WA_DeleteOnClose);

    for (QTreeWidget** tree : {&m_tvGoal, &m_tvTeam}) {
        *tree = new QTreeWidget(this);
        (*tree)->setHeaderHidden(true);
        (*tree)->setColumnCount(1);
        (*tree)->setRootIsDecorated(true);
        (*tree)->setUniformRowHeights(true);
        (*tree)->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(*tree, &QTreeWidget::itemChanged, this, &ChartWindow::onItemChanged);
    }
    m_tvGoal->setObjectName(QStringLiteral("tvGoal"));
    m_tvTeam->setObjectName(QStringLiteral("tvTeam"));
    connect(m_tvGoal, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        BuildNode(item);
        item->setExpanded(true);
    });
    connect(m_tvGoal, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (item->childCount() == 0) {
            BuildNode(item);
        }
    });

    m_xy = new QChartView(this);
    m_xy->setObjectName(QStringLiteral("XY"));
    m_xy->setRenderHint(QPainter::Antialiasing);
    m_xy->chart()->legend()->setVisible(true);
    m_xy->chart()->legend()->setAlignment(Qt::AlignBottom);
    m_xy->viewport()->installEventFilter(this);
    // The room for the period labels changes with the plot's width.
    connect(m_xy->chart(), &QChart::plotAreaChanged, this, &ChartWindow::placeLabels);

    m_picIcon = new QLabel(this);
    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_picIcon->setAlignment(Qt::AlignCenter);
    m_picIcon->setPixmap(placeholderPicture());
    m_picIcon->setAutoFillBackground(true);
    QPalette white = m_picIcon->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_picIcon->setPalette(white);
    m_picIcon->installEventFilter(this);

    m_imgSplitter = new QWidget(this);
    m_imgSplitter->setObjectName(QStringLiteral("imgSplitter"));
    m_imgSplitter->setCursor(Qt::SizeHorCursor);
    m_imgSplitter->installEventFilter(this);

    m_picSplitter = new QWidget(this);
    m_picSplitter->setObjectName(QStringLiteral("picSplitter"));
    m_picSplitter->setAutoFillBackground(true);
    QPalette grey = m_picSplitter->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    m_picSplitter->setPalette(grey);
    m_picSplitter->hide();

    m_mnuPop = new QMenu(this);
    m_mnuPop->setObjectName(QStringLiteral("mnuPop"));
    m_mnuPopProperties = m_mnuPop->addAction(QStringLiteral("Properties..."));
    m_mnuPopProperties->setObjectName(QStringLiteral("mnuPopProperties"));
    connect(m_mnuPopProperties, &QAction::triggered, this, &ChartWindow::showProperties);
    QAction* trend = m_mnuPop->addAction(QStringLiteral("Forecast Trend..."));
    trend->setObjectName(QStringLiteral("mnuPopTrend"));
    connect(trend, &QAction::triggered, this, &ChartWindow::showTrend);

    m_split = ChartLayout::kInitialSplit;
    setMinimumWidth(px(ChartLayout::kMinWidth));
    resize(px(ChartLayout::kInitialWidth), Twips::toPixels(ChartLayout::kInitialHeight, logicalDpiY()));
    load();
}

ChartWindow::~ChartWindow()
{
    // The dialog edits this window's settings; it has no use without it.
    if (m_dialog) {
        m_dialog->close();
    }
}

QChart* ChartWindow::chart() const
{
    return m_xy->chart();
}

int ChartWindow::px(int t) const
{
    return Twips::toPixels(t, logicalDpiX());
}

int ChartWindow::twips(int pixels) const
{
    return Twips::toTwips(pixels, logicalDpiX());
}

void ChartWindow::load()
{
    m_refreshing = true;
    m_tvTeam->hide();
    m_tvGoal->show();

    QTreeWidgetItem* goalRoot = ChartTreeItems::add(
        nullptr, QStringLiteral("Goals/Applications"), kGoalRoot, QStringLiteral("Root"), true, true);
    m_tvGoal->addTopLevelItem(goalRoot);
    goalRoot->setCheckState(0, Qt::Checked);
    goalRoot->setData(0, CheckedRole, true);
    m_tvGoal->setCurrentItem(goalRoot);

    QTreeWidgetItem* memberRoot =
        ChartTreeItems::add(nullptr, QStringLiteral("Team Members"), kMemberRoot, QStringLiteral("Root"), true, false);
    m_tvTeam->addTopLevelItem(memberRoot);
    QStringList members;
    QString error;
    if (!ChartTreeSource::members(m_connection, &members, &error)) {
        MessageBox::error(this, error);
    }
    for (const QString& name : members) {
        ChartTreeItems::add(memberRoot, name, name, QStringLiteral("Root"), false, false);
    }
    memberRoot->setExpanded(true);
    m_refreshing = false;

    m_rightButton = false;
    layoutPanes();
    // The window opens with the placeholder although the goal root is ticked:
    // the first change of a tick draws the chart.
    m_state = ChartState::defaults();
    DrawChart();
}

bool ChartWindow::goalTreeShown() const
{
    return !m_tvGoal->isHidden();
}

void ChartWindow::showGoalTree(bool goals)
{
    m_tvGoal->setVisible(goals);
    m_tvTeam->setVisible(!goals);
    m_state.source = goals ? ChartSource::Goals : ChartSource::Members;
}

void ChartWindow::BuildNode(QTreeWidgetItem* node)
{
    if (!node || node->treeWidget() != m_tvGoal || node->childCount() > 0) {
        return;
    }
    QString error;
    const bool wasRefreshing = m_refreshing;
    m_refreshing = true;
    // Assignments are the leaves.
    const bool ok = ChartTreeItems::addChildren(
        m_connection, node, {}, [](const QString& tag) { return !tag.startsWith(QLatin1Char('R')); }, &error);
    m_refreshing = wasRefreshing;
    if (!ok) {
        MessageBox::error(this, error);
    }
}

void ChartWindow::onItemChanged(QTreeWidgetItem* item)
{
    const bool checked = item->checkState(0) == Qt::Checked;
    if (item->data(0, CheckedRole).toBool() == checked) {
        return; // text, icon or font changed, not the tick
    }
    item->setData(0, CheckedRole, checked);
    if (!m_refreshing) {
        refresh();
    }
}

ChartFilter ChartWindow::BuildChartFilter()
{
    QTreeWidget* tree = goalTreeShown() ? m_tvGoal : (m_tvTeam->isHidden() ? nullptr : m_tvTeam);
    if (!tree) {
        return {};
    }
    QList<QTreeWidgetItem*> items;
    QList<ChartTreeNode> nodes = ChartTreeItems::nodes(tree, &items);
    const ChartFilter filter =
        ChartFilter::BuildChartFilter(tree == m_tvGoal ? ChartSource::Goals : ChartSource::Members, &nodes);
    const bool wasRefreshing = m_refreshing;
    m_refreshing = true;
    for (int i = 0; i < items.size(); ++i) {
        if (!nodes.at(i).ticked && items.at(i)->checkState(0) == Qt::Checked) {
            items.at(i)->setCheckState(0, Qt::Unchecked);
        }
    }
    m_refreshing = wasRefreshing;
    return filter;
}

void ChartWindow::refresh()
{
    m_refreshing = true;
    m_state.source = goalTreeShown() ? ChartSource::Goals : ChartSource::Members;
    m_state.filter = BuildChartFilter();
    DrawChart();
    m_refreshing = false;
}

void ChartWindow::DrawChart()
{
    if (m_state.filter.isEmpty()) {
        m_picIcon->show();
        m_picIcon->raise();
        m_imgSplitter->raise();
        return;
    }
    m_picIcon->hide();
    QString error;
    const bool ok = ChartPivot::run(m_connection, m_state, &m_table, &error);
    m_axis = ChartAxis::compute(m_table, m_state.measure);
    fillChart();
    if (!ok) {
        // A stale chart would pass for the current one: show it empty and say why.
        MessageBox::error(this, error);
    }
}

void ChartWindow::fillChart()
{
    QChart* chart = m_xy->chart();
    chart->removeAllSeries();
    const QList<QAbstractAxis*> oldAxes = chart->axes();
    for (QAbstractAxis* axis : oldAxes) {
        chart->removeAxis(axis);
        delete axis;
    }

    // The periods sit at 0, 1, 2, ... with half a period of room at either end.
    m_periodLabels.clear();
    for (const ChartTable::Period& period : m_table.periods) {
        QString label = period.label;
        while (m_periodLabels.contains(label)) {
            label += QLatin1Char(' '); // the axis keeps only distinct labels
        }
        m_periodLabels << label;
    }
    auto* categories = new QCategoryAxis;
    categories->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    categories->setRange(-0.5, std::max(qsizetype(1), m_periodLabels.size()) - 0.5);
    categories->setStartValue(-0.5);
    m_periods = categories;
    m_labels.reset();
    chart->addAxis(categories, Qt::AlignBottom);
    placeLabels();
    const bool dates = m_state.isDateMeasure();
    QAbstractAxis* left = valueAxis(m_axis, dates, m_state.isProgressMeasure());
    QAbstractAxis* right = valueAxis(m_axis, dates, m_state.isProgressMeasure());
    chart->addAxis(left, Qt::AlignLeft);
    chart->addAxis(right, Qt::AlignRight);

    const QList<int> colours = m_colours.assign(m_state.source, m_table.series);
    for (int s = 0; s < m_table.series.size(); ++s) {
        const QColor colour(QRgb(ChartColours::rgb(colours.at(s))));
        // A NULL cell breaks the line: each unbroken run is a line of its own,
        // all in the series' colour, the first one named in the legend.
        QList<QLineSeries*> runs;
        QLineSeries* run = nullptr;
        const QList<std::optional<double>> values = m_table.column(s);
        for (int p = 0; p <= values.size(); ++p) {
            const bool has = p < values.size() && values.at(p).has_value();
            if (!has) {
                run = nullptr;
                continue;
            }
            if (!run) {
                run = new QLineSeries;
                runs << run;
            }
            const double v = *values.at(p);
            run->append(p, dates ? double(axisMSecs(v)) : v);
        }
        if (runs.isEmpty()) {
            runs << new QLineSeries; // a series without values still has its legend entry
        }
        for (int r = 0; r < runs.size(); ++r) {
            QLineSeries* line = runs.at(r);
            line->setName(m_table.series.at(s));
            QPen pen(colour, 2);
            line->setPen(pen);
            line->setColor(colour);
            chart->addSeries(line);
            line->setPointsVisible(true);
            line->setMarkerSize(4); // drawn as the radius
            line->attachAxis(categories);
            line->attachAxis(left);
            if (r > 0) {
                const QList<QLegendMarker*> markers = chart->legend()->markers(line);
                for (QLegendMarker* marker : markers) {
                    marker->setVisible(false);
                }
            }
        }
    }
    chart->setTitle(m_state.ChartTitle());
    chart->update();
}

void ChartWindow::placeLabels()
{
    if (!m_periods) {
        return;
    }
    const QFontMetrics metrics(m_periods->labelsFont());
    QList<int> widths;
    for (const QString& label : m_periodLabels) {
        widths << metrics.horizontalAdvance(label);
    }
    const double slot = chart()->plotArea().width() / std::max(qsizetype(1), m_periodLabels.size());
    const ChartLabels labels = ChartLabels::plan(widths, metrics.height(), slot);
    // Upright labels change the plot's height, not its width: this call comes
    // again and finds the labels as they are.
    if (m_labels == labels) {
        return;
    }
    m_labels = labels;
    const QStringList old = m_periods->categoriesLabels();
    for (const QString& label : old) {
        m_periods->remove(label);
    }
    m_periods->setLabelsAngle(labels.upright ? -90 : 0);
    for (int p = 0; p < m_periodLabels.size(); ++p) {
        if (labels.shows(p)) {
            m_periods->append(m_periodLabels.at(p), p);
        }
    }
}

void ChartWindow::showTrend()
{
    // Beside this window, not inside it: the trend stays open when the chart closes.
    auto* trend = new TrendWindow(m_connection, parentWidget());
    trend->show();
    trend->raise();
}

void ChartWindow::showProperties()
{
    if (m_dialog) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    m_dialog = new GraphPropertiesDialog({m_state.measure, m_state.aggregate, m_state.grouping, goalTreeShown()});
    connect(m_dialog, &GraphPropertiesDialog::optionsApplied, this, &ChartWindow::applyOptions);
    m_dialog->show();
}

void ChartWindow::applyOptions(const GraphPropertiesDialog::Options& options)
{
    showGoalTree(options.goalTree);
    m_state.measure = options.measure;
    m_state.aggregate = options.aggregate;
    m_state.grouping = options.grouping;
    activateWindow();
    refresh();
}

void ChartWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The window system may size the window below its minimum (QWidget::resize never
    // does); narrower, the chart is cut off, so the minimum is taken back.
    if (width() < minimumWidth()) {
        resize(minimumWidth(), height());
    }
    layoutPanes();
}

void ChartWindow::layoutPanes()
{
    const int dpiY = logicalDpiY();
    const ChartLayout::Panes panes = ChartLayout::layout(m_split, twips(width()), Twips::toTwips(height(), dpiY));
    auto toPx = [&](const QRect& r) { return QRect(px(r.x()), 0, px(r.width()), height()); };
    m_tvGoal->setGeometry(toPx(panes.tree));
    m_tvTeam->setGeometry(toPx(panes.tree));
    m_xy->setGeometry(toPx(panes.chart));
    m_picIcon->setGeometry(toPx(panes.chart));
    m_imgSplitter->setGeometry(toPx(panes.grip));
    m_imgSplitter->raise();
}

bool ChartWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) {
        return QWidget::eventFilter(watched, event);
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (watched == m_imgSplitter) {
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            const QRect grip = m_imgSplitter->geometry();
            m_picSplitter->setGeometry(
                grip.x(), grip.y(), grip.width() / 2, std::max(0, grip.height() - Twips::toPixels(20, logicalDpiY())));
            m_dragSplit = m_split;
            m_picSplitter->show();
            m_picSplitter->raise();
            m_moving = true;
        } else if (type == QEvent::MouseMove && m_moving) {
            m_dragSplit = ChartLayout::dragPosition(m_split, twips(int(mouse->position().x())), twips(width()));
            m_picSplitter->move(px(m_dragSplit), m_picSplitter->y());
        } else if (type == QEvent::MouseButtonRelease && m_moving) {
            m_split = m_dragSplit;
            layoutPanes();
            m_picSplitter->hide();
            m_moving = false;
        }
        return true;
    }
    if (watched == m_xy->viewport() || watched == m_picIcon) {
        if (type == QEvent::MouseButtonPress) {
            m_rightButton = mouse->button() == Qt::RightButton;
        } else if (type == QEvent::MouseButtonRelease && m_rightButton) {
            m_mnuPop->popup(mouse->globalPosition().toPoint());
        }
    }
    return QWidget::eventFilter(watched, event);
}
