#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// Many rows into one table inside the caller's transaction, the fastest way the
// connection's engine takes them: one prepared insert on a file, COPY on a team
// server (where each row as its own statement would cost a round trip). Callers
// bind every column of a row, add() it, and finish() after the last one; they never
// learn which engine took the rows. Nothing is committed here: a failure leaves the
// transaction for the caller to roll back. Columns count from 0, rows from 0.
class RowSink
{
public:
    virtual ~RowSink() = default;
    RowSink(const RowSink&) = delete;
    RowSink& operator=(const RowSink&) = delete;

    // A sink for `columns` (in that order) of `table` on `connection`. The bulk path
    // is taken only inside an open transaction and where native statements are on
    // (Statement::setNativeEnabled); otherwise rows go through a prepared insert.
    // Null with *error on failure.
    static std::unique_ptr<RowSink>
    open(const QString& connection, const QString& table, const QStringList& columns, QString* error);

    virtual void bindNull(int column) = 0;
    virtual void bindInteger(int column, qint64 value) = 0;
    virtual void bindReal(int column, double value) = 0;
    // An empty but non-null text is stored as '', a null QString as NULL.
    virtual void bindText(int column, const QString& value) = 0;

    // Takes the row bound; the columns may then be bound anew. Rows sent in batches
    // are judged by the engine only when their batch goes: a refusal may name an
    // earlier row. False with *error and *failedRow (the refused row, or -1 when no
    // single row is to blame).
    virtual bool add(QString* error, qint64* failedRow) = 0;
    // Sends the rows still held; the same failures as add().
    virtual bool finish(QString* error, qint64* failedRow) = 0;

    // True when rows go through the engine's own interface.
    virtual bool isNative() const = 0;

protected:
    RowSink() = default;
};
