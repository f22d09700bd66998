#include "common/Twips.h"
#include "common/ui/MessageBox.h"
#include "db/Transaction.h"
#include "reports/ChartLayout.h"
#include "reports/ui/ChartWindow.h"
#include "reports/ui/GraphPropertiesDialog.h"
#include "tests/reports/TestChartHistory.h"

#include <QBarCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
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

// The chart window and its properties dialog, driven by objectName over a real
// project with hand-written snapshots.
class TestChartWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void opensWithPlaceholder();
    void tickingDrawsOneSeriesPerNode();
    void emptyCellsBreakTheLine();
    void assignmentNodeChartsItsRows();
    void memberTreeAndItsRoot();
    void dialogLoadsAndApplies();
    void dialogOkAndEscape();
    void rightClickOpensMenu();
    void failedQueryIsShownNotHidden();
    void dividerStaysOffTheEdges();
    void keepsItsMinimumWidth();

private:
    template <typename T>
    T* child(QObject* parent, const char* name)
    {
        T* found = parent->findChild<T*>(QLatin1String(name));
        if (!found) {
            qFatal("no %s", name);
        }
        return found;
    }
    QTreeWidgetItem* node(QTreeWidgetItem* parent, const QString& text)
    {
        for (int i = 0; i < parent->childCount(); ++i) {
            if (parent->child(i)->text(0) == text) {
                return parent->child(i);
            }
        }
        return nullptr;
    }
    void click(QTreeWidgetItem* item)
    {
        item->treeWidget()->setCurrentItem(item);
        Q_EMIT item->treeWidget()->itemClicked(item, 0);
    }
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
    // With CW_CHART_GRAB_DIR set, saves what the user sees there (for a look, not a check).
    static void picture(QWidget* w, const char* name)
    {
        if (qEnvironmentVariableIsSet("CW_CHART_GRAB_DIR")) {
            QTest::qWait(100);
            w->grab().save(qEnvironmentVariable("CW_CHART_GRAB_DIR") + QLatin1Char('/') + QLatin1String(name) +
                           QStringLiteral(".png"));
        }
    }
    GraphPropertiesDialog* openDialog(ChartWindow* w)
    {
        w->showProperties();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<GraphPropertiesDialog*>(top); d && d->isVisible()) {
                return d;
            }
        }
        qFatal("no properties dialog");
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

void TestChartWindow::opensWithPlaceholder()
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
    picture(w, "placeholder");
    QVERIFY(w->chart()->series().isEmpty());
    QVERIFY(w->state().filter.isEmpty());
    QCOMPARE(w->minimumWidth(), Twips::toPixels(3000, w->logicalDpiX()));
    QCOMPARE(tvGoal->width(), Twips::toPixels(4020, w->logicalDpiX()));
}

void TestChartWindow::tickingDrawsOneSeriesPerNode()
{
    ChartWindow* w = m_w;
    auto* tvGoal = child<QTreeWidget>(w, "tvGoal");
    QTreeWidgetItem* root = tvGoal->topLevelItem(0);
    click(root);
    QCOMPARE(root->childCount(), 2);
    click(root); // loaded once
    QCOMPARE(root->childCount(), 2);
    QTreeWidgetItem* alpha = node(root, QStringLiteral("Alpha"));
    QVERIFY(alpha->font(0).bold());
    alpha->setCheckState(0, Qt::Checked);

    QVERIFY(!child<QLabel>(w, "picIcon")->isVisible());
    QCOMPARE(legend(w), (QStringList{"Alpha", "Cairnwork"}));
    QCOMPARE(w->chart()->title(), QStringLiteral("Last (Days Ahead/Behind Plan)"));
    const auto bottom = w->chart()->axes(Qt::Horizontal);
    QCOMPARE(bottom.size(), 1);
    QCOMPARE(static_cast<QBarCategoryAxis*>(bottom.first())->categories(),
             (QStringList{"12/2025", "11/2026", "12/2026", "1/2027"}));
    // Both value axes share one scale: Cairnwork runs 0..-7, Alpha 0..3.5.
    const auto values = w->chart()->axes(Qt::Vertical);
    QCOMPARE(values.size(), 2);
    for (QAbstractAxis* axis : values) {
        auto* v = qobject_cast<QValueAxis*>(axis);
        QVERIFY(v);
        QCOMPARE(v->min(), -7.0);
        QCOMPARE(v->max(), 4.0);
        QCOMPARE(v->tickCount(), 11);
    }
    if (qEnvironmentVariableIsSet("CW_CHART_GRAB_DIR")) {
        node(root, QStringLiteral("Beta"))->setCheckState(0, Qt::Checked);
        picture(w, "goals");
        node(root, QStringLiteral("Beta"))->setCheckState(0, Qt::Unchecked);
    }

    alpha->setCheckState(0, Qt::Unchecked);
    QCOMPARE(legend(w), QStringList{"Cairnwork"});
    root->setCheckState(0, Qt::Unchecked);
    QVERIFY(child<QLabel>(w, "picIcon")->isVisible());
}

