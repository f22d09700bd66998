#include "common/Stamp.h"
#include "common/ui/MessageBox.h"
#include "db/Database.h"
#include "reports/ReportDocument.h"
#include "reports/ui/ReportPreviewWindow.h"
#include "reports/ui/ReportsWindow.h"
#include "tests/support/ReportFixture.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QtTest>
#include <sys/stat.h>

class TestReportsWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void buttonsExplainWithoutData();
    void reportButtonsOpenPreviews();
    void failedGenerationKeepsList();
    void stoppedWaitingKeepsList();
    void previewPagesZoomsAndExports();
    void previewNeverExportsOntoTheProject_data();
    void previewNeverExportsOntoTheProject();
    void buttonsFitTheirTexts();

private:
    static QPushButton* button(QWidget& w, const char* name) { return w.findChild<QPushButton*>(name); }
    static QList<ReportPreviewWindow*> previews(QWidget& w)
    {
        return w.findChildren<ReportPreviewWindow*>(QString(), Qt::FindDirectChildrenOnly);
    }
};

void TestReportsWindow::init()
{
    MessageBox::setAutoAnswer(true);
    MessageBox::takeShown();
}

void TestReportsWindow::cleanup()
{
    MessageBox::setAutoAnswer(false);
}

// With no snapshot the list is empty and each report button says why it cannot run.
void TestReportsWindow::buttonsExplainWithoutData()
{
    TempProject p;
    ReportsWindow w(p.connection());
    QCOMPARE(w.findChild<QListWidget*>("dParTStamp")->count(), 0);
    for (const char* name : {"bShowReport", "bShowTaskSched", "bShowTeamMemSched"}) {
        QTest::mouseClick(button(w, name), Qt::LeftButton);
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().icon, QMessageBox::Information);
        QVERIFY(shown.first().text.contains(QStringLiteral("Generate Report Data")));
    }
    QVERIFY(previews(w).isEmpty());
}

void TestReportsWindow::reportButtonsOpenPreviews()
{
    TempProject p;
    ReportFixture::build(p);
    ReportsWindow w(p.connection());
    w.show();
    QTest::mouseClick(button(w, "bShowReport"), Qt::LeftButton);
    auto* list = w.findChild<QListWidget*>("dParTStamp");
    list->setCurrentRow(1);
    QTest::mouseClick(button(w, "bShowTaskSched"), Qt::LeftButton);
    list->setCurrentRow(0);
    QTest::mouseClick(button(w, "bShowTeamMemSched"), Qt::LeftButton);
    QVERIFY(MessageBox::takeShown().isEmpty());

    // Modeless: all stay open beside the reports window (and go when closed: the working day).
    QStringList open;
    for (ReportPreviewWindow* preview : previews(w)) {
        QVERIFY(preview->isVisible() && !preview->isModal());
        open << preview->objectName() + QStringLiteral(" ") + preview->windowTitle();
    }
    const QString newer = Stamp::toDisplay(ReportFixture::kNew);
    QCOMPARE(open,
             (QStringList{QStringLiteral("rptHierarchy Overview : ") + newer,
                          QStringLiteral("rptTaskSched Task Schedule : ") + Stamp::toDisplay(ReportFixture::kOld),
                          QStringLiteral("rptTeamMemSched Task Schedule : ") + newer}));
}

void TestReportsWindow::failedGenerationKeepsList()
{
    CW_FILE_ONLY("another connection holds the file's write lock.");
    TempProject p;
    ReportFixture::build(p);
    ReportsWindow w(p.connection());
    // A second connection holds the write lock, so the generation cannot write.
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    other.setDatabaseName(p.path());
    QVERIFY(other.open());
    {
        QSqlQuery q(other);
        QVERIFY(q.exec(QStringLiteral("PRAGMA busy_timeout = 0")));
        QVERIFY(q.exec(QStringLiteral("BEGIN IMMEDIATE")));
    }
    QVERIFY(Sql::exec(p.connection(), QStringLiteral("PRAGMA busy_timeout = 0"), nullptr));
    QTest::mouseClick(button(w, "bGenerateData"), Qt::LeftButton);
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().icon, QMessageBox::Critical);
    {
        QSqlQuery q(other);
        QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
    }
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    QCOMPARE(w.findChild<QListWidget*>("dParTStamp")->count(), 3);
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(DISTINCT TimeStamp) FROM CompDates")).toInt(), 3);
}

