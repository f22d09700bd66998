#include "app/AppSettings.h"
#include "app/MainLayout.h"

#include <QTemporaryDir>
#include <QtTest>

using Splitter = MainLayout::Splitter;
Q_DECLARE_METATYPE(MainLayout::Splitter)

namespace {
// A laid-out window as at first start: 6500 x 6500, client 6000 high, status bar 300.
MainLayout firstStart(AppSettings& settings)
{
    MainLayout layout;
    layout.load(settings);
    layout.setChrome(6000, 400, 300);
    layout.resized();
    return layout;
}
} // namespace

class TestMainLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstStartDefaults();
    void storedValuesAndBadNumbers();
    void minimumWidth();
    void resizeKeepsProportions();
    void dragLimits_data();
    void dragLimits();
    void hiddenListsGiveTheirSpace();
    void toolbarTakesTopOfPanes();
    void negativeSizesAreRefused();
    void closeWritesSettings();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    int m_run = 0;
};

void TestMainLayout::init()
{
    m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("s%1.ini").arg(++m_run)));
}

void TestMainLayout::firstStartDefaults()
{
    const MainLayout layout = firstStart(*m_settings);
    QCOMPARE(layout.windowRect(), (TwipsRect{1000, 1000, 6500, 6500}));
    // Client 6000 less the status bar; the hidden toolbar takes nothing.
    QCOMPARE((QList<TwipsRect>{layout.tree(), layout.taskList(), layout.resourceList(), layout.noteList()}),
             (QList<TwipsRect>{{0, 0, 1625, 5700},
                               {1665, 0, 4735, 2167},
                               {1665, 2207, 4735, 2126},
                               {1665, 4373, 4735, 5700 - 2167 - 40 - 2126 - 40}}));
    const TwipsRect vertical = layout.strip(Splitter::Vertical);
    const TwipsRect first = layout.strip(Splitter::First);
    const TwipsRect second = layout.strip(Splitter::Second);
    QCOMPARE((QList<double>{vertical.left, vertical.height, first.left, first.top, second.top, second.width}),
             (QList<double>{1625, 5700, 1665, 2167, 4333, 4735}));
}

void TestMainLayout::storedValuesAndBadNumbers()
{
    m_settings->setValue(QStringLiteral("MainLeft"), QStringLiteral("250"));
    m_settings->setValue(QStringLiteral("MainTop"), QStringLiteral("far away"));
    m_settings->setValue(QStringLiteral("MainWidth"), QStringLiteral("9001"));
    m_settings->setValue(QStringLiteral("MainHeight"), QStringLiteral("7500"));
    m_settings->setValue(QStringLiteral("SPV2"), QStringLiteral("x"));
    m_settings->setValue(QStringLiteral("ViewNotes"), QStringLiteral("0"));
    m_settings->setValue(QStringLiteral("ViewStatusBar"), QStringLiteral("yes"));
    MainLayout layout;
    layout.load(*m_settings);
    // A stored text that is no number leaves the designed value.
    QCOMPARE(layout.windowRect(), (TwipsRect{250, 1000, 9001, 7500}));
    // Splitter defaults follow the restored size, halves to even: 9001 / 4 = 2250.25.
    QCOMPARE(layout.strip(Splitter::Vertical).left, 2250.0);
    QCOMPARE(layout.strip(Splitter::First).top, 2500.0);
    QCOMPARE(layout.strip(Splitter::Second).top, 4333.0);
    QVERIFY(layout.resourceListVisible());
    QVERIFY(!layout.noteListVisible());
    QVERIFY(!layout.statusBarVisible()); // only "1" shows it
}

void TestMainLayout::minimumWidth()
{
    MainLayout layout = firstStart(*m_settings);
    layout.setWindowSize(2000, 6500);
    layout.resized();
    QCOMPARE(layout.windowRect().width, 3000.0);
    // The splitter scales with the width the window really gets.
    QCOMPARE(layout.strip(Splitter::Vertical).left, 750.0);
}

