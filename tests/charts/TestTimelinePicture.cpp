#include "charts/TimelinePicture.h"
#include "tests/support/SnapshotProbe.h"

#include <QBuffer>
#include <QImage>
#include <QtTest>

using Zoom = TimelinePicture::Zoom;

// The timeline picture's layout over real snapshots: pages that repeat the row
// names, the outline collapsed, a bar found under the pointer, the PNG bound.
class TestTimelinePicture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pagesRepeatNamesAcrossAndDown_data();
    void pagesRepeatNamesAcrossAndDown();
    void collapsedGoalsHideTheirRows();
    void barUnderThePointer();
    void pngIsBounded();

private:
    // `members` members "M00"...; each of the first three works one task of goal
    // "Build", snapshot taken Monday 2 March 2026 08:00.
    static Timeline build(TempProject& p, int members)
    {
        for (int m = 0; m < members; ++m) {
            p.member(QStringLiteral("M%1").arg(m, 2, 10, QLatin1Char('0')));
        }
        const qint64 build = p.goal(QStringLiteral("Build"));
        const qint64 docs = p.goal(QStringLiteral("Docs"), build);
        for (int m = 0; m < std::min(members, 3); ++m) {
            const qint64 t = p.task(m == 2 ? docs : build, QStringLiteral("Task %1").arg(m), 3 + 4 * m);
            p.assign(t, QStringLiteral("M%1").arg(m, 2, 10, QLatin1Char('0')), 100, 0, 0);
        }
        SnapshotProbe::generate(p, QStringLiteral("2026-03-02 08:00:00"));
        Timeline timeline;
        QString error;
        if (!Timeline::load(p.connection(), QString(), &timeline, &error)) {
            qFatal("%s", qPrintable(error));
        }
        return timeline;
    }
    static TimelinePicture byMember(const Timeline& timeline)
    {
        return TimelinePicture(timeline,
                               Timeline::View::ByMember,
                               Zoom::Days,
                               TimelinePicture::rowsOf(timeline, Timeline::View::ByMember));
    }
};

void TestTimelinePicture::pagesRepeatNamesAcrossAndDown_data()
{
    QTest::addColumn<int>("members");
    QTest::addColumn<int>("rowsPerPage");
    QTest::addColumn<double>("slices"); // the chart's width over a page's
    QTest::addColumn<int>("pages");
    QTest::newRow("one page") << 4 << 10 << 0.9 << 1;
    // 25 lanes, 10 a page: bands of 10, 10, 5, each over 3 pages of time.
    QTest::newRow("down and across") << 25 << 10 << 2.5 << 9;
    QTest::newRow("exactly full") << 20 << 10 << 1.0 << 2;
    // Enough lanes that an A4 PDF needs pages down too.
    QTest::newRow("sixty lanes") << 60 << 25 << 1.5 << 6;
}

void TestTimelinePicture::pagesRepeatNamesAcrossAndDown()
{
    QFETCH(int, members);
    QFETCH(int, rowsPerPage);
    QFETCH(double, slices);
    QFETCH(int, pages);
    TempProject p;
    const Timeline timeline = build(p, members);
    const TimelinePicture picture = byMember(timeline);
    QCOMPARE(int(picture.rows().size()), members);
    const QSizeF page(picture.nameWidth() + picture.chartWidth() / slices,
                      picture.scaleHeight() + (rowsPerPage + 0.5) * picture.rowHeight());
    const std::vector<TimelinePicture::Page> all = picture.pages(page);
    QCOMPARE(int(all.size()), pages);
    QCOMPARE(picture.pagesLeftOut(page), 0);
    double covered = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const TimelinePicture::Page& pg = all[i];
        const QStringList names = picture.namesOn(pg);
        // Every page starts its name column with the first lane of its band.
        QCOMPARE(names.value(0), QStringLiteral("M%1").arg(pg.firstRow, 2, 10, QLatin1Char('0')));
        QCOMPARE(pg.firstRow % rowsPerPage, 0);
        QCOMPARE(names.size(), std::min(rowsPerPage, members - pg.firstRow));
        // Time pages of one band follow on without gap.
        if (pg.firstRow == 0) {
            QCOMPARE(pg.x0, covered);
            covered += pg.width;
        }
    }
    QCOMPARE(covered, picture.chartWidth());

    // The PDF holds as many pages as the layout for its page size.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QString error;
    QVERIFY2(picture.writePdf(pdf, &error), qPrintable(error));
    const auto written = pdf.data().count(QByteArrayLiteral("/Type /Page\n"));
    // A4 landscape less 10 mm margins, at 96 dpi.
    const QSizeF a4(double(297 - 20) / 25.4 * 96, double(210 - 20) / 25.4 * 96);
    QVERIFY(written >= (members > 40 ? 3 : 1));
    QCOMPARE(qsizetype(picture.pages(a4).size()), written);
}

