#pragma once

#include "db/RowSink.h"
#include "schedule/SnapshotInput.h"
#include "schedule/SnapshotRow.h"

#include <QString>
#include <memory>
#include <vector>

// Writes computed snapshot rows into CompDates under one stamp, one row at a time
// into one RowSink: the columns that follow from the source object
// (names, type, priority, member, the indented HName) are made as each row is
// written and dropped after it, so no second copy of the snapshot is ever held.
// The caller owns the transaction. Display-free; the connection's thread only.
class SnapshotWriter
{
public:
    // `rows` holds the paths and keys the rows point at.
    SnapshotWriter(const SnapshotInput& input, const SnapshotRows& rows, const QString& stamp);

    // Prepares the insert on `connection`. False with *error on failure.
    bool prepare(const QString& connection, QString* error);
    // Writes row `index` of the snapshot (rows go in order, from 0). False with
    // *error naming the row (HTreeSort and name) the engine refused.
    bool write(std::size_t index, QString* error);
    // Sends the rows still held after the last write(); the same failures.
    bool finish(QString* error);
    // True when rows go through the engine's own interface (see RowSink).
    bool isNative() const { return m_insert && m_insert->isNative(); }

private:
    void bindFigure(int column, double value);
    // GT_Name of row `index` into *name.
    void nameRow(std::size_t index, QString* name) const;
    // The failure of the sink in the words of the row it names.
    bool refused(qint64 failedRow, const QString& failure, QString* error) const;

    const SnapshotInput& m_input;
    const SnapshotRows& m_rows;
    QString m_stamp;
    std::unique_ptr<RowSink> m_insert;
    QString m_name; // reused between rows
    QString m_hname;
    QString m_path;
};
