#include "db/Database.h"
#include "db/RowSink.h"
#include "db/Sql.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "tests/support/ServerDatabase.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cfloat>
#include <cstring>
#include <limits>
#include <memory>

// Rows through a RowSink land as bound on either engine and either path; a row the
// engine refuses is named, wherever in a batch it lies, and nothing of it remains.
namespace {
const QString kConnection = QStringLiteral("sink");

enum class Engine { File, ServerCopy, ServerQt };

struct Row
{
    QVariant n; // BIGINT: qint64, or null
    QVariant x; // DOUBLE PRECISION: double, or null
    QString t; // TEXT: a null QString is NULL
};

// A project on the engine asked for, open on kConnection, with a scratch table
// v (n, x, t), or the reason the test cannot run.
class Target
{
public:
    explicit Target(Engine engine)
    {
        Statement::setNativeEnabled(engine != Engine::ServerQt);
        QString location = m_dir.filePath(QStringLiteral("sink.cwk"));
        if (engine != Engine::File) {
            m_server = std::make_unique<ServerDatabase>();
            if (!m_server->isValid()) {
                return;
            }
            location = m_server->url();
        }
        QString error;
        m_open = Database::create(location, kConnection, &error) &&
            Sql::exec(kConnection,
                      QStringLiteral("CREATE TABLE v (n BIGINT CHECK (n <> -7), x DOUBLE PRECISION, t TEXT)"),
                      &error);
        if (!m_open) {
            qWarning("%s", qPrintable(error));
        }
    }
    ~Target()
    {
        Database::close(kConnection);
        Statement::setNativeEnabled(true);
    }
    const ServerDatabase* server() const { return m_server.get(); }
    bool isOpen() const { return m_open; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServerDatabase> m_server;
    bool m_open = false;
};

#define CW_REQUIRE_TARGET(target)                                                                                      \
    do {                                                                                                               \
        if ((target).server()) {                                                                                       \
            CW_REQUIRE_SERVER(*(target).server());                                                                     \
        }                                                                                                              \
        QVERIFY((target).isOpen());                                                                                    \
    } while (false)

QStringList columns()
{
    return {QStringLiteral("n"), QStringLiteral("x"), QStringLiteral("t")};
}
} // namespace

Q_DECLARE_METATYPE(Engine)

class TestRowSink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void refusedRowIsNamed_data();
    void refusedRowIsNamed();
};

void TestRowSink::valuesRoundTrip_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::newRow("file") << Engine::File;
    QTest::newRow("server, COPY") << Engine::ServerCopy;
    QTest::newRow("server, Qt SQL") << Engine::ServerQt;
}