// Folding one goal: the window test. Collapsing a node whose child is collapsed too
// hides the grandchildren once.
void TestTimelinePicture::collapsedGoalsHideTheirRows()
{
    TempProject p;
    const Timeline timeline = build(p, 3);
    const std::vector<Timeline::Node>& outline = timeline.outline();
    QCOMPARE(TimelinePicture::rowsOf(timeline, Timeline::View::ByGoal).size(), outline.size());
    const auto both = TimelinePicture::rowsOf(timeline, Timeline::View::ByGoal, [&](int node) {
        return outline[std::size_t(node)].kind != Timeline::Node::Kind::Task;
    });
    QCOMPARE(both.size(), std::size_t(1));
}

void TestTimelinePicture::barUnderThePointer()
{
    TempProject p;
    const Timeline timeline = build(p, 3);
    const TimelinePicture picture = byMember(timeline);
    // M02's bar: 11 days of Task 2 under Build\Docs.
    const Timeline::Bar& bar = timeline.lanes()[2].bars.at(0);
    const auto [a, b] = picture.span(bar.start, bar.end);
    const double y = 2.5 * picture.rowHeight();
    const auto hit = picture.barAt(QPointF((a + b) / 2, y));
    QVERIFY(hit);
    QCOMPARE(hit->row, 2);
    QCOMPARE(hit->bar, 0);
    const QString text = picture.describe(*hit);
    QVERIFY2(text.contains(QStringLiteral("Task 2")) && text.contains(QStringLiteral("Build\\Docs")), qPrintable(text));
    // Beside the bar, and below the last row, nothing.
    QVERIFY(!picture.barAt(QPointF(b + 5, y)));
    QVERIFY(!picture.barAt(QPointF(a - 5, y)));
    QVERIFY(!picture.barAt(QPointF((a + b) / 2, 3.5 * picture.rowHeight())));
}

void TestTimelinePicture::pngIsBounded()
{
    for (const int members : {3, 400}) {
        TempProject p;
        const Timeline timeline = build(p, members);
        const TimelinePicture picture = byMember(timeline);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        bool cut = true;
        QString error;
        QVERIFY2(picture.writePng(png, &cut, &error), qPrintable(error));
        QImage image;
        QVERIFY(image.loadFromData(png.data(), "PNG"));
        const bool tooTall = picture.scaleHeight() + picture.rowsHeight() > TimelinePicture::kMaxPngSide;
        QCOMPARE(tooTall, members > 3);
        QCOMPARE(cut, tooTall);
        QVERIFY(image.height() <= TimelinePicture::kMaxPngSide);
        QVERIFY(qint64(image.width()) * image.height() <= TimelinePicture::kMaxPngArea);
        if (!tooTall) {
            QCOMPARE(image.size(),
                     QSize(int(std::ceil(picture.nameWidth() + picture.chartWidth())),
                           int(std::ceil(picture.scaleHeight() + picture.rowsHeight()))));
        }
    }
}

QTEST_MAIN(TestTimelinePicture)
#include "TestTimelinePicture.moc"
