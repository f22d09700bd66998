#include "common/ErrorText.h"
#include "db/Database.h"
#include "db/Sql.h"
#include "db/Statement.h"
#include "tests/support/ServerDatabase.h"
#include "tests/support/TempProject.h"

#include <QtTest>
#include <cmath>
#include <cstring>
#include <optional>

namespace {
const QString kServer = QStringLiteral("statement-server");

// A double by its bits: NaN, -0 and the last digit of a subnormal all show.
QString bits(double value)
{
    quint64 raw = 0;
    std::memcpy(&raw, &value, sizeof raw);
    return QString::number(raw, 16);
}

// Every reading of every column of every row `statement` gives, in one text per row.
QStringList readAll(Statement& statement, int columns, QString* error)
{
    QStringList rows;
    Statement::Step step;
    while ((step = statement.step(error)) == Statement::Step::Row) {
        QStringList cells;
        for (int c = 0; c < columns; ++c) {
            cells << QStringLiteral("%1 i%2 r%3 t%4 %5 f%6")
                         .arg(statement.isNull(c) ? QStringLiteral("NULL") : QStringLiteral("value"))
                         .arg(statement.integer(c))
                         .arg(bits(statement.real(c)))
                         .arg(statement.text(c).isNull() ? QStringLiteral("(null)")
                                                         : QLatin1Char('\'') + statement.text(c) + QLatin1Char('\''))
                         .arg(statement.isNumber(c) ? QStringLiteral("number") : QStringLiteral("other"))
                         .arg(bits(statement.figure(c)));
        }
        rows << cells.join(QLatin1String(" | "));
    }
    if (step == Statement::Step::Failed) {
        rows << QStringLiteral("failed: ") + *error;
    }
    return rows;
}
} // namespace

// A fresh project on the environment's server, open as kServer until the test ends,
// holding the table `createTable` makes.
#define OPEN_SERVER_WITH(createTable)                                                                                  \
    CW_PROJECT_ON_SERVER(server, kServer, error);                                                                      \
    const auto closing = qScopeGuard([] { Database::close(kServer); });                                                \
    QVERIFY2(Sql::exec(kServer, QStringLiteral(createTable), &error), qPrintable(error))

// The two ways a statement reaches the engine (SQLite's own interface, Qt SQL)
// must read and write the same values, including what only another tool writes.
class TestStatement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Statement::setNativeEnabled(true); }
    void bothPathsReadTheSameValues_data();
    void bothPathsReadTheSameValues();
    void failuresAreDescribedAlike();
    void serverPathsReadTheSameValues();
    void serverPathsWriteTheSameValues();
    void serverFailuresAndForeignTypes();
};

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
    const QList<std::tuple<qint64, std::optional<double>, QString>> rows = {
        {1, 2.5, name}, {2, 1e300, QStringLiteral("")}, {3, std::nullopt, QString()}};
    for (const auto& [n, x, t] : rows) {
        insert->bindInteger(0, n);
        x ? insert->bindReal(1, *x) : insert->bindNull(1);
        insert->bindText(2, t);
        QVERIFY2(insert->run(&error), qPrintable(error));
    }
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

// On a team server the statement reads the text libpq hands over itself; every
// reading must be what Qt's driver makes of the same value: integers at their
// limits, doubles at the edges of their range and the server's spellings of NaN and
// the infinities, single-precision and numeric columns (a numeric beyond 64 bits
// too), '' apart from NULL, characters beyond one byte, a case-blind text, truth
// values, and a ? inside quotes that is no parameter.
void TestStatement::serverPathsReadTheSameValues()
{
    OPEN_SERVER_WITH("CREATE TABLE w (k INTEGER, n BIGINT, x DOUBLE PRECISION, f REAL, d NUMERIC,"
                     " t TEXT, c CITEXT, b BOOLEAN)");
    QVERIFY2(Sql::exec(kServer,
                       QStringLiteral("INSERT INTO w VALUES"
                                      " (1, -9223372036854775808, 5e-324, 0.1, 1.50, '', 'Z\u00fcrich', true),"
                                      " (2, 9223372036854775807, 1.7976931348623157e308, -3.4e38,"
                                      "  -12345678901234567890.125, NULL, 'O''Brien', false),"
                                      " (3, 0, 'NaN', 'Infinity', 'NaN', E'tab\\there ? \"q\"', NULL, NULL),"
                                      " (4, NULL, '-Infinity', NULL, NULL, '\U0001F600 \u00e9', '', NULL),"
                                      " (5, -1, '-0', 1.4e-45, 0, '12', '3.5', true),"
                                      " (6, 1, 0.1, 16777217, 1e20, '1e300', 'nan', false),"
                                      " (7, 4503599627370497, 1e-310, '-0', 0.000001, ' 7 ', 'Ab', true),"
                                      " (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)"),
                       &error),
             qPrintable(error));

    const QString sql = QStringLiteral("SELECT k, n, x, f, d, t, c, b, CAST(? AS TEXT), n::numeric * 4,"
                                       " c = 'o''brien', '?' FROM w WHERE k >= ? OR k IS NULL ORDER BY k");
    QList<QStringList> results;
    for (bool native : {true, false}) {
        Statement::setNativeEnabled(native);
        auto read = Statement::prepare(kServer, sql, &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->isNative(), native);
        // Bound anew after a full pass, the query runs anew with the new values.
        for (qint64 from : {2, 1}) {
            read->bindText(0, from == 1 ? QStringLiteral("Gr\u00fc\u00dfe ?") : QString());
            read->bindInteger(1, from);
            results << readAll(*read, 12, &error);
        }
    }
    QCOMPARE(results.at(0).size(), 7);
    QCOMPARE(results.at(1).size(), 8);
    for (int pass = 0; pass < 2; ++pass) {
        for (int row = 0; row < results.at(pass).size(); ++row) {
            QCOMPARE(results.at(pass).at(row), results.at(pass + 2).at(row));
        }
    }
    // The Qt readings themselves, where a wrong choice of conversion would show.
    QVERIFY2(results.at(1).at(0).contains(QLatin1String("value i-9223372036854775808 ")), qPrintable(results[1][0]));
    QVERIFY2(results.at(1).at(0).contains(QLatin1String("t'' other")), qPrintable(results[1][0]));
    QVERIFY2(results.at(1).at(0).contains(QLatin1String("t'true' other")), qPrintable(results[1][0]));
    QVERIFY2(results.at(1).at(1).contains(QLatin1String("NULL i0 r0 t(null) other")), qPrintable(results[1][1]));
}

