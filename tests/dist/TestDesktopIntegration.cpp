#include "db/Schema.h"
#include "tests/support/CliRun.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>

namespace {
const QString kProjectType = QStringLiteral("application/x-cairnwork-project");
const QString kSqliteType = QStringLiteral("application/vnd.sqlite3");

// Runs a tool the test needs; a missing tool fails the test instead of skipping it.
bool runTool(const QString& program, const QStringList& args, QString* output)
{
    const QString path = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        *output = program + QStringLiteral(" is not installed (scripts/dev.sh deps installs it)");
        return false;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(path, args);
    const bool finished = p.waitForFinished(300000);
    *output = QString::fromLocal8Bit(p.readAll());
    return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A SQLite file another program could have written, with its own application_id.
bool writeForeignSqlite(const QString& path, int applicationId)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        db.setDatabaseName(path);
        QSqlQuery q(db);
        ok = db.open() && q.exec(QStringLiteral("PRAGMA application_id = %1").arg(applicationId)) &&
            q.exec(QStringLiteral("CREATE TABLE notes (id INTEGER PRIMARY KEY, text TEXT)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    return ok;
}
} // namespace

class TestDesktopIntegration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fileType_data();
    void fileType();
    void desktopEntryOpensProjects();

private:
    QTemporaryDir m_dir;
    QString m_prefix;
    QString m_files;
};

// Installs the build and builds the prefix's type database together with the
// common one, as a distribution's single database holds both (lookups that span
// several folders let a later folder's plain SQLite rule win in some Qt versions).
void TestDesktopIntegration::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_prefix = m_dir.filePath(QStringLiteral("prefix"));
    m_files = m_dir.filePath(QStringLiteral("files"));
    QVERIFY(QDir().mkpath(m_files));
    QString output;
    QVERIFY2(runTool(QStringLiteral(CW_CMAKE),
                     {QStringLiteral("--install"), QStringLiteral(CW_BUILD_DIR), QStringLiteral("--prefix"), m_prefix},
                     &output),
             qPrintable(output));
    const QString common = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                  QStringLiteral("mime/packages/freedesktop.org.xml"));
    QVERIFY2(!common.isEmpty(), "the common type database is missing (scripts/dev.sh deps installs shared-mime-info)");
    QVERIFY(QFile::copy(common, m_prefix + QStringLiteral("/share/mime/packages/freedesktop.org.xml")));
    QVERIFY2(runTool(QStringLiteral("update-mime-database"), {m_prefix + QStringLiteral("/share/mime")}, &output),
             qPrintable(output));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(m_prefix + QStringLiteral("/share")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("home"))));

    // A real project from the tool a user runs, under names that do and do not say so.
    const QString project = m_files + QStringLiteral("/plan.cwk");
    const CliRun init = CliRun::run({QStringLiteral("init"), project});
    QVERIFY2(init.exitCode == 0, qPrintable(init.err));
    QVERIFY(QFile::copy(project, m_files + QStringLiteral("/plan")));
    QFile empty(m_files + QStringLiteral("/empty.cwk"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QVERIFY(writeForeignSqlite(m_files + QStringLiteral("/other"), 0));
    QVERIFY(writeForeignSqlite(m_files + QStringLiteral("/other.sqlite3"), 0));
    QVERIFY(writeForeignSqlite(m_files + QStringLiteral("/notes"), Schema::kApplicationId + 1));
}

void TestDesktopIntegration::fileType_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("type");
    QTest::newRow("project") << "plan.cwk" << kProjectType;
    QTest::newRow("project without a suffix, by content") << "plan" << kProjectType;
    QTest::newRow("empty file, by name") << "empty.cwk" << kProjectType;
    QTest::newRow("plain SQLite") << "other" << kSqliteType;
    QTest::newRow("plain SQLite with its suffix") << "other.sqlite3" << kSqliteType;
    QTest::newRow("SQLite with another program's id") << "notes" << kSqliteType;
}

void TestDesktopIntegration::fileType()
{
    QFETCH(QString, file);
    QFETCH(QString, type);
    const QMimeType found = QMimeDatabase().mimeTypeForFile(m_files + QLatin1Char('/') + file);
    QCOMPARE(found.name(), type);
    // Programs that open any SQLite file still offer themselves for projects.
    QVERIFY(type != kProjectType || found.inherits(kSqliteType));
}

// The entry validates, hands the opened file to the program and names only types
// the installed database knows (a misspelt type would never match a project).
void TestDesktopIntegration::desktopEntryOpensProjects()
{
    const QString entry = m_prefix + QStringLiteral("/share/applications/cairnwork.desktop");
    QString output;
    QVERIFY2(runTool(QStringLiteral("desktop-file-validate"), {entry}, &output), qPrintable(output));
    QVERIFY2(output.trimmed().isEmpty(), qPrintable(output));

    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QHash<QString, QString> keys; // the entry has one group
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0) {
            keys.insert(line.left(eq), line.mid(eq + 1));
        }
    }
    const QStringList exec = keys.value(QStringLiteral("Exec")).split(QLatin1Char(' '));
    QVERIFY(exec.contains(QStringLiteral("%f")) || exec.contains(QStringLiteral("%F")));
    const QStringList types = keys.value(QStringLiteral("MimeType")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QVERIFY(types.contains(kProjectType));
    for (const QString& type : types) {
        QVERIFY2(QMimeDatabase().mimeTypeForName(type).isValid(), qPrintable(type));
    }
}

QTEST_GUILESS_MAIN(TestDesktopIntegration)
#include "TestDesktopIntegration.moc"
