#include "charts/ui/ChartWindow.h"
#include "charts/ui/TrendWindow.h"
#include "history/SnapshotComparison.h"
#include "tests/support/ChartHistory.h"
#include "tests/support/SnapshotProbe.h"
#include "tests/support/TestSql.h"
#include "tests/support/WidgetTest.h"

#include <QAreaSeries>
#include <QChart>
#include <QDateTimeAxis>
#include <QDoubleSpinBox>
#include <QLineSeries>
#include <QMenu>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolTip>
#include <QtTest>

using namespace WidgetTest;

// The forecast trend window driven by objectName over a real project with
// hand-written snapshots: a live goal "Release" whose forecast slips three days a
// week, and a completed goal "Docs".
class TestTrendWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void ticksDrawLinesAndRows();
    void periodAndTrendSettings();
    void chartWindowOpensIt();
    void stepTipsSplitIntoTheirCauses();

private:
    QTreeWidgetItem* node(const QString& text) const
    {
        const auto found = child<QTreeWidget>(m_w, "tvGoal")->findItems(text, Qt::MatchRecursive);
        return found.value(0);
    }
    QLineSeries* line(const QString& name, TrendWindow* w = nullptr) const
    {
        for (QAbstractSeries* s : (w ? w : m_w.data())->chart()->series()) {
            if (s->name() == name && s->type() == QAbstractSeries::SeriesTypeLine) {
                return static_cast<QLineSeries*>(s);
            }
        }
        return nullptr;
    }
    QString cell(int row, int column) const { return child<QTableWidget>(m_w, "twTrend")->item(row, column)->text(); }
    // The share of `cause` a step's tip gives, in days.
    static double days(const QString& tip, const QString& cause)
    {
        const QRegularExpression re(QStringLiteral("^%1: ([-+]?[0-9.,]+) d$").arg(QRegularExpression::escape(cause)),
                                    QRegularExpression::MultilineOption);
        const QRegularExpressionMatch m = re.match(tip);
        if (!m.hasMatch()) {
            qFatal("no '%s' in the tip:\n%s", qPrintable(cause), qPrintable(tip));
        }
        return QLocale::system().toDouble(m.captured(1));
    }

    std::unique_ptr<TempProject> m_p;
    QPointer<TrendWindow> m_w;
    qint64 m_release = 0;
    qint64 m_docs = 0;
};

void TestTrendWindow::init()
{
    m_p = std::make_unique<TempProject>();
    m_release = m_p->goal(QStringLiteral("Release"));
    m_docs = m_p->goal(QStringLiteral("Docs"), std::nullopt, QStringLiteral("Completed"));
    // Six weekly snapshots from Monday 2026-03-02; the last two in one month (April).
    const QDate first(2026, 3, 2);
    for (int k = 0; k < 6; ++k) {
        const QString stamp = first.addDays(7 * k).toString(Qt::ISODate) + QStringLiteral(" 09:00:00");
        const QString forecast = first.addDays(28 + 3 * k).toString(Qt::ISODate) + QStringLiteral(" 09:00:00");
        for (const auto& [id, name, status] :
             {std::tuple{qint64(0), QStringLiteral("Plan"), QVariant()},
              std::tuple{m_release, QStringLiteral("Release"), QVariant("Open")},
              std::tuple{m_docs, QStringLiteral("Docs"), QVariant(k < 3 ? "Open" : "Completed")}}) {
            ChartHistory::row(*m_p,
                              stamp,
                              QStringLiteral("G"),
                              {{QStringLiteral("GT_ID"), id},
                               {QStringLiteral("GT_Name"), name},
                               {QStringLiteral("GT_Status"), status},
                               {QStringLiteral("Completion_Date"),
                                status == QVariant("Completed") ? ChartHistory::null() : QVariant(forecast)}});
        }
    }
    m_w = new TrendWindow(m_p->connection());
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w));
}

void TestTrendWindow::cleanup()
{
    delete m_w;
    m_p.reset();
}

void TestTrendWindow::ticksDrawLinesAndRows()
{
    auto* table = child<QTableWidget>(m_w, "twTrend");
    // The root is ticked when the window opens.
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(cell(0, TrendWindow::Node), QStringLiteral("Plan"));
    QVERIFY(line("Plan"));

    node("Release")->setCheckState(0, Qt::Checked);
    node("Docs")->setCheckState(0, Qt::Checked);
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(line("Release")->count(), 6);
    // Three days a week, 28 days ahead: the trend meets the diagonal 49 days after 2 March.
    QCOMPARE(cell(1, TrendWindow::TrendFinish), QLocale::system().toString(QDate(2026, 4, 20), QLocale::ShortFormat));
    QCOMPARE(cell(1, TrendWindow::Flag), QStringLiteral("slipping"));

    // Docs ends on the diagonal at the first Completed snapshot (23 March).
    const QPointF end = line("Docs")->at(3);
    QCOMPARE(QDateTime::fromMSecsSinceEpoch(qint64(end.y())), QDateTime(QDate(2026, 3, 23), QTime(9, 0)));
    QCOMPARE(end.x(), end.y());
    QCOMPARE(cell(2, TrendWindow::Flag), QStringLiteral("Completed"));

    // One date scale on both axes, and the area below the diagonal shaded.
    const auto axes = m_w->chart()->axes();
    QCOMPARE(axes.size(), 2);
    auto* x = qobject_cast<QDateTimeAxis*>(axes.at(0));
    auto* y = qobject_cast<QDateTimeAxis*>(axes.at(1));
    QVERIFY(x && y);
    QCOMPARE(x->min(), y->min());
    QCOMPARE(x->max(), y->max());
    bool shaded = false;
    for (QAbstractSeries* s : m_w->chart()->series()) {
        if (auto* area = qobject_cast<QAreaSeries*>(s)) {
            shaded = area->upperSeries()->at(1).x() == area->upperSeries()->at(1).y();
        }
    }
    QVERIFY(shaded);

    node("Release")->setCheckState(0, Qt::Unchecked);
    QCOMPARE(table->rowCount(), 2);
    QVERIFY(!line("Release"));
}

