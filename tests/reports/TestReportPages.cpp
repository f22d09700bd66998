#include "common/Stamp.h"
#include "reports/OverviewReport.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportFormat.h"
#include "reports/ReportLoader.h"
#include "reports/TaskScheduleReport.h"
#include "reports/TeamMemberScheduleReport.h"
#include "tests/support/ReportFixture.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRegularExpression>
#include <QTextItem>
#include <QtTest>

using Band = ReportLayout::Band;

namespace {

// A paint device that keeps every piece of text and every line drawn on it, at
// 1440 dots per inch so that positions read in twips.
class RecordingEngine : public QPaintEngine
{
public:
    struct Text
    {
        QPointF at;
        QString text;
    };
    RecordingEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform) {
            m_transform = state.transform();
        }
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        texts.append({m_transform.map(p), item.text()});
    }
    void drawLines(const QLineF* lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            this->lines.append(m_transform.map(lines[i]));
        }
    }
    Type type() const override { return QPaintEngine::User; }

    QList<Text> texts;
    QList<QLineF> lines;

private:
    QTransform m_transform;
};

class RecordingDevice : public QPaintDevice
{
public:
    QPaintEngine* paintEngine() const override { return &m_engine; }
    RecordingEngine& engine() { return m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return ReportLayout::kPageWidth;
        case PdmHeight:
            return ReportLayout::kPageHeight;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return ReportLayout::kTwipsPerInch;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(m);
        }
    }

private:
    mutable RecordingEngine m_engine;
};

QList<RecordingEngine::Text> paintedTexts(const ReportDocument& doc, int page, QList<QLineF>* lines = nullptr)
{
    RecordingDevice device;
    {
        QPainter painter(&device);
        doc.paintPage(painter, page);
    }
    if (lines) {
        *lines = device.engine().lines;
    }
    return device.engine().texts;
}

std::optional<QPointF> find(const QList<RecordingEngine::Text>& texts, const QString& text)
{
    for (const auto& t : texts) {
        if (t.text == text) {
            return t.at;
        }
    }
    return std::nullopt;
}

// Members with the given numbers of open tasks.
QList<MemberScheduleGroup> members(const QList<int>& sizes)
{
    QList<MemberScheduleGroup> groups;
    for (int g = 0; g < sizes.size(); ++g) {
        MemberScheduleGroup group{QStringLiteral("Member %1").arg(g), {}};
        for (int i = 0; i < sizes.at(g); ++i) {
            MemberScheduleLine line;
            line.counterTask = i + 1;
            line.name = QStringLiteral("Task %1.%2").arg(g).arg(i);
            line.status = QStringLiteral("Open");
            group.tasks.append(line);
        }
        groups.append(group);
    }
    return groups;
}

const QDateTime kPrinted(QDate(2026, 3, 9), QTime(14, 5));

} // namespace

class TestReportPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void groupsStayWithTheirHeaders_data();
    void groupsStayWithTheirHeaders();
    void everyPageHasHeaderAndFooter();
    void loadedReportsPaint();
    void pdfHasPagesOfA4Landscape();
};

void TestReportPages::groupsStayWithTheirHeaders_data()
{
    QTest::addColumn<QList<int>>("sizes");
    QTest::newRow("small groups") << QList<int>(60, 3);
    QTest::newRow("mixed") << QList<int>{5, 20, 1, 30, 2, 0, 25, 7, 26, 26, 1};
    QTest::newRow("longer than a page") << QList<int>{10, 95, 4, 200, 3};
    QTest::newRow("none") << QList<int>{};
}

