#include "charts/ui/TimelineCanvas.h"
#include "charts/ui/TimelineWindow.h"
#include "reports/ui/ReportsWindow.h"
#include "tests/support/SnapshotProbe.h"
#include "tests/support/TestSql.h"
#include "tests/support/WidgetTest.h"

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

using namespace WidgetTest;

// The timeline window driven by objectName over a project with two snapshots:
// Ann and Bob on goal "Build" (sub-goal "Docs"), the older snapshot stripped of
// its stored working hours as snapshots taken before they were kept are.
class TestTimelineWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void viewsAndOutline();
    void zoomByComboKeysAndWheel();
    void statusSaysWhenHoursAreMissing();
    void scaleStaysAndBarsTellWhatTheyAre();
    void savesAndExports();
    void reportsWindowOpensItsStamp();

private:
    QStringList rowLabels() const
    {
        QStringList labels;
        for (const TimelinePicture::Row& r : m_w->picture()->rows()) {
            labels << r.label.trimmed();
        }
        return labels;
    }
    void setView(const QString& text)
    {
        auto* view = child<QComboBox>(m_w, "cboView");
        view->setCurrentIndex(view->findText(text));
    }

    std::unique_ptr<TempProject> m_p;
    QPointer<TimelineWindow> m_w;
    QString m_old;
    QString m_new;
    QString m_chosen; // the path the next file question answers
};

void TestTimelineWindow::init()
{
    m_p = std::make_unique<TempProject>();
    m_p->member(QStringLiteral("Ann"));
    m_p->member(QStringLiteral("Bob"));
    const qint64 build = m_p->goal(QStringLiteral("Build"));
    const qint64 docs = m_p->goal(QStringLiteral("Docs"), build);
    const qint64 api = m_p->task(build, QStringLiteral("API"), 5, QStringLiteral("Open"), 10);
    const qint64 ui = m_p->task(build, QStringLiteral("UI"), 3, QStringLiteral("Open"), 20);
    const qint64 guide = m_p->task(docs, QStringLiteral("Guide"), 2);
    m_p->assign(api, QStringLiteral("Ann"), 100, 0, 0);
    m_p->assign(ui, QStringLiteral("Ann"), 100, 0, 0);
    m_p->assign(guide, QStringLiteral("Bob"), 100, 0, 0);
    m_old = SnapshotProbe::generate(*m_p, QStringLiteral("2026-03-02 08:00:00"));
    m_new = SnapshotProbe::generate(*m_p, QStringLiteral("2026-03-04 08:00:00"));
    runSql(*m_p, QStringLiteral("DELETE FROM CompDatesHours WHERE TimeStamp = ?"), {m_old});
    m_w = new TimelineWindow(m_p->connection());
    m_w->setPathChooser([this](const QString&, const QString&, const QString&) { return m_chosen; });
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w));
}

void TestTimelineWindow::cleanup()
{
    delete m_w;
    m_p.reset();
}

void TestTimelineWindow::viewsAndOutline()
{
    // The newest snapshot, by member: a lane each.
    QCOMPARE(child<QComboBox>(m_w, "cboStamp")->currentData().toString(), m_new);
    QCOMPARE(rowLabels(), (QStringList{"Ann", "Bob"}));

    setView(QStringLiteral("By goal"));
    QCOMPARE(rowLabels().size(), 6);
    QVERIFY(rowLabels().at(1).endsWith(QStringLiteral("Build")));
    // A click on Build's name folds its rows away; Enter on it unfolds them, Left folds them again.
    TimelineCanvas* canvas = m_w->canvas();
    const TimelinePicture* picture = m_w->picture();
    const QPoint buildName(10, int(picture->scaleHeight() + 1.5 * picture->rowHeight()));
    QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, buildName);
    QCOMPARE(rowLabels().size(), 2);
    QCOMPARE(canvas->currentRow(), 1);
    QTest::keyClick(canvas, Qt::Key_Return);
    QCOMPARE(rowLabels().size(), 6);
    QTest::keyClick(canvas, Qt::Key_Left);
    QCOMPARE(rowLabels().size(), 2);
}

