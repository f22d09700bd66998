#include "charts/ChartLayout.h"
#include "charts/ui/ChartWindow.h"
#include "charts/ui/GraphPropertiesDialog.h"
#include "common/Twips.h"
#include "common/ui/MessageBox.h"
#include "tests/support/ChartHistory.h"
#include "tests/support/TestSql.h"
#include "tests/support/WidgetTest.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QValueAxis>
#include <QWindow>
#include <QtTest>

using namespace WidgetTest;

Q_DECLARE_METATYPE(ChartState::Grouping)

// The chart window and its properties dialog, driven by objectName over a real
// project with hand-written snapshots.
class TestChartWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void opensWithPlaceholderThenDrawsEachTickedNode();
    void emptyCellsBreakTheLine();
    void memberTreeAndItsRoot();
    void dialogLoadsAppliesAndCloses();
    void rightClickOpensMenu();
    void failedQueryIsShownNotHidden();
    void axisLabelsAreWholeAndAlike_data();
    void axisLabelsAreWholeAndAlike();
    void dividerStaysOffTheEdges();
    void keepsItsMinimumWidth();

private:
    // The series drawn, each name once (a series broken by empty cells is drawn in pieces).
    QStringList legend(ChartWindow* w)
    {
        QStringList names;
        for (QAbstractSeries* s : w->chart()->series()) {
            if (!names.contains(s->name())) {
                names << s->name();
            }
        }
        return names;
    }
    QTreeWidgetItem* goalRoot() { return child<QTreeWidget>(m_w, "tvGoal")->topLevelItem(0); }
    // Loads the goal root's children and ticks the one named `goal`.
    void tick(const QString& goal)
    {
        clickNode(goalRoot());
        childNamed(goalRoot(), goal)->setCheckState(0, Qt::Checked);
    }
    QColor colour(ChartWindow* w, const QString& series)
    {
        for (QAbstractSeries* s : w->chart()->series()) {
            if (s->name() == series) {
                return static_cast<QLineSeries*>(s)->color();
            }
        }
        return {};
    }
    // Drags the divider by `toX` pixels from the left of its grip.
    void dragDivider(ChartWindow* w, int toX)
    {
        auto* grip = child<QWidget>(w, "imgSplitter");
        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(2, 5));
        QVERIFY(child<QWidget>(w, "picSplitter")->isVisible());
        for (QEvent::Type type : {QEvent::MouseMove, QEvent::MouseButtonRelease}) {
            const bool move = type == QEvent::MouseMove;
            QMouseEvent event(type,
                              QPointF(toX, 5),
                              grip->mapToGlobal(QPointF(toX, 5)),
                              move ? Qt::NoButton : Qt::LeftButton,
                              move ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(grip, &event);
        }
        QVERIFY(!child<QWidget>(w, "picSplitter")->isVisible());
    }
    // The texts the chart shows, with where they stand in the view, once laid out.
    QList<QPair<QString, QRectF>> texts(ChartWindow* w)
    {
        auto* xy = child<QChartView>(w, "XY");
        // A change of the period labels asks for a second layout.
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
        QList<QPair<QString, QRectF>> found;
        for (QGraphicsItem* item : xy->scene()->items()) {
            auto* text = dynamic_cast<QGraphicsTextItem*>(item);
            if (text && text->isVisible() && !text->toPlainText().isEmpty()) {
                found.append({text->toPlainText(), xy->mapFromScene(text->sceneBoundingRect()).boundingRect()});
            }
        }
        return found;
    }
    QRectF plotArea(ChartWindow* w)
    {
        auto* xy = child<QChartView>(w, "XY");
        return xy->mapFromScene(w->chart()->mapRectToScene(w->chart()->plotArea())).boundingRect();
    }
    static GraphPropertiesDialog* shownDialog()
    {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<GraphPropertiesDialog*>(top); d && d->isVisible()) {
                return d;
            }
        }
        return nullptr;
    }
    GraphPropertiesDialog* openDialog(ChartWindow* w)
    {
        w->showProperties();
        GraphPropertiesDialog* d = shownDialog();
        if (!d) {
            qFatal("no properties dialog");
        }
        return d;
    }

    std::unique_ptr<TempProject> m_p;
    QPointer<ChartWindow> m_w;
    qint64 m_alpha = 0;
    qint64 m_beta = 0;
    qint64 m_task = 0;
};

