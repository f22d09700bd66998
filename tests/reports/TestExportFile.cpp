#include "reports/CsvExport.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportLoader.h"
#include "tests/support/ReportFixture.h"

#include <QFile>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

// A write the file system refuses part-way must fail with the system's reason and
// leave the earlier export as it was. A full disk cannot be had without privileges;
// a file size limit (RLIMIT_FSIZE, with SIGXFSZ ignored) makes the kernel refuse a
// write beyond a size the same way, cutting one short and failing the next with
// EFBIG, for any user, root included.
class TestExportFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writeFailureNamesTheCause_data();
    void writeFailureNamesTheCause();
};

namespace {
// Limits the size of every file this process writes while it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};
} // namespace

void TestExportFile::writeFailureNamesTheCause_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("csv") << "csv";
    QTest::newRow("pdf") << "pdf";
}

// A full disk during a CSV export said "Writing canceled by application".
void TestExportFile::writeFailureNamesTheCause()
{
    QFETCH(QString, suffix);
    TempProject p;
    // Enough lines and pages to go past the limit.
    for (int i = 0; i < 400; ++i) {
        ReportFixture::row(p,
                           ReportFixture::kNew,
                           ReportFixture::assignment(
                               i, 1, QStringLiteral("Member %1").arg(i), QStringLiteral("    M"), "Open", 1, 0, 0));
    }
    const QString path = p.dir() + QStringLiteral("/report.") + suffix;
    QFile earlier(path);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("the earlier export\n");
    earlier.close();
    const QStringList entries = QDir(p.dir()).entryList(QDir::Files);

    QString error;
    bool ok = true;
    {
        const FileSizeLimit limit(4096);
        if (suffix == QLatin1String("csv")) {
            ok = CsvExport::write(p.connection(), ReportLoader::Kind::Overview, ReportFixture::kNew, path, &error);
        } else {
            const auto document =
                ReportLoader::load(p.connection(), ReportLoader::Kind::Overview, ReportFixture::kNew, &error);
            QVERIFY2(document, qPrintable(error));
            ok = ReportEngine::writePdf(*document, path, &error);
        }
    }
    QVERIFY(!ok);
    QVERIFY2(error.contains(path) && error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))), qPrintable(error));
    QCOMPARE(fileBytes(path), QByteArray("the earlier export\n"));
    QCOMPARE(QDir(p.dir()).entryList(QDir::Files), entries);
}

QTEST_MAIN(TestExportFile)
#include "TestExportFile.moc"
