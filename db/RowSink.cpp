#include "db/RowSink.h"

#include "db/PgCopySink.h"
#include "db/Statement.h"

namespace {

// Rows through one prepared insert, each judged as it is added.
class InsertSink final : public RowSink
{
public:
    explicit InsertSink(std::unique_ptr<Statement> insert)
        : m_insert(std::move(insert))
    {
    }

    void bindNull(int column) override { m_insert->bindNull(column); }
    void bindInteger(int column, qint64 value) override { m_insert->bindInteger(column, value); }
    void bindReal(int column, double value) override { m_insert->bindReal(column, value); }
    void bindText(int column, const QString& value) override { m_insert->bindText(column, value); }

    bool add(QString* error, qint64* failedRow) override
    {
        if (!m_insert->run(error)) {
            *failedRow = m_added;
            return false;
        }
        ++m_added;
        return true;
    }

    bool finish(QString*, qint64*) override { return true; }
    bool isNative() const override { return m_insert->isNative(); }

private:
    std::unique_ptr<Statement> m_insert;
    qint64 m_added = 0;
};

} // namespace

std::unique_ptr<RowSink>
RowSink::open(const QString& connection, const QString& table, const QStringList& columns, QString* error)
{
    if (Statement::nativeEnabled()) {
        if (PGconn* conn = PgCopySink::handleOf(connection)) {
            return PgCopySink::open(conn, table, columns);
        }
    }
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i) {
        marks << QStringLiteral("?");
    }
    auto insert =
        Statement::prepare(connection,
                           QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                           error);
    if (!insert) {
        return nullptr;
    }
    return std::make_unique<InsertSink>(std::move(insert));
}