void TestChartWindow::emptyCellsBreakTheLine()
{
    // Beta alone: 11/2026 has no row of it, so no such period; 12/2026 holds
    // a NULL, so its line stops there and starts again, drawn in pieces with
    // one legend entry.
    QVERIFY(Sql::exec(m_p->connection(),
                      QStringLiteral("DELETE FROM CompDates WHERE GT_Name = 'Beta' AND TimeStamp LIKE '2026-11%'"),
                      nullptr));
    QVERIFY(Sql::exec(
        m_p->connection(),
        QStringLiteral("UPDATE CompDates SET Diff = NULL WHERE GT_Name = 'Beta' AND TimeStamp LIKE '2026-12%'"),
        nullptr));
    ChartWindow* w = m_w;
    auto* tvGoal = child<QTreeWidget>(w, "tvGoal");
    QTreeWidgetItem* root = tvGoal->topLevelItem(0);
    root->setCheckState(0, Qt::Unchecked);
    click(root);
    node(root, QStringLiteral("Beta"))->setCheckState(0, Qt::Checked);
    QCOMPARE(w->table().column(0), (QList<std::optional<double>>{3.0, std::nullopt, 3.0}));
    const QList<QAbstractSeries*> pieces = w->chart()->series();
    QCOMPARE(pieces.size(), 2);
    QTest::qWait(50); // the legend lays out its markers when the scene updates
    QList<QPointF> points;
    int shown = 0;
    for (QAbstractSeries* piece : pieces) {
        auto* line = qobject_cast<QLineSeries*>(piece);
        QCOMPARE(line->name(), QStringLiteral("Beta"));
        QCOMPARE(line->color(), static_cast<QLineSeries*>(pieces.first())->color());
        points += line->points();
        for (QLegendMarker* marker : w->chart()->legend()->markers(line)) {
            shown += marker->isVisible() ? 1 : 0;
        }
    }
    QCOMPARE(points, (QList<QPointF>{{0, 3}, {2, 3}}));
    QCOMPARE(shown, 1);
    picture(w, "gap");
}

void TestChartWindow::assignmentNodeChartsItsRows()
{
    ChartWindow* w = m_w;
    auto* tvGoal = child<QTreeWidget>(w, "tvGoal");
    QTreeWidgetItem* root = tvGoal->topLevelItem(0);
    root->setCheckState(0, Qt::Unchecked);
    click(root);
    QTreeWidgetItem* alpha = node(root, QStringLiteral("Alpha"));
    click(alpha);
    QTreeWidgetItem* task = node(alpha, QStringLiteral("Write"));
    QVERIFY(task);
    QVERIFY(!task->font(0).bold());
    click(task);
    QTreeWidgetItem* assignment = node(task, QStringLiteral("Dana O'Brien"));
    QVERIFY(assignment);
    QCOMPARE(assignment->data(0, ChartWindow::TagRole).toString(), QStringLiteral("RDana O'Brien"));
    // A goal without sub-goals or tasks stays childless, however often clicked.
    QTreeWidgetItem* beta = node(root, QStringLiteral("Beta"));
    click(beta);
    click(beta);
    QCOMPARE(beta->childCount(), 0);

    assignment->setCheckState(0, Qt::Checked);
    QCOMPARE(legend(w), QStringList{QStringLiteral("Dana O'Brien (T%1)").arg(m_task)});
    QCOMPARE(w->table().column(0), (QList<std::optional<double>>{1.0, 3.0, 4.0, 8.0}));
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
    QCOMPARE(w->state().ChartMeasure(), QStringLiteral("CompDatesRes.SDiff"));

    QTreeWidgetItem* root = tvTeam->topLevelItem(0);
    root->setCheckState(0, Qt::Checked);
    QCOMPARE(root->checkState(0), Qt::Unchecked);
    QVERIFY(child<QLabel>(w, "picIcon")->isVisible());

    root->child(0)->setCheckState(0, Qt::Checked);
    QCOMPARE(legend(w), QStringList{"Dana O'Brien"});
    picture(w, "members");
    QCOMPARE(w->table().column(0), (QList<std::optional<double>>{1.0, 3.0, 4.0, 8.0}));
    // The goal tree kept its tick for a later switch back.
    QCOMPARE(child<QTreeWidget>(w, "tvGoal")->topLevelItem(0)->checkState(0), Qt::Checked);
}

