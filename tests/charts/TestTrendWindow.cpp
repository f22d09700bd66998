#include "charts/ui/ChartWindow.h"
#include "charts/ui/TrendWindow.h"
#include "tests/support/ChartHistory.h"
#include "tests/support/WidgetTest.h"

#include <QAreaSeries>
#include <QChart>
#include <QDateTimeAxis>
#include <QDoubleSpinBox>
#include <QLineSeries>
#include <QMenu>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTableWidget>
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

private:
    QTreeWidgetItem* node(const QString& text) const
    {
        const auto found = child<QTreeWidget>(m_w, "tvGoal")->findItems(text, Qt::MatchRecursive);
        return found.value(0);
    }
    QLineSeries* line(const QString& name) const
    {
        for (QAbstractSeries* s : m_w->chart()->series()) {
            if (s->name() == name && s->type() == QAbstractSeries::SeriesTypeLine) {
                return static_cast<QLineSeries*>(s);
            }
        }
        return nullptr;
    }
    QString cell(int row, int column) const { return child<QTableWidget>(m_w, "twTrend")->item(row, column)->text(); }

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
    QCOMPARE(cell(1, TrendWindow::DirectionChanges), QStringLiteral("0"));

    // Docs ends on the diagonal at the first Completed snapshot (23 March).
    const QLineSeries* docs = line("Docs");
    QCOMPARE(docs->count(), 4);
    const QPointF end = docs->at(3);
    QCOMPARE(end.x(), end.y());
    QCOMPARE(QDateTime::fromMSecsSinceEpoch(qint64(end.x())), QDateTime(QDate(2026, 3, 23), QTime(9, 0)));
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
    QCOMPARE(m_w->lines().at(1).points.last().stamp.date(), QDate(2026, 4, 6));

    period->setCurrentIndex(0);
    QCOMPARE(line("Release")->count(), 6);
    // Three days a week is within a threshold of four.
    child<QDoubleSpinBox>(m_w, "spnThreshold")->setValue(4.0);
    QCOMPARE(cell(1, TrendWindow::Flag), QStringLiteral("on plan"));
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

QTEST_MAIN(TestTrendWindow)
#include "TestTrendWindow.moc"
