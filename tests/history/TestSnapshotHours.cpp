#include "tests/support/FileDigest.h"
#include "tests/support/SnapshotProbe.h"

#include "db/Database.h"
#include "db/Schema.h"
#include "schedule/SnapshotHours.h"

#include <QtTest>

using P = SnapshotProbe;

namespace {
// Made by the program of format 1 (two snapshots, 2026-03-02 and 2026-03-09 09:00).
QString copyOfFormat1(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("old.cwk"));
    QFile::copy(QStringLiteral(CW_FORMAT1_FILE), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QVariant scalar(const QString& connection, const QString& sql)
{
    QSqlQuery q(Sql::db(connection));
    return q.exec(sql) && q.next() ? q.value(0) : QVariant();
}

// The tables, views, indexes and triggers of a project, by kind and name.
QStringList schemaObjects(const QString& connection)
{
    QStringList objects;
    QSqlQuery q(Sql::db(connection));
    q.exec(QStringLiteral("SELECT type || ' ' || name FROM sqlite_master WHERE name NOT LIKE 'sqlite_%' ORDER BY 1"));
    while (q.next()) {
        objects << q.value(0).toString();
    }
    return objects;
}
} // namespace

class TestSnapshotHours : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedSnapshotKeepsNoHours();
    void formatOneIsMigrated();
    void failedMigrationLeavesFormatOne();
};

void TestSnapshotHours::failedSnapshotKeepsNoHours()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    p.task(p.goal(QStringLiteral("G")), QStringLiteral("T"), 1);
    QString error;
    QVERIFY(Sql::exec(p.connection(),
                      QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON CompDatesHours"
                                     " BEGIN SELECT RAISE(ABORT, 'no hours'); END"),
                      &error));
    QString stamp;
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-03-02 09:00:00")));
    QVERIFY(!SnapshotGenerator::GenerateCompDates(p.connection(), clock, &stamp, &error));
    QVERIFY2(error.contains(QLatin1String("working hours")), qPrintable(error));
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(*) FROM CompDates")).toInt(), 0);
}

void TestSnapshotHours::formatOneIsMigrated()
{
    QTemporaryDir dir;
    const QString path = copyOfFormat1(dir);
    QString error;
    QVERIFY2(Database::open(path, QStringLiteral("old"), &error), qPrintable(error));
    QCOMPARE(scalar(QStringLiteral("old"), QStringLiteral("PRAGMA user_version")).toInt(), Schema::kVersion);
    QCOMPARE(scalar(QStringLiteral("old"), QStringLiteral("SELECT COUNT(*) FROM CompDates")).toInt(), 24);
    // A migrated file has what a new one has, and nothing it no longer has.
    TempProject fresh;
    QCOMPARE(schemaObjects(QStringLiteral("old")), schemaObjects(fresh.connection()));
    std::vector<MemberRecord> members;
    bool stored = true;
    QVERIFY(
        SnapshotHours::read(QStringLiteral("old"), QStringLiteral("2026-03-09 09:00:00"), &members, &stored, &error));
    QVERIFY(!stored);
    // The migrated file takes new snapshots with their hours.
    QString stamp;
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-03-16 09:00:00")));
    QVERIFY2(SnapshotGenerator::GenerateCompDates(QStringLiteral("old"), clock, &stamp, &error), qPrintable(error));
    QVERIFY(SnapshotHours::read(QStringLiteral("old"), stamp, &members, &stored, &error));
    QVERIFY(stored);
    QCOMPARE(members.size(), std::size_t(2));
    Database::close(QStringLiteral("old"));
}

void TestSnapshotHours::failedMigrationLeavesFormatOne()
{
    QTemporaryDir dir;
    const QString path = copyOfFormat1(dir);
    {
        // Another tool left a table of that name: the step fails part-way.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE CompDatesHours (x)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    const QByteArray before = fileDigest(path);
    QString error;
    QVERIFY(!Database::open(path, QStringLiteral("old"), &error));
    QVERIFY2(error.contains(QLatin1String("brought up to date")), qPrintable(error));
    QCOMPARE(fileDigest(path), before);
}

QTEST_GUILESS_MAIN(TestSnapshotHours)
#include "TestSnapshotHours.moc"