void TestMainLayout::resizeKeepsProportions()
{
    MainLayout layout = firstStart(*m_settings);
    layout.setWindowSize(13000, 13000);
    layout.setChrome(12500, 400, 300);
    layout.resized();
    QCOMPARE(layout.strip(Splitter::Vertical).left, 3250.0);
    QCOMPARE(layout.bar(Splitter::Vertical).left, 3250.0);
    QCOMPARE(layout.strip(Splitter::First).top, 4334.0);
    QCOMPARE(layout.strip(Splitter::Second).top, 8666.0);
    QCOMPARE(layout.tree().width, 3250.0);
    QCOMPARE(layout.taskList().height, 4334.0);
    // Back to the old size: the places come back (to the nearest twip).
    layout.setWindowSize(6500, 6500);
    layout.setChrome(6000, 400, 300);
    layout.resized();
    QCOMPARE(layout.strip(Splitter::Vertical).left, 1625.0);
    QCOMPARE(layout.strip(Splitter::First).top, 2167.0);
    QCOMPARE(layout.strip(Splitter::Second).top, 4333.0);
}

void TestMainLayout::dragLimits_data()
{
    QTest::addColumn<Splitter>("splitter");
    QTest::addColumn<bool>("resourceShown");
    QTest::addColumn<bool>("notesShown");
    QTest::addColumn<double>("target"); // where the mouse goes, in window twips
    QTest::addColumn<double>("expected");
    // Window 6500 x 6500; splitters at 1625, 2167 and 4333.
    QTest::newRow("vertical, left edge") << Splitter::Vertical << true << true << 100.0 << 500.0;
    QTest::newRow("vertical, right edge") << Splitter::Vertical << true << true << 6400.0 << 6000.0;
    QTest::newRow("first, top") << Splitter::First << true << true << 500.0 << 1000.0;
    QTest::newRow("first, onto the second") << Splitter::First << true << true << 4000.0 << 3833.0;
    QTest::newRow("first, notes hidden") << Splitter::First << true << false << 6000.0 << 5000.0;
    QTest::newRow("first, notes hidden, free") << Splitter::First << true << false << 4500.0 << 4500.0;
    QTest::newRow("second, onto the first") << Splitter::Second << true << true << 2300.0 << 2667.0;
    QTest::newRow("second, resources hidden") << Splitter::Second << false << true << 300.0 << 500.0;
    QTest::newRow("second, bottom") << Splitter::Second << true << true << 6000.0 << 5000.0;
}

void TestMainLayout::dragLimits()
{
    QFETCH(Splitter, splitter);
    QFETCH(bool, resourceShown);
    QFETCH(bool, notesShown);
    QFETCH(double, target);
    QFETCH(double, expected);
    MainLayout layout = firstStart(*m_settings);
    layout.setResourceListVisible(resourceShown);
    layout.setNoteListVisible(notesShown);
    const bool vertical = splitter == Splitter::Vertical;
    const TwipsRect strip = layout.strip(splitter);
    // Moving without a mouse down does nothing.
    layout.dragTo(splitter, 10);
    QCOMPARE(layout.bar(splitter).left, strip.left);
    QCOMPARE(layout.bar(splitter).top, strip.top);

    layout.beginDrag(splitter);
    QVERIFY(layout.isMoving(splitter));
    QVERIFY(layout.isBarVisible(splitter));
    QCOMPARE(layout.bar(splitter).width, vertical ? 30.0 : strip.width - 20);
    QCOMPARE(layout.bar(splitter).height, vertical ? strip.height - 20 : 30.0);
    layout.dragTo(splitter, target - (vertical ? strip.left : strip.top));
    const TwipsRect bar = layout.bar(splitter);
    QCOMPARE(vertical ? bar.left : bar.top, expected);
    layout.endDrag(splitter);
    QVERIFY(!layout.isMoving(splitter));
    QVERIFY(!layout.isBarVisible(splitter));
    const TwipsRect moved = layout.strip(splitter);
    QCOMPARE(vertical ? moved.left : moved.top, expected);
    if (vertical) {
        QCOMPARE(layout.tree().width, expected);
        QCOMPARE(layout.taskList().left, expected + 40);
    } else if (splitter == Splitter::First) {
        QCOMPARE(layout.taskList().height, expected);
    } else {
        QCOMPARE(layout.noteList().top, expected + 40);
    }
}