void TestTimelineWindow::zoomByComboKeysAndWheel()
{
    auto* zoom = child<QComboBox>(m_w, "cboZoom");
    QCOMPARE(zoom->currentText(), QStringLiteral("Weeks"));
    const double weeks = m_w->picture()->chartWidth();
    TimelineCanvas* canvas = m_w->canvas();
    QTest::keyClick(canvas, Qt::Key_Plus);
    QCOMPARE(zoom->currentText(), QStringLiteral("Days"));
    QVERIFY(m_w->picture()->chartWidth() > weeks);
    // Finer than days there is none.
    QTest::keyClick(canvas, Qt::Key_Plus);
    QCOMPARE(zoom->currentText(), QStringLiteral("Days"));
    QTest::keyClick(canvas, Qt::Key_Minus);
    QCOMPARE(zoom->currentText(), QStringLiteral("Weeks"));
    const auto wheel = [canvas](int delta, Qt::KeyboardModifiers modifiers) {
        const QPoint middle = canvas->viewport()->rect().center();
        QWheelEvent event(middle,
                          canvas->viewport()->mapToGlobal(middle),
                          {},
                          {0, delta},
                          Qt::NoButton,
                          modifiers,
                          Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(canvas->viewport(), &event);
    };
    wheel(-120, Qt::ControlModifier);
    QCOMPARE(zoom->currentText(), QStringLiteral("Months"));
    // A plain wheel scrolls instead.
    wheel(120, Qt::NoModifier);
    QCOMPARE(zoom->currentText(), QStringLiteral("Months"));
}

void TestTimelineWindow::statusSaysWhenHoursAreMissing()
{
    auto* status = child<QLabel>(m_w, "lblStatus");
    const QString missing = QStringLiteral("keeps no working hours");
    QVERIFY2(!status->text().contains(missing), qPrintable(status->text()));
    auto* stamp = child<QComboBox>(m_w, "cboStamp");
    stamp->setCurrentIndex(stamp->findData(m_old));
    QVERIFY(!m_w->timeline().hoursStored());
    QVERIFY2(status->text().contains(missing), qPrintable(status->text()));
    stamp->setCurrentIndex(stamp->findData(m_new));
    QVERIFY(!status->text().contains(missing));
}

void TestTimelineWindow::scaleStaysAndBarsTellWhatTheyAre()
{
    setView(QStringLiteral("By goal"));
    m_w->resize(520, 200);
    QTRY_VERIFY(m_w->canvas()->verticalScrollBar()->maximum() > 0);
    TimelineCanvas* canvas = m_w->canvas();
    QScrollBar* rows = canvas->verticalScrollBar();
    const QRect scale(0, 0, canvas->viewport()->width(), int(m_w->picture()->scaleHeight()));
    const QRect names(0, scale.bottom() + 1, int(m_w->picture()->nameWidth()), 40);
    const QImage scaleBefore = canvas->viewport()->grab(scale).toImage();
    const QImage namesBefore = canvas->viewport()->grab(names).toImage();
    // Half a row down: the names move, the scale (current row's frame included) does not.
    rows->setValue(int(m_w->picture()->rowHeight() / 2));
    QCOMPARE(canvas->viewport()->grab(scale).toImage(), scaleBefore);
    QVERIFY(canvas->viewport()->grab(names).toImage() != namesBefore);

    // Over the middle of Ann's first bar: its task and goal.
    setView(QStringLiteral("By member"));
    const TimelinePicture* picture = m_w->picture();
    const Timeline::Bar& api = m_w->timeline().lanes().at(0).bars.at(0);
    const auto [a, b] = picture->span(api.start, api.end);
    const QPoint at(int(picture->nameWidth() + (a + b) / 2) - canvas->horizontalScrollBar()->value(),
                    int(picture->scaleHeight() + picture->rowHeight() / 2) - rows->value());
    QHelpEvent help(QEvent::ToolTip, at, canvas->viewport()->mapToGlobal(at));
    QApplication::sendEvent(canvas->viewport(), &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY2(QToolTip::text().startsWith(QStringLiteral("API")) && QToolTip::text().contains(QStringLiteral("Build")),
             qPrintable(QToolTip::text()));
    QToolTip::hideText();
}

void TestTimelineWindow::savesAndExports()
{
    QTemporaryDir dir;
    // Save PNG: a picture of the whole timeline.
    m_chosen = dir.filePath(QStringLiteral("timeline"));
    child<QPushButton>(m_w, "bSavePng")->click();
    QVERIFY(QImage(m_chosen + QStringLiteral(".png"), "PNG").width() > 0);
    // Save PDF.
    m_chosen = dir.filePath(QStringLiteral("timeline.pdf"));
    child<QPushButton>(m_w, "bSavePdf")->click();
    QFile pdf(m_chosen);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    // A save that would replace the project is refused, and the project stays a project.
    QString error;
    QVERIFY(!m_w->savePng(m_p->path(), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(m_p->scalar(QStringLiteral("SELECT COUNT(*) FROM RESOURCES")).toInt(), 2);
    // Export Calendar... of Bob's lane.
    m_chosen = dir.filePath(QStringLiteral("bob.ics"));
    m_w->canvas()->setCurrentRow(1);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), QPoint(5, 5));
    QApplication::sendEvent(m_w->canvas(), &menuKey);
    child<QAction>(m_w->laneMenu(), "mnuLaneCalendar")->trigger();
    QFile ics(m_chosen);
    QVERIFY(ics.open(QIODevice::ReadOnly));
    const QByteArray calendar = ics.readAll();
    QVERIFY(calendar.startsWith("BEGIN:VCALENDAR"));
    QVERIFY(calendar.contains("SUMMARY:Guide"));
    QVERIFY(!calendar.contains("SUMMARY:API"));
}

void TestTimelineWindow::reportsWindowOpensItsStamp()
{
    auto* reports = new ReportsWindow(m_p->connection());
    reports->show();
    auto* list = child<QListWidget>(reports, "dParTStamp");
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->data(Qt::UserRole).toString() == m_old) {
            list->setCurrentRow(i);
        }
    }
    child<QPushButton>(reports, "bTimeline")->click();
    TimelineWindow* opened = reports->findChild<TimelineWindow*>();
    QVERIFY(opened && opened->isVisible());
    QCOMPARE(opened->timeline().stamp(), m_old);
    delete reports;
}

QTEST_MAIN(TestTimelineWindow)
#include "TestTimelineWindow.moc"