void TestChartWindow::dialogLoadsAndApplies()
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
    picture(d, "dialog");

    QVERIFY(Sql::exec(m_p->connection(),
                      QStringLiteral("UPDATE CompDates SET Completion_Date = '2027-03-01 10:00:00' WHERE OBJ = 'G'"),
                      nullptr));
    auto* tvGoal = child<QTreeWidget>(w, "tvGoal");
    click(tvGoal->topLevelItem(0));
    node(tvGoal->topLevelItem(0), QStringLiteral("Alpha"))->setCheckState(0, Qt::Checked);
    child<QRadioButton>(d, "oCompDate")->setChecked(true);
    child<QPushButton>(d, "cmdApply")->click();
    QVERIFY(d->isVisible());
    QCOMPARE(w->state().measure, ChartState::Measure::Completion_Date);
    QCOMPARE(w->chart()->title(), QStringLiteral("Last (Earliest Completion Date)"));
    picture(w, "dates");
    const auto values = w->chart()->axes(Qt::Vertical);
    QCOMPARE(values.size(), 2);
    for (QAbstractAxis* axis : values) {
        auto* dates = qobject_cast<QDateTimeAxis*>(axis);
        QVERIFY(dates);
        QCOMPARE(dates->format(), QStringLiteral("dd.MM.yyyy"));
        // One date only: the scale opens a day to either side.
        QCOMPARE(dates->min(), QDateTime(QDate(2027, 2, 28), QTime(10, 0)));
        QCOMPARE(dates->max(), QDateTime(QDate(2027, 3, 2), QTime(10, 0)));
    }

    // Cancel after Apply keeps what was applied and drops the rest.
    child<QRadioButton>(d, "oYear")->setChecked(true);
    child<QPushButton>(d, "cmdCancel")->click();
    QTRY_VERIFY(!guard);
    QCOMPARE(w->state().grouping, ChartState::Grouping::Month);
    QCOMPARE(w->state().measure, ChartState::Measure::Completion_Date);
    d = openDialog(w);
    QVERIFY(child<QRadioButton>(d, "oCompDate")->isChecked());
    QVERIFY(child<QRadioButton>(d, "oMonth")->isChecked());
}

void TestChartWindow::dialogOkAndEscape()
{
    ChartWindow* w = m_w;
    auto* tvGoal = child<QTreeWidget>(w, "tvGoal");
    click(tvGoal->topLevelItem(0));
    node(tvGoal->topLevelItem(0), QStringLiteral("Alpha"))->setCheckState(0, Qt::Checked);

    QPointer<GraphPropertiesDialog> d = openDialog(w);
    child<QRadioButton>(d, "oAvg")->setChecked(true);
    QTest::keyClick(d, Qt::Key_Escape);
    QTRY_VERIFY(!d);
    QCOMPARE(w->state().aggregate, ChartState::Aggregate::Last);

    d = openDialog(w);
    child<QRadioButton>(d, "oFirst")->setChecked(true);
    child<QRadioButton>(d, "oWeek")->setChecked(true);
    child<QPushButton>(d, "cmdOK")->click();
    QTRY_VERIFY(!d);
    QCOMPARE(w->state().aggregate, ChartState::Aggregate::First);
    QCOMPARE(w->chart()->title(), QStringLiteral("First (Days Ahead/Behind Plan)"));
    // Weeks from Sunday, split at New Year (labels and values: the pivot test).
    QCOMPARE(w->table().periods.size(), 6);
    QCOMPARE(w->table().periods.at(3).label, QStringLiteral("53 '26"));
    QCOMPARE(w->table().periods.at(4).label, QStringLiteral("1 '27"));

    // The dialog has no use without its chart window and closes with it.
    d = openDialog(w);
    delete m_w;
    QTRY_VERIFY(!d);
}