// Another snapshot of the shared project is under way: "Stop Waiting" gives up without
// writing anything, says who is taking it, and leaves the window ready for the next try.
void TestReportsWindow::stoppedWaitingKeepsList()
{
    if (!TempProject::onServer()) {
        QSKIP("On a file a second snapshot waits for the write lock itself.");
    }
    TempProject p;
    ReportFixture::build(p);
    ReportsWindow w(p.connection());
    QString error;
    QVERIFY2(Database::open(p.path(), QStringLiteral("colleague"), &error), qPrintable(error));
    auto closeColleague = qScopeGuard([] { Database::close(QStringLiteral("colleague")); });
    QVERIFY2(Database::lockSnapshots(QStringLiteral("colleague"), {}, &error), qPrintable(error));
    QString waited;
    // Presses "Stop Waiting" as soon as the waiting dialog shows.
    std::function<void()> stop = [&] {
        for (QProgressDialog* dialog : w.findChildren<QProgressDialog*>()) {
            for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
                if (dialog->isVisible() && b->text() == QLatin1String("Stop Waiting")) {
                    waited = dialog->labelText();
                    QTest::mouseClick(b, Qt::LeftButton);
                    return;
                }
            }
        }
        QTimer::singleShot(0, &w, stop);
    };
    QTimer::singleShot(0, &w, stop);
    QTest::mouseClick(button(w, "bGenerateData"), Qt::LeftButton);
    const QString user = p.scalar(QStringLiteral("SELECT current_user")).toString();
    QVERIFY2(waited.contains(user), qPrintable(waited));
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().text.contains(user), qPrintable(shown.first().text));
    QCOMPARE(w.findChild<QListWidget*>("dParTStamp")->count(), 3);
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(DISTINCT TimeStamp) FROM CompDates")).toInt(), 3);
    // Once the other snapshot is done, the next try takes one at once.
    Database::unlockSnapshots(QStringLiteral("colleague"));
    QTest::mouseClick(button(w, "bGenerateData"), Qt::LeftButton);
    QCOMPARE(MessageBox::takeShown().size(), 0);
    QCOMPARE(w.findChild<QListWidget*>("dParTStamp")->count(), 4);
}

