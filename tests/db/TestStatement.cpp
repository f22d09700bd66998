#include "db/Sql.h"
#include "db/SqliteHandle.h"
#include "db/Statement.h"
#include "tests/support/TempProject.h"

#include <QtTest>
#include <cmath>

// The two ways a statement reaches the engine (SQLite's own interface, Qt SQL)
// must read and write the same values, including what only another tool writes.
class TestStatement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Statement::setNativeEnabled(true); }
    void pathIsChosenByTheSwitch();
    void bothPathsReadTheSameValues_data();
    void bothPathsReadTheSameValues();
    void failuresAreDescribedAlike();
};

// Where the Qt driver's library is this program's own, statements go native.
void TestStatement::pathIsChosenByTheSwitch()
{
    TempProject p;
    QVERIFY(SqliteHandle::of(p.connection()) != nullptr);
    QString error;
    auto native = Statement::prepare(p.connection(), QStringLiteral("SELECT 1"), &error);
    QVERIFY2(native && native->isNative(), qPrintable(error));
    Statement::setNativeEnabled(false);
    auto viaQt = Statement::prepare(p.connection(), QStringLiteral("SELECT 1"), &error);
    QVERIFY2(viaQt && !viaQt->isNative(), qPrintable(error));
    // A connection that is not open has no handle to give out.
    QVERIFY(SqliteHandle::of(QStringLiteral("no such connection")) == nullptr);
}

void TestStatement::bothPathsReadTheSameValues_data()
{
    QTest::addColumn<bool>("native");
    QTest::newRow("SQLite's own interface") << true;
    QTest::newRow("Qt SQL") << false;
}

// Values another tool may store in a figure column: only numbers of a magnitude the
// program writes are figures; text (even "nan"), blobs and NULL are unknown.
// Texts come back as written: '' stays empty and not null, NULL stays null.
void TestStatement::bothPathsReadTheSameValues()
{
    QFETCH(bool, native);
    TempProject p;
    QVERIFY(Sql::exec(p.connection(), QStringLiteral("CREATE TABLE v (n INTEGER, x REAL, t TEXT)"), nullptr));
    Statement::setNativeEnabled(native);
    QString error;
    auto insert = Statement::prepare(p.connection(), QStringLiteral("INSERT INTO v VALUES (?, ?, ?)"), &error);
    QVERIFY2(insert && insert->isNative() == native, qPrintable(error));
    const QString name = QStringLiteral("O'Brien \u00e9\U0001F600");
    insert->bindInteger(0, 1);
    insert->bindReal(1, 2.5);
    insert->bindText(2, name);
    QVERIFY2(insert->run(&error), qPrintable(error));
    insert->bindInteger(0, 2);
    insert->bindReal(1, 1e300);
    insert->bindText(2, QStringLiteral(""));
    QVERIFY2(insert->run(&error), qPrintable(error));
    insert->bindInteger(0, 3);
    insert->bindNull(1);
    insert->bindText(2, QString());
    QVERIFY2(insert->run(&error), qPrintable(error));
    insert.reset();
    QVERIFY(Sql::exec(p.connection(),
                      QStringLiteral("INSERT INTO v VALUES (4, 'nan', x'00'), (9223372036854775807, 7, 'x')"),
                      nullptr));

    auto read =
        Statement::prepare(p.connection(), QStringLiteral("SELECT n, x, t FROM v WHERE n >= ? ORDER BY n"), &error);
    QVERIFY2(read, qPrintable(error));
    // Bound again after a full pass, the query runs anew.
    for (int pass = 0; pass < 2; ++pass) {
        read->bindInteger(0, 1);
        QStringList seen;
        Statement::Step step;
        while ((step = read->step(&error)) == Statement::Step::Row) {
            const double x = read->figure(1);
            seen << QStringLiteral("%1|%2|%3|%4")
                        .arg(read->integer(0))
                        .arg(std::isnan(x) ? QStringLiteral("?") : QString::number(x))
                        .arg(read->isNull(2) ? QStringLiteral("NULL") : QStringLiteral("'") + read->text(2) + "'")
                        .arg(read->isNumber(0) ? QStringLiteral("number") : QStringLiteral("other"));
        }
        QCOMPARE(step, Statement::Step::Done);
        QCOMPARE(seen,
                 QStringList({QStringLiteral("1|2.5|'") + name + QStringLiteral("'|number"),
                              QStringLiteral("2|?|''|number"),
                              QStringLiteral("3|?|NULL|number"),
                              QStringLiteral("4|?|'\u0000'|number"),
                              QStringLiteral("9223372036854775807|7|'x'|number")}));
    }
}

// A refused write says the same on either path: the cause in words, the engine's
// code and text on the details line; the statement takes the next values after it.
void TestStatement::failuresAreDescribedAlike()
{
    TempProject p;
    QVERIFY(Sql::exec(p.connection(), QStringLiteral("CREATE TABLE u (k TEXT UNIQUE)"), nullptr));
    QStringList messages;
    for (bool native : {true, false}) {
        Statement::setNativeEnabled(native);
        QVERIFY(Sql::exec(p.connection(), QStringLiteral("DELETE FROM u"), nullptr));
        QString error;
        auto insert = Statement::prepare(p.connection(), QStringLiteral("INSERT INTO u VALUES (?)"), &error);
        QVERIFY2(insert, qPrintable(error));
        insert->bindText(0, QStringLiteral("a"));
        QVERIFY2(insert->run(&error), qPrintable(error));
        QVERIFY(!insert->run(&error));
        messages << error;
        insert->bindText(0, QStringLiteral("b"));
        QVERIFY2(insert->run(&error), qPrintable(error));
        QVERIFY(!Statement::prepare(p.connection(), QStringLiteral("SELECT nothing FROM u"), &error));
        messages << error;
    }
    QVERIFY2(messages.at(0).contains(QLatin1String("SQLite error 2067")), qPrintable(messages.at(0)));
    QCOMPARE(messages.at(0), messages.at(2));
    QCOMPARE(messages.at(1), messages.at(3));
}

QTEST_GUILESS_MAIN(TestStatement)
#include "TestStatement.moc"