void TestChartWindow::rightClickOpensMenu()
{
    ChartWindow* w = m_w;
    auto* menu = child<QMenu>(w, "mnuPop");
    auto* picIcon = child<QLabel>(w, "picIcon");
    QTest::mouseClick(picIcon, Qt::LeftButton);
    QVERIFY(!menu->isVisible());
    QTest::mouseClick(picIcon, Qt::RightButton);
    QVERIFY(menu->isVisible());
    QCOMPARE(menu->actions().size(), 1);
    menu->hide();

    auto* tvGoal = child<QTreeWidget>(w, "tvGoal");
    tvGoal->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    tvGoal->topLevelItem(0)->setCheckState(0, Qt::Checked);
    auto* xy = child<QChartView>(w, "XY");
    QVERIFY(xy->isVisible());
    QTest::mouseClick(xy->viewport(), Qt::LeftButton);
    QVERIFY(!menu->isVisible());
    QTest::mouseClick(xy->viewport(), Qt::RightButton);
    QVERIFY(menu->isVisible());
    menu->hide();
    child<QAction>(w, "mnuPopProperties")->trigger();
    QPointer<GraphPropertiesDialog> d = openDialog(w);
    d->close();
    QTRY_VERIFY(!d);
}

void TestChartWindow::failedQueryIsShownNotHidden()
{
    ChartWindow* w = m_w;
    auto* tvGoal = child<QTreeWidget>(w, "tvGoal");
    tvGoal->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    tvGoal->topLevelItem(0)->setCheckState(0, Qt::Checked);
    QCOMPARE(legend(w), QStringList{"Cairnwork"});
    // A damaged file: the snapshot table is gone. The old chart must not stay
    // up as if it were current, and the user learns why.
    QVERIFY(Sql::exec(m_p->connection(), QStringLiteral("DROP VIEW CompDatesRes"), nullptr));
    QVERIFY(Sql::exec(m_p->connection(), QStringLiteral("DROP VIEW rptVBHierarchy"), nullptr));
    QVERIFY(Sql::exec(m_p->connection(), QStringLiteral("DROP VIEW rptVBScheduleTeamMembers"), nullptr));
    QVERIFY(Sql::exec(m_p->connection(), QStringLiteral("DROP TABLE CompDates"), nullptr));
    MessageBox::setAutoAnswer(true);
    tvGoal->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    tvGoal->topLevelItem(0)->setCheckState(0, Qt::Checked);
    MessageBox::setAutoAnswer(false);
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, QStringLiteral("Error"));
    QVERIFY(shown.first().text.contains(QLatin1String("CompDates")));
    QVERIFY(w->chart()->series().isEmpty());
    QCOMPARE(w->chart()->title(), QStringLiteral("Last (Days Ahead/Behind Plan)"));
}

void TestChartWindow::dividerStaysOffTheEdges()
{
    ChartWindow* w = m_w;
    const int dpi = w->logicalDpiX();
    auto* grip = child<QWidget>(w, "imgSplitter");
    auto* bar = child<QWidget>(w, "picSplitter");
    auto* tvGoal = child<QTreeWidget>(w, "tvGoal");
    auto drag = [&](int toX) {
        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(2, 5));
        QVERIFY(bar->isVisible());
        QMouseEvent move(QEvent::MouseMove,
                         QPointF(toX, 5),
                         grip->mapToGlobal(QPointF(toX, 5)),
                         Qt::NoButton,
                         Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(grip, &move);
        QMouseEvent release(QEvent::MouseButtonRelease,
                            QPointF(toX, 5),
                            grip->mapToGlobal(QPointF(toX, 5)),
                            Qt::LeftButton,
                            Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(grip, &release);
        QVERIFY(!bar->isVisible());
    };
    drag(-5000);
    QCOMPARE(tvGoal->width(), Twips::toPixels(500, dpi));
    drag(50000);
    const int widthTwips = Twips::toTwips(w->width(), dpi);
    QCOMPARE(tvGoal->width(), Twips::toPixels(widthTwips - 500, dpi));
    drag(-5000);
    drag(Twips::toPixels(1000, dpi));
    QVERIFY(qAbs(tvGoal->width() - Twips::toPixels(1500, dpi)) <= 1);
    // The chart starts 140 twips right of the divider and fills the rest.
    auto* xy = child<QWidget>(w, "XY");
    QVERIFY(qAbs(xy->x() - Twips::toPixels(1640, dpi)) <= 1);
    QVERIFY(qAbs(xy->geometry().right() + 1 - w->width()) <= 1);
    w->resize(10, w->height());
    QCOMPARE(w->width(), w->minimumWidth());
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