void TestMainLayout::hiddenListsGiveTheirSpace()
{
    MainLayout layout = firstStart(*m_settings);
    const TwipsRect resource = layout.resourceList();
    const TwipsRect firstStrip = layout.strip(Splitter::First);
    layout.setResourceListVisible(false);
    QCOMPARE(layout.taskList().height, 4333.0);
    // The hidden list and its strip keep their old places.
    QCOMPARE(layout.resourceList(), resource);
    QCOMPARE(layout.strip(Splitter::First), firstStrip);
    QCOMPARE(layout.noteList().height, 5700 - 4333 - 40.0);
    layout.setNoteListVisible(false);
    QCOMPARE(layout.taskList().height, layout.tree().height);
    layout.setNoteListVisible(true);
    layout.setResourceListVisible(true);
    QCOMPARE(layout.taskList().height, 2167.0);
    QCOMPARE(layout.resourceList(), resource);
    // Notes hidden: the resource list reaches down to the bottom.
    layout.setNoteListVisible(false);
    QCOMPARE(layout.resourceList().height, 5700 - 2167 - 40.0);
}

void TestMainLayout::toolbarTakesTopOfPanes()
{
    MainLayout layout = firstStart(*m_settings);
    layout.setToolbarVisible(true);
    QCOMPARE(layout.tree(), (TwipsRect{0, 400, 1625, 5300}));
    QCOMPARE(layout.taskList().top, 400.0);
    QCOMPARE(layout.taskList().height, 2167.0 - 400);
    QCOMPARE(layout.strip(Splitter::Vertical).top, 400.0);
    layout.setStatusBarVisible(false);
    QCOMPARE(layout.tree().height, 5600.0);
}

void TestMainLayout::negativeSizesAreRefused()
{
    MainLayout layout = firstStart(*m_settings);
    const double notes = layout.noteList().height;
    // A client area far too low for the splitters' places.
    layout.setChrome(3000, 400, 300);
    layout.SizeControls();
    QCOMPARE(layout.tree().height, 2700.0);
    QCOMPARE(layout.noteList().height, notes);
    QCOMPARE(layout.resourceList().height, 2126.0);
}

void TestMainLayout::closeWritesSettings()
{
    MainLayout layout = firstStart(*m_settings);
    layout.setWindowPosition(1500, 750.5);
    layout.setNoteListVisible(false);
    layout.beginDrag(Splitter::Vertical);
    layout.dragTo(Splitter::Vertical, 1000);
    layout.endDrag(Splitter::Vertical);
    layout.save(*m_settings, false);
    QStringList written;
    // The window's place and splitters, then which parts show.
    const QString keys = QStringLiteral("MainLeft MainTop MainWidth MainHeight SP1 SPV1 SPV2") +
        QStringLiteral(" ViewResource ViewNotes ViewStatusBar");
    for (const QString& key : keys.split(QLatin1Char(' '))) {
        written << m_settings->value(key);
    }
    QCOMPARE(written.join(QLatin1Char(' ')), QStringLiteral("1500 750.5 6500 6500 2625 2167 4333 1 0 1"));
    // The next start finds everything where it was.
    MainLayout again;
    again.load(*m_settings);
    QCOMPARE(again.windowRect(), (TwipsRect{1500, 750.5, 6500, 6500}));
    QCOMPARE(again.strip(Splitter::Vertical).left, 2625.0);
    QVERIFY(!again.noteListVisible());
}

QTEST_GUILESS_MAIN(TestMainLayout)
#include "TestMainLayout.moc"