void TestTrendWindow::periodAndTrendSettings()
{
    node("Release")->setCheckState(0, Qt::Checked);
    auto* period = child<QComboBox>(m_w, "cboPeriod");
    period->setCurrentIndex(period->findText(QStringLiteral("Month")));
    // March holds five snapshots, April one: one point each.
    QCOMPARE(line("Release")->count(), 2);
    period->setCurrentIndex(0);
    // Three days a week is within a threshold of four.
    child<QDoubleSpinBox>(m_w, "spnThreshold")->setValue(4.0);
    QCOMPARE(cell(1, TrendWindow::Flag), QStringLiteral("on plan"));
    // Over the last two points only: the same slip, the same finish.
    child<QSpinBox>(m_w, "spnLast")->setValue(2);
    QCOMPARE(cell(1, TrendWindow::TrendFinish), QLocale::system().toString(QDate(2026, 4, 20), QLocale::ShortFormat));
}

void TestTrendWindow::chartWindowOpensIt()
{
    auto* chart = new ChartWindow(m_p->connection());
    chart->show();
    child<QMenu>(chart, "mnuPop")->findChild<QAction*>(QStringLiteral("mnuPopTrend"))->trigger();
    TrendWindow* opened = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* t = qobject_cast<TrendWindow*>(w); t && t != m_w) {
            opened = t;
        }
    }
    QVERIFY(opened && opened->isVisible());
    // Closing the chart leaves the trend open.
    delete chart;
    QVERIFY(opened->isVisible());
    delete opened;
}

// A step's tip puts the change of the line's forecast under its cause (the split
// itself: the comparison tests). Ann's "API" is re-planned from 5 to 7 days between
// two Sunday snapshots, then a week passes.
void TestTrendWindow::stepTipsSplitIntoTheirCauses()
{
    TempProject p(QStringLiteral("history"));
    p.member(QStringLiteral("Ann"));
    const qint64 goal = p.goal(QStringLiteral("Build"));
    const qint64 api = p.task(goal, QStringLiteral("API"), 5);
    p.assign(api, QStringLiteral("Ann"), 100, 0, 0);
    SnapshotProbe::generate(p, QStringLiteral("2026-03-01 12:00:00"));
    runSql(p, QStringLiteral("UPDATE TASKS_OBJECTS SET DAYSPLANNED = 7 WHERE ID = ?"), {api});
    SnapshotProbe::generate(p, QStringLiteral("2026-03-01 12:00:01"));
    SnapshotProbe::generate(p, QStringLiteral("2026-03-08 13:00:00"));

    TrendWindow w(p.connection());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    child<QTreeWidget>(&w, "tvGoal")
        ->findItems(QStringLiteral("Build"), Qt::MatchRecursive)
        .value(0)
        ->setCheckState(0, Qt::Checked);
    QCOMPARE(w.lines().size(), 2); // the root's and Build's
    const int replanning = 4;
    for (int line = 0; line < 2; ++line) {
        for (const auto& [step, cause, shift] : {std::tuple{0, replanning, 4.0}, std::tuple{1, 0, 7.0}}) {
            const QString tip = w.segmentTip(line, step);
            QVERIFY2(tip.startsWith(w.lines().at(line).name + QLatin1Char(':')), qPrintable(tip));
            for (int k = 0; k < SnapshotComparison::kCauses; ++k) {
                QCOMPARE(days(tip, SnapshotComparison::causeName(k)), k == cause ? shift : 0.0);
            }
        }
    }
    // No step past the last point, nor of a line that is not there.
    QVERIFY(w.segmentTip(0, 2).isEmpty());
    QVERIFY(w.segmentTip(2, 0).isEmpty());

    // Hovering between the second and the third point shows the last step, which
    // names the snapshot of 8 March, 13:00.
    QLineSeries* root = line(w.lines().at(0).name, &w);
    QVERIFY(root && root->count() == 3);
    const QPointF at = (root->at(1) + root->at(2)) / 2;
    Q_EMIT root->hovered(at, true);
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY(!w.segmentTip(0, 0).contains(QStringLiteral("13:00")));
    QVERIFY2(QToolTip::text().contains(QStringLiteral("13:00")), qPrintable(QToolTip::text()));
    Q_EMIT root->hovered(at, false);
    QTRY_VERIFY(!QToolTip::isVisible());
}

QTEST_MAIN(TestTrendWindow)
#include "TestTrendWindow.moc"
