#include "charts/ui/TrendWindow.h"
#include "history/SnapshotComparison.h"
#include "tests/support/SnapshotProbe.h"
#include "tests/support/WidgetTest.h"

#include <QChart>
#include <QLineSeries>
#include <QRegularExpression>
#include <QToolTip>
#include <QtTest>

using namespace WidgetTest;

// The trend's hover over a step between two snapshots, on a history the snapshot
// generation wrote: each step of a line is explained by its six causes, and they
// add up to the step the line draws.
class TestTrendTips : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stepsSplitIntoTheirCauses();
    void hoverShowsTheStep();

private:
    // Ann and Bob work weekdays 08:00-16:00 on goal "Build". Between the snapshots
    // API makes progress and UI is re-planned; then Ann's days shorten and an
    // urgent task jumps her queue; then time passes alone.
    void history(TempProject& p)
    {
        p.member(QStringLiteral("Ann"));
        p.member(QStringLiteral("Bob"));
        const qint64 goal = p.goal(QStringLiteral("Build"));
        const qint64 api = p.task(goal, QStringLiteral("API"), 5, QStringLiteral("Open"), 10);
        const qint64 ui = p.task(goal, QStringLiteral("UI"), 3, QStringLiteral("Open"), 20);
        const qint64 docs = p.task(goal, QStringLiteral("Docs"), 2, QStringLiteral("Open"), 30);
        p.assign(api, QStringLiteral("Ann"), 100, 0, 0);
        p.assign(ui, QStringLiteral("Ann"), 100, 0, 0);
        p.assign(docs, QStringLiteral("Bob"), 100, 0, 0);
        const auto exec = [&](const QString& sql) {
            QString error;
            QVERIFY2(Sql::exec(p.connection(), sql, &error), qPrintable(error));
        };
        SnapshotProbe::generate(p, QStringLiteral("2026-03-02 08:00:00"));
        exec(QStringLiteral("UPDATE TASK_OBJECT_RESOURCE SET PER_COMPLETED = 40, DAYS_NEEDED = 3 WHERE FK_TASKID = %1")
                 .arg(api));
        exec(QStringLiteral("UPDATE TASKS_OBJECTS SET DAYSPLANNED = 6 WHERE ID = %1").arg(ui));
        SnapshotProbe::generate(p, QStringLiteral("2026-03-04 08:00:00"));
        exec(QStringLiteral("UPDATE RESOURCES SET MON_END = '12:00', TUE_END = '12:00', WED_END = '12:00',"
                            " THU_END = '12:00', FRI_END = '12:00' WHERE R_NAME = 'Ann'"));
        const qint64 urgent = p.task(goal, QStringLiteral("Hotfix"), 1, QStringLiteral("Open"), 1);
        p.assign(urgent, QStringLiteral("Ann"), 100, 0, 0);
        SnapshotProbe::generate(p, QStringLiteral("2026-03-09 08:00:00"));
        SnapshotProbe::generate(p, QStringLiteral("2026-03-11 13:00:00"));
    }

    static double days(const QString& tip, const QString& label)
    {
        const QRegularExpression re(QStringLiteral("^%1: ([-+]?[0-9.,]+) d$").arg(QRegularExpression::escape(label)),
                                    QRegularExpression::MultilineOption);
        const QRegularExpressionMatch m = re.match(tip);
        if (!m.hasMatch()) {
            qFatal("no '%s' in the tip:\n%s", qPrintable(label), qPrintable(tip));
        }
        return QLocale::system().toDouble(m.captured(1));
    }
};

void TestTrendTips::stepsSplitIntoTheirCauses()
{
    TempProject p;
    history(p);
    TrendWindow w(p.connection());
    auto* tree = child<QTreeWidget>(&w, "tvGoal");
    tree->findItems(QStringLiteral("Build"), Qt::MatchRecursive).value(0)->setCheckState(0, Qt::Checked);
    QCOMPARE(w.lines().size(), 2);

    int moved = 0;
    std::array<bool, SnapshotComparison::kCauses> seen{};
    for (int line = 0; line < w.lines().size(); ++line) {
        const TrendLine& l = w.lines().at(line);
        QCOMPARE(l.points.size(), 4);
        for (int step = 0; step + 1 < l.points.size(); ++step) {
            const QString tip = w.segmentTip(line, step);
            QVERIFY2(tip.startsWith(l.name + QLatin1Char(':')), qPrintable(tip));
            // The slip the line draws for this step, in days.
            const double slip = double(l.points.at(step).forecast.secsTo(l.points.at(step + 1).forecast)) / 86400.0;
            double sum = 0;
            for (int cause = 0; cause < SnapshotComparison::kCauses; ++cause) {
                const double share = days(tip, SnapshotComparison::causeName(cause));
                seen[std::size_t(cause)] = seen[std::size_t(cause)] || share != 0;
                sum += share;
            }
            // Six shares rounded to hundredths each.
            QVERIFY2(qAbs(sum - slip) <= 0.03, qPrintable(QStringLiteral("%1 vs %2\n%3").arg(sum).arg(slip).arg(tip)));
            moved += slip != 0;
            // Read once per pair of stamps: the same text again.
            QCOMPARE(w.segmentTip(line, step), tip);
        }
    }
    QVERIFY(moved >= 3);
    // The history touches time, hours, scope, queue, re-planning and progress; the
    // last four shape at least one step of these two lines.
    QVERIFY(seen[0] && seen[1] && seen[2] && seen[5]);
    // No step past the last point, nor of a line that is not there.
    QVERIFY(w.segmentTip(0, 3).isEmpty());
    QVERIFY(w.segmentTip(2, 0).isEmpty());
}

void TestTrendTips::hoverShowsTheStep()
{
    TempProject p;
    history(p);
    TrendWindow w(p.connection());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QLineSeries* root = nullptr;
    for (QAbstractSeries* s : w.chart()->series()) {
        if (s->name() == w.lines().at(0).name && s->type() == QAbstractSeries::SeriesTypeLine) {
            root = static_cast<QLineSeries*>(s);
        }
    }
    QVERIFY(root && root->count() == 4);
    // Between the third and the fourth point: the last step.
    const QPointF at = (root->at(2) + root->at(3)) / 2;
    Q_EMIT root->hovered(at, true);
    QTRY_VERIFY(QToolTip::isVisible());
    // The last step's tip: it names the snapshot of 11 March, 13:00.
    QVERIFY(w.segmentTip(0, 2).contains(QStringLiteral("13:00")));
    QVERIFY(!w.segmentTip(0, 1).contains(QStringLiteral("13:00")));
    QVERIFY2(QToolTip::text().contains(QStringLiteral("13:00")), qPrintable(QToolTip::text()));
    QVERIFY(QToolTip::text().contains(SnapshotComparison::causeName(5)));
    Q_EMIT root->hovered(at, false);
    QTRY_VERIFY(!QToolTip::isVisible());
}

QTEST_MAIN(TestTrendTips)
#include "TestTrendTips.moc"