// Catches a group header left alone at a page's foot, a group split although it fits
// on one page, lost or repeated lines, and bands running into the page footer.
void TestReportPages::groupsStayWithTheirHeaders()
{
    QFETCH(QList<int>, sizes);
    ReportDocument doc(std::make_unique<TeamMemberScheduleReport>(members(sizes), ReportFixture::kNew), kPrinted);
    const ReportLayout& l = doc.layout();
    const int body = ReportLayout::kPageHeight - 2 * ReportLayout::kMargin - l.bandHeight(Band::PageHeader) -
        l.bandHeight(Band::PageFooter);
    const int perPage = body / l.bandHeight(Band::Detail);

    QHash<int, QSet<int>> pagesOfGroup;
    QList<QPair<int, int>> details;
    int headers = 0;
    for (int page = 0; page < doc.pageCount(); ++page) {
        const QList<ReportDocument::PlacedBand> bands = doc.pageBands(page);
        QVERIFY(bands.size() >= 2);
        QCOMPARE(bands.first().band, Band::PageHeader);
        QCOMPARE(bands.last().band, Band::PageFooter);
        for (int i = 1; i < bands.size() - 1; ++i) {
            const auto& b = bands.at(i);
            QVERIFY(b.rect.top() >= bands.at(i - 1).rect.bottom() - 0.5);
            QVERIFY(b.rect.bottom() <= bands.last().rect.top() + 0.5);
            pagesOfGroup[b.group].insert(page);
            if (b.band == Band::Detail) {
                details.append({b.group, b.detail});
            } else if (b.band == Band::GroupHeader && !b.repeated) {
                ++headers;
                // A header is followed on its page by its first line (or its footer).
                QVERIFY(i + 1 < bands.size() - 1);
                QCOMPARE(bands.at(i + 1).group, b.group);
            }
        }
        // A page that is not the last is not left half empty without reason: its next
        // band would not have fitted.
    }
    QCOMPARE(headers, int(sizes.size()));
    QList<QPair<int, int>> expected;
    for (int g = 0; g < sizes.size(); ++g) {
        for (int i = 0; i < sizes.at(g); ++i) {
            expected.append({g, i});
        }
        if (sizes.at(g) + 3 <= perPage) {
            QCOMPARE(pagesOfGroup.value(g).size(), 1);
        }
    }
    QCOMPARE(details, expected);
}

void TestReportPages::everyPageHasHeaderAndFooter()
{
    QList<OverviewRow> rows;
    for (int i = 0; i < 100; ++i) {
        rows.append(OverviewRow{QLatin1Char('T'), QStringLiteral("    Row %1").arg(i), "Open", {}, 1, 0, 0, 0, 0, 0});
    }
    ReportDocument doc(std::make_unique<OverviewReport>(rows, ReportFixture::kNew), kPrinted);
    QCOMPARE(doc.pageCount(), 4);
    const QString title = QStringLiteral("Overview : ") + Stamp::toDisplay(ReportFixture::kNew);
    const QString printed = ReportFormat::printed(kPrinted);
    int shownRows = 0;
    for (int page = 0; page < doc.pageCount(); ++page) {
        QList<QLineF> lines;
        const auto texts = paintedTexts(doc, page, &lines);
        const auto titleAt = find(texts, title);
        const auto pageAt = find(texts, QStringLiteral("%1/4").arg(page + 1));
        const auto printedAt = find(texts, printed);
        QVERIFY2(titleAt && pageAt && printedAt, qPrintable(QStringLiteral("page %1").arg(page + 1)));
        // Title at the top margin, footer at the bottom one, a rule across under the header.
        QVERIFY(titleAt->y() > ReportLayout::kMargin && titleAt->y() < ReportLayout::kMargin + 500);
        QVERIFY(pageAt->y() > ReportLayout::kPageHeight - ReportLayout::kMargin - 300);
        QVERIFY(pageAt->y() <= ReportLayout::kPageHeight - ReportLayout::kMargin);
        QVERIFY(pageAt->x() > printedAt->x());
        QVERIFY(std::any_of(lines.cbegin(), lines.cend(), [](const QLineF& line) {
            return qFuzzyCompare(line.y1(), line.y2()) && line.length() >= 13900 && line.y1() < 2500;
        }));
        for (const auto& t : texts) {
            shownRows += t.text.startsWith(QStringLiteral("Row ")) ? 1 : 0;
        }
    }
    QCOMPARE(shownRows, 100);
}