void TestChartWindow::init()
{
    m_p = std::make_unique<TempProject>();
    TempProject& p = *m_p;
    p.member(QStringLiteral("Dana O'Brien"));
    m_alpha = p.goal(QStringLiteral("Alpha"));
    m_beta = p.goal(QStringLiteral("Beta"));
    m_task = p.task(m_alpha, QStringLiteral("Write"), 10);
    p.assign(m_task, QStringLiteral("Dana O'Brien"), 100, 50, 4);
    const QStringList stamps = ChartHistory::stamps();
    for (int i = 0; i < stamps.size(); ++i) {
        const QString& s = stamps.at(i);
        ChartHistory::goal(p, s, 0, QStringLiteral("Cairnwork"), -double(i));
        ChartHistory::goal(p, s, m_alpha, QStringLiteral("Alpha"), double(i) / 2);
        ChartHistory::goal(p, s, m_beta, QStringLiteral("Beta"), 3.0);
        ChartHistory::assignment(p,
                                 s,
                                 m_task,
                                 QStringLiteral("Dana O'Brien"),
                                 1.0 + i,
                                 1,
                                 QStringLiteral("2027-0%1-15 12:00:00").arg(i % 3 + 2));
    }
    m_w = new ChartWindow(p.connection());
    m_w->show();
}

void TestChartWindow::cleanup()
{
    delete m_w;
    m_p.reset();
    QCOMPARE(MessageBox::takeShown().size(), 0);
}

void TestChartWindow::opensWithPlaceholderThenDrawsEachTickedNode()
{
    ChartWindow* w = m_w;
    auto* tvGoal = child<QTreeWidget>(w, "tvGoal");
    auto* tvTeam = child<QTreeWidget>(w, "tvTeam");
    QVERIFY(tvGoal->isVisible());
    QVERIFY(!tvTeam->isVisible());
    QTreeWidgetItem* root = tvGoal->topLevelItem(0);
    QCOMPARE(root->checkState(0), Qt::Checked);
    QCOMPARE(tvGoal->currentItem(), root);
    QCOMPARE(root->childCount(), 0); // no goal loaded yet
    QCOMPARE(tvTeam->topLevelItem(0)->checkState(0), Qt::Unchecked);
    QCOMPARE(tvTeam->topLevelItem(0)->childCount(), 1);
    // The root is ticked, yet nothing is drawn until a tick changes.
    QVERIFY(child<QLabel>(w, "picIcon")->isVisible());
    QVERIFY(w->chart()->series().isEmpty());
    QVERIFY(w->state().filter.isEmpty());

    clickNode(root);
    QCOMPARE(root->childCount(), 2);
    clickNode(root); // loaded once
    QCOMPARE(root->childCount(), 2);
    QTreeWidgetItem* alpha = childNamed(root, QStringLiteral("Alpha"));
    QVERIFY(alpha->font(0).bold());
    alpha->setCheckState(0, Qt::Checked);

    QVERIFY(!child<QLabel>(w, "picIcon")->isVisible());
    QCOMPARE(legend(w), (QStringList{"Alpha", "Cairnwork"}));
    QCOMPARE(qobject_cast<QCategoryAxis*>(w->chart()->axes(Qt::Horizontal).value(0))->count(), 4);
    // Both value axes share one scale: Cairnwork runs 0..-7, Alpha 0..3.5.
    for (QAbstractAxis* axis : w->chart()->axes(Qt::Vertical)) {
        QCOMPARE(qobject_cast<QValueAxis*>(axis)->min(), -7.0);
        QCOMPARE(qobject_cast<QValueAxis*>(axis)->max(), 4.0);
    }

    // A series keeps its colour whatever else is ticked: Alpha sorts before
    // Cairnwork, so a colour by place would move Cairnwork's.
    const QColor cairnwork = colour(w, QStringLiteral("Cairnwork"));
    QVERIFY(colour(w, QStringLiteral("Alpha")) != cairnwork);
    alpha->setCheckState(0, Qt::Unchecked);
    QCOMPARE(legend(w), QStringList{"Cairnwork"});
    QCOMPARE(colour(w, QStringLiteral("Cairnwork")), cairnwork);
    root->setCheckState(0, Qt::Unchecked);
    QVERIFY(child<QLabel>(w, "picIcon")->isVisible());
}

