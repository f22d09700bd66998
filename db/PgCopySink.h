#pragma once

#include "db/RowSink.h"

#include <string>
#include <vector>

struct pg_conn;
using PGconn = pg_conn;

// A RowSink on a team server through COPY … FROM STDIN (text format) on the very
// connection Qt's driver holds, inside its open transaction. Rows are held and sent
// in batches, each batch one COPY begun and ended within a single call: no COPY is
// ever left open while other code might use the connection between rows.
class PgCopySink final : public RowSink
{
public:
    // The connection's libpq handle when rows may be copied through it: one
    // PgHandle::of gives out, idle inside a transaction. Null otherwise.
    static PGconn* handleOf(const QString& connection);
    static std::unique_ptr<PgCopySink> open(PGconn* conn, const QString& table, const QStringList& columns);

    void bindNull(int column) override;
    void bindInteger(int column, qint64 value) override;
    void bindReal(int column, double value) override;
    void bindText(int column, const QString& value) override;
    bool add(QString* error, qint64* failedRow) override;
    bool finish(QString* error, qint64* failedRow) override;
    bool isNative() const override { return true; }

    // A batch goes when it holds this many rows or bytes, whichever comes first.
    static constexpr qint64 kBatchRows = 8192;
    static constexpr std::size_t kBatchBytes = std::size_t(4) << 20;

private:
    PgCopySink(PGconn* conn, const QString& table, const QStringList& columns);
    bool send(QString* error, qint64* failedRow);

    PGconn* m_conn;
    QByteArray m_copy; // the COPY statement
    std::vector<std::string> m_fields; // each column of the row being bound, as COPY text
    std::string m_batch;
    qint64 m_sent = 0; // rows the server took in earlier batches
    qint64 m_held = 0; // rows in m_batch
};