void TestReportsWindow::previewPagesZoomsAndExports()
{
    TempProject p;
    // Enough assignments for several pages.
    for (int i = 0; i < 120; ++i) {
        ReportFixture::row(
            p,
            ReportFixture::kNew,
            ReportFixture::assignment(i, 1, QStringLiteral("M%1").arg(i), QStringLiteral("    M"), "Open", 1, 0, 0));
    }
    ReportsWindow w(p.connection());
    QTest::mouseClick(button(w, "bShowReport"), Qt::LeftButton);
    ReportPreviewWindow* preview = previews(w).value(0);
    QVERIFY(preview);
    QCOMPARE(preview->document().pageCount(), 4);
    QCOMPARE(preview->findChild<QLabel*>("pageCount")->text(), QStringLiteral("of 4"));
    auto* pageNumber = preview->findChild<QSpinBox*>("pageNumber");
    QVERIFY(!preview->findChild<QWidget*>("previousPage")->isEnabled());
    QTest::mouseClick(preview->findChild<QWidget*>("nextPage"), Qt::LeftButton);
    QCOMPARE(pageNumber->value(), 2);
    QTest::mouseClick(preview->findChild<QWidget*>("lastPage"), Qt::LeftButton);
    QCOMPARE(pageNumber->value(), 4);
    QVERIFY(!preview->findChild<QWidget*>("nextPage")->isEnabled());
    pageNumber->setValue(2);
    QCOMPARE(preview->currentPage(), 1);

    auto* view = preview->findChild<QWidget*>("pageView");
    preview->setZoom(1.0);
    const QSize actual = view->size();
    preview->setZoom(2.0);
    QVERIFY(qAbs(view->width() - 2 * actual.width()) <= 2 && qAbs(view->height() - 2 * actual.height()) <= 2);
    QVERIFY(qAbs(actual.width() - preview->logicalDpiX() * 11.69) < 3);

    const QString path = p.dir() + QStringLiteral("/overview.pdf");
    QVERIFY(preview->exportPdf(path));
    QVERIFY(fileBytes(path).startsWith("%PDF"));
    QVERIFY(!preview->exportPdf(p.dir() + QStringLiteral("/missing/overview.pdf")));
    QCOMPARE(MessageBox::takeShown().size(), 1);

    // The printer path prints the chosen pages on whole sheets.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(p.dir() + QStringLiteral("/printed.pdf"));
    QVERIFY(preview->printTo(&printer, 2, 3));
    QVERIFY(printer.fullPage());
    QCOMPARE(ReportFixture::pdfPages(p.dir() + QStringLiteral("/printed.pdf")), 2);
    QVERIFY(QString::fromLatin1(fileBytes(p.dir() + QStringLiteral("/printed.pdf")))
                .contains(QRegularExpression(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+84[12]"))));
}

void TestReportsWindow::previewNeverExportsOntoTheProject_data()
{
    // The name chosen in the file dialog; a link to what follows the colon when given.
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("cause");
    QTest::newRow("the project") << "project.cwk"
                                 << "it is an open Cairnwork project";
    QTest::newRow("link to the project") << "plan.pdf:project.cwk"
                                         << "it is an open Cairnwork project";
    QTest::newRow("link to its -wal") << "wal.pdf:project.cwk-wal"
                                      << "it belongs to the open Cairnwork project";
}

// Export PDF... onto the open project replaced it with the PDF.
void TestReportsWindow::previewNeverExportsOntoTheProject()
{
    QFETCH(QString, chosen);
    QFETCH(QString, cause);
    CW_FILE_ONLY("exports aimed at the project's file and its -wal.");
    TempProject p;
    ReportFixture::build(p);
    QCOMPARE(QFileInfo(p.path()).fileName(), QStringLiteral("project.cwk"));
    const QDir dir(p.dir());
    QString path = dir.filePath(chosen.section(QLatin1Char(':'), 0, 0));
    if (chosen.contains(QLatin1Char(':'))) {
        QVERIFY(QFile::link(dir.filePath(chosen.section(QLatin1Char(':'), 1)), path));
    }
    ReportsWindow w(p.connection());
    QTest::mouseClick(button(w, "bShowReport"), Qt::LeftButton);
    ReportPreviewWindow* preview = previews(w).value(0);
    QVERIFY(preview);
    // The project is open here: only stat() may look at its files.
    auto identity = [&](const QString& file) -> QByteArray {
        struct stat st;
        if (::stat(QFile::encodeName(file).constData(), &st) != 0) {
            return QByteArray();
        }
        return QByteArray::number(qulonglong(st.st_ino)) + ' ' + QByteArray::number(qlonglong(st.st_size)) + ' ' +
            QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' + QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
    };
    const QByteArray project = identity(p.path());
    const QByteArray wal = identity(p.path() + QStringLiteral("-wal"));
    MessageBox::takeShown();

    QVERIFY(!preview->exportPdf(path));
    // Print... to a file is the same kind of write.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    QVERIFY(!preview->printTo(&printer));
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 2);
    for (const auto& box : shown) {
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.contains(cause), qPrintable(box.text));
    }
    QCOMPARE(identity(p.path()), project);
    QCOMPARE(identity(p.path() + QStringLiteral("-wal")), wal);
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(DISTINCT TimeStamp) FROM CompDates")).toInt(), 3);
}

// Each button is as wide as its text plus a margin of an "M" on either side, so no
// text touches the edges.
void TestReportsWindow::buttonsFitTheirTexts()
{
    TempProject p;
    ReportsWindow w(p.connection());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const char* name : {"bGenerateData", "bShowReport", "bShowTeamMemSched", "bShowTaskSched"}) {
        QPushButton* b = button(w, name);
        QVERIFY(b);
        const QFontMetrics metrics(b->font());
        const int wanted = metrics.horizontalAdvance(b->text()) + 2 * metrics.horizontalAdvance(QLatin1Char('M'));
        QVERIFY2(b->width() >= wanted, name);
    }
}

QTEST_MAIN(TestReportsWindow)
#include "TestReportsWindow.moc"