void TestChartWindow::emptyCellsBreakTheLine()
{
    // Beta alone: 11/2026 has no row of it, so no such period; 12/2026 holds
    // a NULL, so its line stops there and starts again, drawn in pieces with
    // one legend entry.
    runSql(*m_p, QStringLiteral("DELETE FROM CompDates WHERE GT_Name = 'Beta' AND TimeStamp LIKE '2026-11%'"));
    runSql(*m_p,
           QStringLiteral("UPDATE CompDates SET Diff = NULL WHERE GT_Name = 'Beta' AND TimeStamp LIKE '2026-12%'"));
    ChartWindow* w = m_w;
    goalRoot()->setCheckState(0, Qt::Unchecked);
    tick(QStringLiteral("Beta"));
    const QList<QAbstractSeries*> pieces = w->chart()->series();
    QCOMPARE(pieces.size(), 2);
    QList<QPointF> points;
    for (QAbstractSeries* piece : pieces) {
        auto* line = qobject_cast<QLineSeries*>(piece);
        QCOMPARE(line->name(), QStringLiteral("Beta"));
        QCOMPARE(line->color(), static_cast<QLineSeries*>(pieces.first())->color());
        points += line->points();
    }
    QCOMPARE(points, (QList<QPointF>{{0, 3}, {2, 3}}));
    // One legend entry for the broken line; the legend lays out its markers when the scene updates.
    const auto shownMarkers = [&] {
        int shown = 0;
        for (QAbstractSeries* piece : pieces) {
            for (QLegendMarker* marker : w->chart()->legend()->markers(piece)) {
                shown += marker->isVisible() ? 1 : 0;
            }
        }
        return shown;
    };
    QTRY_COMPARE(shownMarkers(), 1);
}

void TestChartWindow::memberTreeAndItsRoot()
{
    ChartWindow* w = m_w;
    GraphPropertiesDialog* d = openDialog(w);
    child<QRadioButton>(d, "otvTeam")->setChecked(true);
    QPointer<GraphPropertiesDialog> guard(d);
    child<QPushButton>(d, "cmdOK")->click();
    QTRY_VERIFY(!guard);
    auto* tvTeam = child<QTreeWidget>(w, "tvTeam");
    QVERIFY(tvTeam->isVisible());
    QVERIFY(!child<QTreeWidget>(w, "tvGoal")->isVisible());
    // No member ticked: the placeholder, though the goal root is still ticked.
    QVERIFY(child<QLabel>(w, "picIcon")->isVisible());

    QTreeWidgetItem* root = tvTeam->topLevelItem(0);
    root->setCheckState(0, Qt::Checked);
    QCOMPARE(root->checkState(0), Qt::Unchecked);
    QVERIFY(child<QLabel>(w, "picIcon")->isVisible());

    root->child(0)->setCheckState(0, Qt::Checked);
    QCOMPARE(legend(w), QStringList{"Dana O'Brien"});
    // The goal tree kept its tick for a later switch back.
    QCOMPARE(child<QTreeWidget>(w, "tvGoal")->topLevelItem(0)->checkState(0), Qt::Checked);
}

void TestChartWindow::dialogLoadsAppliesAndCloses()
{
    ChartWindow* w = m_w;
    GraphPropertiesDialog* d = openDialog(w);
    QPointer<GraphPropertiesDialog> guard(d);
    QVERIFY(!d->isModal());
    QVERIFY(!d->parentWidget());
    for (const char* name : {"oDiff", "oLast", "oMonth", "otvGoal"}) {
        QVERIFY2(child<QRadioButton>(d, name)->isChecked(), name);
    }
    QVERIFY(child<QRadioButton>(d, "oSum")->isHidden());
    // A second "Properties..." brings the open dialog forward instead of a new one.
    QCOMPARE(openDialog(w), d);

    runSql(*m_p, QStringLiteral("UPDATE CompDates SET Completion_Date = '2027-03-01 10:00:00' WHERE OBJ = 'G'"));
    tick(QStringLiteral("Alpha"));
    child<QRadioButton>(d, "oCompDate")->setChecked(true);
    child<QPushButton>(d, "cmdApply")->click();
    QVERIFY(d->isVisible());
    QCOMPARE(w->state().measure, ChartState::Measure::Completion_Date);
    // One date only: the scale opens a day to either side.
    auto* dates = qobject_cast<QDateTimeAxis*>(w->chart()->axes(Qt::Vertical).value(0));
    QCOMPARE(dates->min(), QDateTime(QDate(2027, 2, 28), QTime(10, 0)));
    QCOMPARE(dates->max(), QDateTime(QDate(2027, 3, 2), QTime(10, 0)));

    // Cancel after Apply keeps what was applied and drops the rest.
    child<QRadioButton>(d, "oYear")->setChecked(true);
    child<QPushButton>(d, "cmdCancel")->click();
    QTRY_VERIFY(!guard);
    QCOMPARE(w->state().grouping, ChartState::Grouping::Month);
    QCOMPARE(w->state().measure, ChartState::Measure::Completion_Date);
    guard = openDialog(w);
    QVERIFY(child<QRadioButton>(guard, "oCompDate")->isChecked());
    QVERIFY(child<QRadioButton>(guard, "oMonth")->isChecked());

    // Escape drops the choice; OK applies it and closes.
    child<QRadioButton>(guard, "oAvg")->setChecked(true);
    QTest::keyClick(guard, Qt::Key_Escape);
    QTRY_VERIFY(!guard);
    QCOMPARE(w->state().aggregate, ChartState::Aggregate::Last);
    guard = openDialog(w);
    child<QRadioButton>(guard, "oFirst")->setChecked(true);
    child<QRadioButton>(guard, "oWeek")->setChecked(true);
    child<QPushButton>(guard, "cmdOK")->click();
    QTRY_VERIFY(!guard);
    QCOMPARE(w->state().aggregate, ChartState::Aggregate::First);
    QCOMPARE(w->chart()->title(), QStringLiteral("First (Earliest Completion Date)"));
    QCOMPARE(w->table().periods.size(), 6); // weeks

    // The dialog has no use without its chart window and closes with it.
    guard = openDialog(w);
    delete m_w;
    QTRY_VERIFY(!guard);
}

