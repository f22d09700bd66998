#pragma once

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>

// One row of a project table as a window read it: every column, so that a save or
// a delete can tell whether another connection (another person, window or command)
// changed the row since. Whatever the engine, the write re-reads the row inside its
// own transaction, held until that transaction ends, and compares it with this image.
class RowImage
{
public:
    RowImage() = default;

    // Reads every column of the row of `table` whose `keyColumns` equal `keys`. A row
    // that does not exist gives an image for which exists() is false.
    static bool read(const QString& connection,
                     const QString& table,
                     const QStringList& keyColumns,
                     const QVariantList& keys,
                     RowImage* image,
                     QString* error);
    // The image of a row another query read whole (SELECT * of `table`).
    static RowImage fromRecord(const QString& table, const QStringList& keyColumns, const QSqlRecord& record);

    bool exists() const { return m_exists; }
    // A column's value as read; invalid when there is no such column.
    QVariant value(const QString& column) const;

    // Inside the caller's write transaction: reads the row again, holding it until the
    // transaction ends, and compares. False when it differs or is gone: *conflict is
    // then true and *error is changedMessage(what); false with *conflict false on a
    // database error. An image never read passes (nothing was loaded to compare).
    bool stillCurrent(const QString& connection, const QString& what, bool* conflict, QString* error) const;

    // Appended to a SELECT inside a write transaction: holds the rows it reads until the
    // transaction ends, so what the transaction decides from them stays true.
    static QString lockClause(const QString& connection);

    // "<what> was changed by someone else since you opened it. Nothing was saved."
    static QString changedMessage(const QString& what);

private:
    QString m_table;
    QStringList m_keyColumns;
    QVariantList m_keys;
    QStringList m_columns;
    QVariantList m_values;
    bool m_exists = false;
};