// The reports of the fixture's snapshots, painted: the outline, an empty schedule,
// and a page as the preview renders it.
void TestReportPages::loadedReportsPaint()
{
    TempProject p;
    ReportFixture::build(p);
    QString error;
    auto doc = ReportLoader::load(p.connection(), ReportLoader::Kind::Overview, ReportFixture::kNew, &error);
    QVERIFY2(doc, qPrintable(error));
    // Text layout must not swallow the leading spaces that make the outline.
    auto texts = paintedTexts(*doc, 0);
    const auto root = find(texts, QStringLiteral("Cairnwork"));
    const auto alpha = find(texts, QStringLiteral("Alpha"));
    const auto design = find(texts, QStringLiteral("Design"));
    QVERIFY(root && alpha && design);
    QCOMPARE(root->x(), qreal(ReportLayout::kMargin));
    const qreal step = alpha->x() - root->x();
    QVERIFY2(step > 100, qPrintable(QString::number(step)));
    QVERIFY(qAbs(design->x() - alpha->x() - step) < 1);
    QVERIFY(design->y() > alpha->y());

    // Nothing open: one page, and both schedules carry the task schedule's title.
    for (auto kind : {ReportLoader::Kind::TaskSchedule, ReportLoader::Kind::MemberSchedule}) {
        doc = ReportLoader::load(p.connection(), kind, ReportFixture::kIdle, &error, kPrinted);
        QVERIFY2(doc, qPrintable(error));
        QCOMPARE(doc->pageCount(), 1);
        texts = paintedTexts(*doc, 0);
        QVERIFY(find(texts, QStringLiteral("Task Schedule : ") + Stamp::toDisplay(ReportFixture::kIdle)));
        QVERIFY(find(texts, QStringLiteral("1/1")));
    }

    // Rendered for the preview, the one-inch margins stay white; the body does not.
    doc = ReportLoader::load(p.connection(), ReportLoader::Kind::MemberSchedule, ReportFixture::kNew, &error);
    QVERIFY(doc);
    const QImage image = ReportEngine::renderPage(*doc, 0, 48);
    QCOMPARE(image.size(), QSize(561, 397));
    int inkInMargin = 0;
    int inkInBody = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool ink = qGray(image.pixel(x, y)) < 128;
            const bool margin = x < 47 || y < 47 || x >= image.width() - 47 || y >= image.height() - 47;
            (margin ? inkInMargin : inkInBody) += ink ? 1 : 0;
        }
    }
    QCOMPARE(inkInMargin, 0);
    QVERIFY(inkInBody > 500);
}

void TestReportPages::pdfHasPagesOfA4Landscape()
{
    QList<TaskScheduleGroup> groups;
    for (int g = 0; g < 40; ++g) {
        TaskScheduleGroup group;
        group.counterTask = g + 1;
        group.name = QStringLiteral("Task %1").arg(g);
        group.status = QStringLiteral("Open");
        group.members = {ScheduleAssignment{"Amy", "Open", 50, 0, 0}, ScheduleAssignment{"Bob", "Open", 50, 0, 0}};
        groups.append(group);
    }
    ReportDocument doc(std::make_unique<TaskScheduleReport>(groups, ReportFixture::kNew), kPrinted);
    QVERIFY(doc.pageCount() > 1);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tasks.pdf"));
    QString error;
    int calls = 0;
    QVERIFY2(ReportEngine::writePdf(doc,
                                    path,
                                    &error,
                                    [&](int done, int total) {
                                        ++calls;
                                        return done <= total;
                                    }),
             qPrintable(error));
    QCOMPARE(calls, doc.pageCount());
    // Every page A4 landscape: 842 by 595 points.
    const QRegularExpression a4(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+84[12][.0-9]*\\s+59[56][.0-9]*\\s*\\]"));
    QCOMPARE(QString::fromLatin1(fileBytes(path)).count(a4), doc.pageCount());
    QCOMPARE(ReportFixture::pdfPages(path), doc.pageCount());

    // A cancelled export leaves the earlier file as it was.
    const QByteArray before = fileBytes(path);
    QVERIFY(!ReportEngine::writePdf(doc, path, &error, [](int done, int) { return done < 2; }));
    QCOMPARE(fileBytes(path), before);
}

QTEST_MAIN(TestReportPages)
#include "TestReportPages.moc"