// Texts that COPY's text format must escape, '' apart from NULL, a text that reads
// like COPY's NULL marker, characters beyond one byte, and numbers at the edges of
// their types: each comes back exactly as bound.
void TestRowSink::valuesRoundTrip()
{
    QFETCH(Engine, engine);
    Target target(engine);
    CW_REQUIRE_TARGET(target);
    const QList<Row> rows = {
        {qint64(1), 0.1, QStringLiteral("tab\there")},
        {qint64(2), 1.0 / 3, QStringLiteral("line\nnext\r\nend")},
        {qint64(3), -2.5e307, QStringLiteral("back\\slash \\N \\t")},
        {qint64(4), DBL_MAX, QStringLiteral("\\N")},
        {qint64(5), 5e-324, QStringLiteral("")},
        {qint64(6), 1e-300, QString()},
        {std::numeric_limits<qint64>::min(), -0.1, QStringLiteral("Z\u00fcrich \u2713 \U0001F600")},
        {std::numeric_limits<qint64>::max(), 123456789.125, QStringLiteral("\\.")},
        {QVariant(), QVariant(), QStringLiteral("only text, then '\"quotes\"'")},
    };
    {
        Transaction tx(kConnection);
        QString error;
        auto sink = RowSink::open(kConnection, QStringLiteral("v"), columns(), &error);
        QVERIFY2(sink, qPrintable(error));
        QCOMPARE(sink->isNative(), engine != Engine::ServerQt);
        qint64 failedRow = -1;
        for (const Row& row : rows) {
            row.n.isNull() ? sink->bindNull(0) : sink->bindInteger(0, row.n.toLongLong());
            row.x.isNull() ? sink->bindNull(1) : sink->bindReal(1, row.x.toDouble());
            sink->bindText(2, row.t);
            QVERIFY2(sink->add(&error, &failedRow), qPrintable(error));
        }
        QVERIFY2(sink->finish(&error, &failedRow), qPrintable(error));
        QVERIFY2(tx.commit(), qPrintable(tx.error()));
    }
    QSqlQuery read(Sql::db(kConnection));
    QVERIFY(read.exec(QStringLiteral("SELECT n, x, t FROM v ORDER BY n IS NULL, n")));
    QList<Row> sorted = rows;
    std::sort(sorted.begin(), sorted.end(), [](const Row& a, const Row& b) {
        return !a.n.isNull() && (b.n.isNull() || a.n.toLongLong() < b.n.toLongLong());
    });
    for (const Row& row : sorted) {
        QVERIFY(read.next());
        QCOMPARE(read.isNull(0), row.n.isNull());
        QCOMPARE(read.value(0).toLongLong(), row.n.toLongLong());
        QCOMPARE(read.isNull(1), row.x.isNull());
        const double x = read.value(1).toDouble();
        const double expected = row.x.toDouble();
        QVERIFY2(std::memcmp(&x, &expected, sizeof x) == 0, qPrintable(QString::number(x, 'g', 17)));
        QCOMPARE(read.isNull(2), row.t.isNull());
        QCOMPARE(read.value(2).toString(), row.t);
    }
    QVERIFY(!read.next());
}

void TestRowSink::refusedRowIsNamed_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<qint64>("rows");
    QTest::addColumn<qint64>("refused");
    QTest::newRow("file") << Engine::File << qint64(20) << qint64(12);
    QTest::newRow("server, first row") << Engine::ServerCopy << qint64(20) << qint64(0);
    QTest::newRow("server, within the only batch") << Engine::ServerCopy << qint64(20) << qint64(12);
    QTest::newRow("server, last row of a full batch") << Engine::ServerCopy << qint64(20000) << qint64(8191);
    QTest::newRow("server, first row of the next batch") << Engine::ServerCopy << qint64(20000) << qint64(8192);
    QTest::newRow("server, last row, sent by finish") << Engine::ServerCopy << qint64(20000) << qint64(19999);
}

// The engine refuses one row (a CHECK): the sink names it whether it was judged at
// once or with its batch, nothing of the transaction remains after the rollback, and
// the connection serves the next request.
void TestRowSink::refusedRowIsNamed()
{
    QFETCH(Engine, engine);
    QFETCH(qint64, rows);
    QFETCH(qint64, refused);
    Target target(engine);
    CW_REQUIRE_TARGET(target);
    QString error;
    qint64 failedRow = -1;
    {
        Transaction tx(kConnection);
        auto sink = RowSink::open(kConnection, QStringLiteral("v"), columns(), &error);
        QVERIFY2(sink && sink->isNative(), qPrintable(error));
        bool ok = true;
        for (qint64 i = 0; i < rows && ok; ++i) {
            sink->bindInteger(0, i == refused ? -7 : i);
            sink->bindReal(1, 0.5);
            sink->bindText(2, QStringLiteral("r\\t%1").arg(i));
            ok = sink->add(&error, &failedRow);
        }
        QVERIFY(!ok || !sink->finish(&error, &failedRow));
    }
    QCOMPARE(failedRow, refused);
    QVERIFY2(error.contains(QLatin1String("A value is outside what the project allows.")), qPrintable(error));
    QSqlQuery count(Sql::db(kConnection));
    QVERIFY2(count.exec(QStringLiteral("SELECT COUNT(*) FROM v")) && count.next(),
             qPrintable(count.lastError().text()));
    QCOMPARE(count.value(0).toInt(), 0);
}

QTEST_GUILESS_MAIN(TestRowSink)
#include "TestRowSink.moc"