void TestChartWindow::rightClickOpensMenu()
{
    ChartWindow* w = m_w;
    auto* menu = child<QMenu>(w, "mnuPop");
    // Only the right button opens it, over the placeholder and over a drawn chart.
    const auto opensMenu = [menu](QWidget* over) {
        QTest::mouseClick(over, Qt::LeftButton);
        const bool byLeft = menu->isVisible();
        QTest::mouseClick(over, Qt::RightButton);
        const bool byRight = menu->isVisible();
        menu->hide();
        return !byLeft && byRight;
    };
    QVERIFY(opensMenu(child<QLabel>(w, "picIcon")));
    goalRoot()->setCheckState(0, Qt::Unchecked);
    goalRoot()->setCheckState(0, Qt::Checked);
    QVERIFY(opensMenu(child<QChartView>(w, "XY")->viewport()));
    QVERIFY(!shownDialog());
    child<QAction>(w, "mnuPopProperties")->trigger();
    QPointer<GraphPropertiesDialog> d = shownDialog();
    QVERIFY(d);
    d->close();
    QTRY_VERIFY(!d);
}

void TestChartWindow::failedQueryIsShownNotHidden()
{
    ChartWindow* w = m_w;
    goalRoot()->setCheckState(0, Qt::Unchecked);
    goalRoot()->setCheckState(0, Qt::Checked);
    QCOMPARE(legend(w), QStringList{"Cairnwork"});
    // A damaged file: the snapshot table is gone. The old chart must not stay
    // up as if it were current, and the user learns why.
    for (const char* drop :
         {"VIEW CompDatesRes", "VIEW rptVBHierarchy", "VIEW rptVBScheduleTeamMembers", "TABLE CompDates"}) {
        runSql(*m_p, QStringLiteral("DROP ") + QLatin1String(drop));
    }
    MessageBox::setAutoAnswer(true);
    goalRoot()->setCheckState(0, Qt::Unchecked);
    goalRoot()->setCheckState(0, Qt::Checked);
    MessageBox::setAutoAnswer(false);
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    const QString told = shown.first().text + shown.first().details;
    QVERIFY2(told.contains(QLatin1String("CompDates"), Qt::CaseInsensitive), qPrintable(told));
    QVERIFY(w->chart()->series().isEmpty());
}

void TestChartWindow::dividerStaysOffTheEdges()
{
    ChartWindow* w = m_w;
    const int dpi = w->logicalDpiX();
    auto* tvGoal = child<QTreeWidget>(w, "tvGoal");
    dragDivider(w, -5000);
    QCOMPARE(tvGoal->width(), Twips::toPixels(500, dpi));
    dragDivider(w, Twips::toPixels(1000, dpi));
    QVERIFY(qAbs(tvGoal->width() - Twips::toPixels(1500, dpi)) <= 1);
    // The chart starts 140 twips right of the divider and fills the rest.
    auto* xy = child<QWidget>(w, "XY");
    QVERIFY(qAbs(xy->x() - Twips::toPixels(1640, dpi)) <= 1);
    QVERIFY(qAbs(xy->geometry().right() + 1 - w->width()) <= 1);
}