// Values written through either path are stored alike, NULL apart from ''.
void TestStatement::serverPathsWriteTheSameValues()
{
    OPEN_SERVER_WITH("CREATE TABLE w (path INTEGER, n BIGINT, x DOUBLE PRECISION, t TEXT)");
    for (bool native : {true, false}) {
        Statement::setNativeEnabled(native);
        auto insert = Statement::prepare(kServer, QStringLiteral("INSERT INTO w VALUES (?, ?, ?, ?)"), &error);
        QVERIFY2(insert && insert->isNative() == native, qPrintable(error));
        const QList<std::tuple<std::optional<qint64>, std::optional<double>, QString>> rows = {
            {std::numeric_limits<qint64>::min(), 5e-324, QStringLiteral("")},
            {std::numeric_limits<qint64>::max(), 1.0 / 3, QString()},
            {0, std::numeric_limits<double>::quiet_NaN(), QStringLiteral("O'Brien \\ \"?\" \U0001F600")},
            {-1, -std::numeric_limits<double>::infinity(), QStringLiteral("line\nnext")},
            {std::nullopt, std::nullopt, QStringLiteral("nulls")},
        };
        for (const auto& [n, x, t] : rows) {
            insert->bindInteger(0, native);
            n ? insert->bindInteger(1, *n) : insert->bindNull(1);
            x ? insert->bindReal(2, *x) : insert->bindNull(2);
            insert->bindText(3, t);
            QVERIFY2(insert->run(&error), qPrintable(error));
        }
    }
    const auto stored = [&](int path) {
        return server.scalarColumn(
            QStringLiteral("SELECT concat_ws('|', coalesce(n::text, 'NULL'), coalesce(x::text, 'NULL'),"
                           " coalesce(quote_literal(t), 'NULL')) FROM w WHERE path = %1 ORDER BY n, t")
                .arg(path));
    };
    const QVariantList viaQt = stored(0);
    QCOMPARE(viaQt.size(), 5);
    QCOMPARE(stored(1), viaQt);
    QVERIFY(viaQt.contains(QStringLiteral("-9223372036854775808|5e-324|''")));
    QVERIFY(viaQt.contains(QStringLiteral("9223372036854775807|0.3333333333333333|NULL")));
}

// A statement the server refuses is described alike on both paths; one whose
// result holds a date takes the Qt path, and reads what that path reads.
void TestStatement::serverFailuresAndForeignTypes()
{
    OPEN_SERVER_WITH("CREATE TABLE u (k TEXT UNIQUE)");
    QStringList causes;
    for (bool native : {true, false}) {
        Statement::setNativeEnabled(native);
        QVERIFY(Sql::exec(kServer, QStringLiteral("DELETE FROM u"), nullptr));
        auto insert = Statement::prepare(kServer, QStringLiteral("INSERT INTO u VALUES (?)"), &error);
        QVERIFY2(insert && insert->isNative() == native, qPrintable(error));
        insert->bindText(0, QStringLiteral("a"));
        QVERIFY2(insert->run(&error), qPrintable(error));
        QVERIFY(!insert->run(&error));
        causes << ErrorText::split(error).text;
        QVERIFY2(error.contains(QLatin1String("23505")), qPrintable(error));
        insert->bindText(0, QStringLiteral("b"));
        QVERIFY2(insert->run(&error), qPrintable(error));
        QVERIFY(!Statement::prepare(kServer, QStringLiteral("SELECT nothing FROM u"), &error));
        causes << ErrorText::split(error).text;
        QVERIFY2(error.contains(QLatin1String("42703")), qPrintable(error));
    }
    // The server's lines (its detail, the code) stay in the details on both paths.
    QCOMPARE(causes.at(0), QStringLiteral("An entry with the same name or number exists already."));
    QCOMPARE(causes.at(0), causes.at(2));
    QCOMPARE(causes.at(1), causes.at(3));

    Statement::setNativeEnabled(true);
    auto dated = Statement::prepare(kServer, QStringLiteral("SELECT DATE '2026-12-07', k FROM u ORDER BY k"), &error);
    QVERIFY2(dated, qPrintable(error));
    QVERIFY(!dated->isNative());
    auto plain = Statement::prepare(kServer, QStringLiteral("SELECT k FROM u ORDER BY k"), &error);
    QVERIFY2(plain && plain->isNative(), qPrintable(error));
    QCOMPARE(readAll(*plain, 1, &error).size(), 2);
}

QTEST_GUILESS_MAIN(TestStatement)
#include "TestStatement.moc"