// Every period label shown under the plot is whole, clear of its neighbours and
// inside the view: at the opening size and at the narrowest window. The value
// axes label their ticks with the decimals the step needs, all alike (a step of
// 0.2 writes 0 as "0.0", as a column of figures would).
void TestChartWindow::axisLabelsAreWholeAndAlike_data()
{
    QTest::addColumn<ChartState::Grouping>("grouping");
    QTest::addColumn<int>("days");
    QTest::addColumn<bool>("narrow"); // a narrow window elides the value labels
    QTest::newRow("months") << ChartState::Grouping::Month << 0 << false;
    QTest::newRow("weeks, narrow") << ChartState::Grouping::Week << 0 << true;
    QTest::newRow("two months of days, narrow") << ChartState::Grouping::Day << 60 << true;
}

void TestChartWindow::axisLabelsAreWholeAndAlike()
{
    QFETCH(ChartState::Grouping, grouping);
    QFETCH(int, days);
    QFETCH(bool, narrow);
    for (int d = 0; d < days; ++d) {
        ChartHistory::goal(
            *m_p,
            QDateTime(QDate(2027, 2, 1).addDays(d), QTime(12, 0)).toString(Qt::ISODate).replace('T', ' '),
            m_beta,
            QStringLiteral("Beta"),
            double(d % 7));
    }
    runSql(*m_p,
           QStringLiteral(
               "UPDATE CompDates SET Progress = CASE WHEN TimeStamp LIKE '2025%' THEN CAST(? AS DOUBLE PRECISION) ELSE "
               "CAST(? AS DOUBLE PRECISION) END"
               " WHERE GT_Name = 'Beta'"),
           {0.0, 1.0});
    ChartWindow* w = m_w;
    w->state().grouping = grouping;
    w->state().measure = ChartState::Measure::Progress;
    tick(QStringLiteral("Beta"));
    if (narrow) {
        w->resize(w->minimumWidth(), w->height());
        dragDivider(w, -5000);
    }

    QStringList periods;
    for (const ChartTable::Period& period : w->table().periods) {
        periods << period.label;
    }
    QVERIFY(periods.size() >= 3);
    const QList<QPair<QString, QRectF>> shown = texts(w);
    const QRectF plot = plotArea(w);
    QVERIFY(plot.width() > 0);
    const QRectF view = child<QChartView>(w, "XY")->viewport()->rect();
    QList<QPair<QString, QRectF>> labels;
    QList<QPair<QString, QRectF>> left;
    for (const auto& text : shown) {
        // Below the plot and above the legend, whose names are no periods.
        if (text.second.top() >= plot.bottom() && !legend(w).contains(text.first)) {
            labels << text;
        } else if (text.second.right() <= plot.left()) {
            left << text;
        }
    }
    QVERIFY(!labels.isEmpty());
    int last = -1;
    std::sort(labels.begin(), labels.end(), [](const auto& a, const auto& b) { return a.second.x() < b.second.x(); });
    for (int i = 0; i < labels.size(); ++i) {
        const int period = periods.indexOf(labels.at(i).first);
        QVERIFY2(period > last, qPrintable(labels.at(i).first)); // whole, and in time order
        last = period;
        QVERIFY2(view.contains(labels.at(i).second), qPrintable(labels.at(i).first));
        if (i > 0) {
            QVERIFY2(!labels.at(i).second.intersects(labels.at(i - 1).second), qPrintable(labels.at(i).first));
        }
    }
    QCOMPARE(labels.first().first, periods.first());
    // Bottom to top: lowest value first.
    std::sort(left.begin(), left.end(), [](const auto& a, const auto& b) { return a.second.y() > b.second.y(); });
    QStringList valueLabels;
    for (const auto& text : left) {
        valueLabels << text.first;
    }
    if (!narrow) {
        QCOMPARE(valueLabels, (QStringList{"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}));
    }
}

// A window sized from outside (the window system, not QWidget::resize) below its
// minimum takes the minimum back.
void TestChartWindow::keepsItsMinimumWidth()
{
    ChartWindow* w = m_w;
    const int minimum = Twips::toPixels(ChartLayout::kMinWidth, w->logicalDpiX());
    QCOMPARE(w->minimumWidth(), minimum);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->windowHandle()->resize(100, w->height());
    QCoreApplication::processEvents(); // the window system reports the new size by event
    QCOMPARE(w->width(), minimum);
    QCOMPARE(w->windowHandle()->width(), minimum);
}

QTEST_MAIN(TestChartWindow)
#include "TestChartWindow.moc"
